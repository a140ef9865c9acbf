#pragma once

// The receiving side of the link over any QIODevice (a QTcpSocket or a QSerialPort): bytes in,
// acknowledgements out, and each complete message handed to the owner before it is acknowledged.

#include "analyser/astm.h"
#include "analyser/hl7.h"
#include "analyser/message.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QIODevice;

namespace analyser {

using Handler = std::function<Disposition(const Message &)>;

// The plain log text of a message: counts, sample IDs and test codes, never values.
QString describe(const Message &message);

class AstmReceiver : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRetries = 6;

    // The device stays the caller's; it must outlive the receiver or be its parent.
    AstmReceiver(QIODevice *device, Handler handler, QObject *parent = nullptr);

    void setLabel(const QString &label) { label_ = label; }
    void setReceiveTimeout(int ms); // default 30 s
    void setMaxMessageBytes(std::size_t bytes) { maxMessage_ = bytes; }
    bool idle() const { return state_ == State::Idle; }

Q_SIGNALS:
    void rawReceived(const QByteArray &bytes);
    void logLine(const QString &line);
    // A message begun but not completed: refused frames, timeout, dropped connection, new ENQ.
    void messageAbandoned(const QString &reason);

private:
    enum class State { Idle, Receiving, Discarding };

    void readAvailable();
    void take(char c);
    void frameComplete();
    void accept(const astm::Frame &frame);
    bool complete(std::vector<std::string> &records);
    void refuse(const QString &why);
    void abandon(const QString &why);
    void closed();
    void timedOut();
    void reportIgnored();
    void reply(char c);
    void log(const QString &text);

    QIODevice *device_;
    Handler handler_;
    QString label_;
    QTimer timer_;
    State state_ = State::Idle;
    int expected_ = 1;
    int retries_ = 0;
    bool anyAccepted_ = false;
    std::size_t maxMessage_ = 4 << 20;
    std::string frame_;
    bool inFrame_ = false;
    int trailer_ = 0;
    astm::RecordAssembler assembler_;
    std::vector<std::string> records_;
    std::size_t recordBytes_ = 0;
    qint64 ignored_ = 0; // bytes outside a transmission since the last report
};

class Hl7Receiver : public QObject {
    Q_OBJECT
public:
    Hl7Receiver(QIODevice *device, Handler handler, QObject *parent = nullptr);

    void setLabel(const QString &label) { label_ = label; }
    void setMaxMessageBytes(std::size_t bytes) { decoder_ = hl7::MllpDecoder(bytes); }

Q_SIGNALS:
    void rawReceived(const QByteArray &bytes);
    void logLine(const QString &line);
    void messageAbandoned(const QString &reason);

private:
    void readAvailable();
    void handle(const std::string &text);
    void closed();
    void log(const QString &text);

    QIODevice *device_;
    Handler handler_;
    QString label_;
    hl7::MllpDecoder decoder_;
    int dropped_ = 0;
    int acks_ = 0;
};

} // namespace analyser
