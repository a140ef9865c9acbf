#pragma once

// One listener per configured analyser: a TCP port accepting connections, or a serial device, with
// a receiver of the analyser's protocol on each. A connection's garbage or drop stays its own.

#include "analyser/protocol.h"
#include "analyser/receiver.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

class QSerialPort;
class QTcpServer;

namespace analyser {

struct ListenerConfig {
    QString instrumentId; // the analyser's ID, first word of every log line
    Protocol protocol = Protocol::Astm;
    QHostAddress address = QHostAddress::Any;
    quint16 port = 0;     // 0 with no serial device: any free port (see AnalyserListener::port())
    QString serialDevice; // when set, the analyser is on this line and no port is opened
    qint32 baudRate = 9600;
    int dataBits = 8;
    char parity = 'N'; // N, E, O
    int stopBits = 1;
    int receiveTimeoutMs = 30000;
    int serialRetryMs = 5000; // how often a missing or failed serial device is opened again
};

class AnalyserListener : public QObject {
    Q_OBJECT
public:
    AnalyserListener(ListenerConfig config, Handler handler, QObject *parent = nullptr);
    ~AnalyserListener() override;

    bool start(QString *error = nullptr);
    quint16 port() const; // the TCP port listened on, 0 for a serial line
    int connections() const { return connections_; }
    const ListenerConfig &config() const { return config_; }

Q_SIGNALS:
    void rawReceived(const QByteArray &bytes);
    void logLine(const QString &line);
    void messageAbandoned(const QString &reason);

private:
    void acceptConnections();
    bool openSerial(QString *error);
    void attach(QIODevice *device, const QString &label);
    void log(const QString &line);

    ListenerConfig config_;
    Handler handler_;
    QTcpServer *server_ = nullptr;
    QSerialPort *serial_ = nullptr;
    QTimer serialRetry_;
    int connections_ = 0;
};

} // namespace analyser
