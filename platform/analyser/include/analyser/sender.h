#pragma once

// Plays message files as an analyser would, for demonstrations and tests, with faults on demand.

#include "analyser/hl7.h"
#include "analyser/protocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <string>
#include <vector>

class QIODevice;

namespace analyser {

struct SendOptions {
    int corruptFrame = 0;       // spoil the checksum of the Nth frame sent (from 1; ASTM only)
    bool corruptAlways = false; // on every retry of that frame too, not only the first time
    int dropAfterFrame = 0;     // close the connection after the Nth frame (ASTM) or message (HL7)
    int delayMs = 0;            // pause before each frame (ASTM) or message (HL7)
    int replyTimeoutMs = 15000; // wait for an ACK or NAK this long
    int connectTimeoutMs = 10000;
};

struct SendReport {
    bool ok = false; // every message was acknowledged (HL7: with AA)
    QString error;
    int messages = 0;     // in the file
    int acknowledged = 0; // messages accepted by the receiver
    int framesSent = 0;   // ASTM frames written, retries included; HL7 messages written
    int naks = 0;         // ASTM NAKs received
    QStringList acks;     // HL7: MSA-1 of each reply, "" where none came
};

class AstmSender : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxAttempts = 6;

    AstmSender(QIODevice *device, std::vector<std::vector<std::string>> messages, SendOptions options,
               QObject *parent = nullptr);
    void start();
    const SendReport &report() const { return report_; }

Q_SIGNALS:
    void finished();

private:
    enum class State { Idle, WaitEnqReply, WaitFrameReply, Done };

    void beginMessage();
    void sendFrame();
    void readAvailable();
    void replied(char c);
    void endMessage(bool acknowledged);
    void finish(const QString &error = {});
    void write(const std::string &bytes);

    QIODevice *device_;
    std::vector<std::vector<std::string>> messages_;
    SendOptions options_;
    SendReport report_;
    QTimer replyTimer_;
    State state_ = State::Idle;
    std::size_t message_ = 0;
    std::vector<std::string> frames_;
    std::size_t frame_ = 0;
    int attempts_ = 0;
    int enqAttempts_ = 0;
    int distinctFrames_ = 0;
};

class Hl7Sender : public QObject {
    Q_OBJECT
public:
    Hl7Sender(QIODevice *device, std::vector<std::string> messages, SendOptions options, QObject *parent = nullptr);
    void start();
    const SendReport &report() const { return report_; }

Q_SIGNALS:
    void finished();

private:
    void sendNext();
    void readAvailable();
    void answered(const QString &code);
    void finish(const QString &error = {});

    QIODevice *device_;
    std::vector<std::string> messages_;
    SendOptions options_;
    SendReport report_;
    QTimer replyTimer_;
    hl7::MllpDecoder decoder_;
    std::size_t next_ = 0;
    bool waiting_ = false;
    bool done_ = false;
};

// The messages of an HL7 file: each begins at a line starting "MSH"; segments joined by CR.
std::vector<std::string> hl7FileMessages(std::string_view content);

// Connects to host:port, plays the content or the file and returns when done. Runs its own event
// loop, so it can be called from a command-line verb or a test whose receiver lives in this thread.
SendReport sendText(Protocol protocol, const QString &host, quint16 port, const QByteArray &content,
                    const SendOptions &options);
SendReport sendFile(Protocol protocol, const QString &host, quint16 port, const QString &filePath,
                    const SendOptions &options);

} // namespace analyser
