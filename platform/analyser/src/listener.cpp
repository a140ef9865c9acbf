#include "analyser/listener.h"

#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>

namespace analyser {

AnalyserListener::AnalyserListener(ListenerConfig config, Handler handler, QObject *parent)
    : QObject(parent), config_(std::move(config)), handler_(std::move(handler))
{
    serialRetry_.setSingleShot(true);
    serialRetry_.setInterval(config_.serialRetryMs);
    connect(&serialRetry_, &QTimer::timeout, this, [this] { openSerial(nullptr); });
}

AnalyserListener::~AnalyserListener() = default;

void AnalyserListener::log(const QString &line)
{
    Q_EMIT logLine(config_.instrumentId + QStringLiteral(": ") + line);
}

quint16 AnalyserListener::port() const
{
    return server_ ? server_->serverPort() : 0;
}

bool AnalyserListener::start(QString *error)
{
    if (!config_.serialDevice.isEmpty()) {
        serial_ = new QSerialPort(this);
        serial_->setPortName(config_.serialDevice);
        serial_->setBaudRate(config_.baudRate);
        serial_->setDataBits(static_cast<QSerialPort::DataBits>(config_.dataBits));
        serial_->setParity(config_.parity == 'E'   ? QSerialPort::EvenParity
                           : config_.parity == 'O' ? QSerialPort::OddParity
                                                   : QSerialPort::NoParity);
        serial_->setStopBits(config_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        serial_->setFlowControl(QSerialPort::NoFlowControl);
        connect(serial_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e != QSerialPort::ResourceError && e != QSerialPort::PermissionError)
                return;
            log(QStringLiteral("serial line %1 lost: %2").arg(config_.serialDevice, serial_->errorString()));
            if (serial_->isOpen())
                serial_->close();
            serialRetry_.start();
        });
        attach(serial_, config_.instrumentId + QLatin1Char(' ') + config_.serialDevice);
        // A missing device is not fatal: the line is tried again until it appears.
        return openSerial(error);
    }
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &AnalyserListener::acceptConnections);
    if (!server_->listen(config_.address, config_.port)) {
        const QString why = QStringLiteral("cannot listen on port %1: %2").arg(config_.port).arg(server_->errorString());
        log(why);
        if (error)
            *error = why;
        return false;
    }
    log(QStringLiteral("listening on port %1 (%2)")
            .arg(server_->serverPort())
            .arg(config_.protocol == Protocol::Astm ? QStringLiteral("ASTM") : QStringLiteral("HL7")));
    return true;
}

bool AnalyserListener::openSerial(QString *error)
{
    if (serial_->isOpen() || serial_->open(QIODevice::ReadWrite)) {
        log(QStringLiteral("serial line %1 open").arg(config_.serialDevice));
        return true;
    }
    const QString why = QStringLiteral("cannot open serial line %1: %2").arg(config_.serialDevice, serial_->errorString());
    log(why);
    if (error)
        *error = why;
    serialRetry_.start();
    return false;
}

void AnalyserListener::acceptConnections()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        ++connections_;
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        log(QStringLiteral("connection from %1").arg(peer));
        attach(socket, config_.instrumentId + QLatin1Char(' ') + peer);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, peer] {
            --connections_;
            log(QStringLiteral("connection from %1 closed").arg(peer));
            socket->deleteLater();
        });
    }
}

void AnalyserListener::attach(QIODevice *device, const QString &label)
{
    // The receiver is the device's child: it goes when its connection goes.
    if (config_.protocol == Protocol::Astm) {
        auto *receiver = new AstmReceiver(device, handler_, device);
        receiver->setLabel(label);
        receiver->setReceiveTimeout(config_.receiveTimeoutMs);
        connect(receiver, &AstmReceiver::rawReceived, this, &AnalyserListener::rawReceived);
        connect(receiver, &AstmReceiver::logLine, this, &AnalyserListener::logLine);
        connect(receiver, &AstmReceiver::messageAbandoned, this, &AnalyserListener::messageAbandoned);
    } else {
        auto *receiver = new Hl7Receiver(device, handler_, device);
        receiver->setLabel(label);
        connect(receiver, &Hl7Receiver::rawReceived, this, &AnalyserListener::rawReceived);
        connect(receiver, &Hl7Receiver::logLine, this, &AnalyserListener::logLine);
        connect(receiver, &Hl7Receiver::messageAbandoned, this, &AnalyserListener::messageAbandoned);
    }
}

} // namespace analyser
