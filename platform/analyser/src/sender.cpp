#include "analyser/sender.h"

#include "analyser/astm.h"

#include <QEventLoop>
#include <QFile>
#include <QIODevice>
#include <QTcpSocket>

#include <memory>

namespace analyser {

// ---------------------------------------------------------------------------------------------
// ASTM

AstmSender::AstmSender(QIODevice *device, std::vector<std::vector<std::string>> messages, SendOptions options,
                       QObject *parent)
    : QObject(parent), device_(device), messages_(std::move(messages)), options_(options)
{
    replyTimer_.setSingleShot(true);
    replyTimer_.setInterval(options_.replyTimeoutMs);
    connect(&replyTimer_, &QTimer::timeout, this, [this] {
        write(std::string(1, astm::EOT));
        finish(QStringLiteral("no reply within %1 ms").arg(options_.replyTimeoutMs));
    });
    connect(device_, &QIODevice::readyRead, this, &AstmSender::readAvailable);
    connect(device_, &QIODevice::readChannelFinished, this,
            [this] { finish(QStringLiteral("the receiver closed the connection")); });
}

void AstmSender::write(const std::string &bytes)
{
    if (device_->isOpen())
        device_->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void AstmSender::start()
{
    report_.messages = static_cast<int>(messages_.size());
    if (messages_.empty()) {
        finish(QStringLiteral("no complete message (H through L) to send"));
        return;
    }
    beginMessage();
}

void AstmSender::beginMessage()
{
    if (state_ == State::Done)
        return;
    if (message_ >= messages_.size()) {
        finish();
        return;
    }
    frames_.clear();
    int number = 1;
    for (const std::string &record : messages_[message_]) {
        const std::vector<std::string> frames = astm::recordFrames(record, number);
        number += static_cast<int>(frames.size());
        frames_.insert(frames_.end(), frames.begin(), frames.end());
    }
    frame_ = 0;
    attempts_ = 0;
    state_ = State::WaitEnqReply;
    write(std::string(1, astm::ENQ));
    replyTimer_.start();
}

void AstmSender::sendFrame()
{
    if (state_ == State::Done)
        return;
    std::string bytes = frames_[frame_];
    if (attempts_ == 0)
        ++distinctFrames_;
    ++attempts_;
    if (distinctFrames_ == options_.corruptFrame && (attempts_ == 1 || options_.corruptAlways)) {
        char &c2 = bytes[bytes.size() - 3];
        c2 = c2 == '0' ? '1' : '0';
    }
    write(bytes);
    ++report_.framesSent;
    state_ = State::WaitFrameReply;
    replyTimer_.start();
    if (attempts_ == 1 && distinctFrames_ == options_.dropAfterFrame) {
        finish(QStringLiteral("connection dropped after frame %1 as asked").arg(distinctFrames_));
        device_->close();
    }
}

void AstmSender::readAvailable()
{
    if (!device_->isOpen())
        return;
    const QByteArray data = device_->readAll();
    for (char c : data)
        replied(c);
}

void AstmSender::replied(char c)
{
    const bool ack = c == astm::ACK;
    const bool nak = c == astm::NAK;
    if (state_ == State::WaitEnqReply && (ack || nak)) {
        replyTimer_.stop();
        if (ack) {
            enqAttempts_ = 0;
            state_ = State::Idle;
            if (options_.delayMs > 0)
                QTimer::singleShot(options_.delayMs, this, &AstmSender::sendFrame);
            else
                sendFrame();
            return;
        }
        if (++enqAttempts_ >= kMaxAttempts) {
            finish(QStringLiteral("the receiver refused to receive"));
            return;
        }
        state_ = State::Idle;
        QTimer::singleShot(1000, this, [this] {
            if (state_ == State::Done)
                return;
            state_ = State::WaitEnqReply;
            write(std::string(1, astm::ENQ));
            replyTimer_.start();
        });
        return;
    }
    // A receiver's EOT in place of an ACK accepts the frame and asks us to stop soon.
    if (state_ == State::WaitFrameReply && (ack || nak || c == astm::EOT)) {
        replyTimer_.stop();
        if (!nak) {
            attempts_ = 0;
            state_ = State::Idle;
            if (++frame_ == frames_.size())
                endMessage(true);
            else if (options_.delayMs > 0)
                QTimer::singleShot(options_.delayMs, this, &AstmSender::sendFrame);
            else
                sendFrame();
            return;
        }
        ++report_.naks;
        if (attempts_ >= kMaxAttempts) {
            if (report_.error.isEmpty())
                report_.error = QStringLiteral("frame %1 refused %2 times; message %3 abandoned")
                                    .arg(distinctFrames_)
                                    .arg(attempts_)
                                    .arg(message_ + 1);
            endMessage(false);
            return;
        }
        sendFrame();
    }
}

void AstmSender::endMessage(bool acknowledged)
{
    write(std::string(1, astm::EOT));
    if (acknowledged)
        ++report_.acknowledged;
    ++message_;
    state_ = State::Idle;
    QTimer::singleShot(0, this, &AstmSender::beginMessage);
}

void AstmSender::finish(const QString &error)
{
    if (state_ == State::Done)
        return;
    state_ = State::Done;
    replyTimer_.stop();
    if (!error.isEmpty() && report_.error.isEmpty())
        report_.error = error;
    report_.ok = report_.error.isEmpty() && report_.acknowledged == report_.messages;
    Q_EMIT finished();
}

// ---------------------------------------------------------------------------------------------
// HL7

std::vector<std::string> hl7FileMessages(std::string_view content)
{
    std::vector<std::string> messages;
    for (const std::string &segment : hl7::segments(content)) {
        if (segment.compare(0, 3, "MSH") == 0)
            messages.emplace_back();
        if (messages.empty())
            continue;
        messages.back() += segment;
        messages.back() += hl7::CR;
    }
    return messages;
}

Hl7Sender::Hl7Sender(QIODevice *device, std::vector<std::string> messages, SendOptions options, QObject *parent)
    : QObject(parent), device_(device), messages_(std::move(messages)), options_(options)
{
    replyTimer_.setSingleShot(true);
    replyTimer_.setInterval(options_.replyTimeoutMs);
    connect(&replyTimer_, &QTimer::timeout, this, [this] { answered(QString()); });
    connect(device_, &QIODevice::readyRead, this, &Hl7Sender::readAvailable);
    connect(device_, &QIODevice::readChannelFinished, this,
            [this] { finish(QStringLiteral("the receiver closed the connection")); });
}

void Hl7Sender::start()
{
    report_.messages = static_cast<int>(messages_.size());
    if (messages_.empty()) {
        finish(QStringLiteral("no message (MSH segment) to send"));
        return;
    }
    sendNext();
}

void Hl7Sender::sendNext()
{
    if (done_)
        return;
    if (next_ >= messages_.size()) {
        finish();
        return;
    }
    const std::string framed = hl7::mllpWrap(messages_[next_]);
    device_->write(framed.data(), static_cast<qint64>(framed.size()));
    ++report_.framesSent;
    waiting_ = true;
    replyTimer_.start();
    if (static_cast<int>(next_) + 1 == options_.dropAfterFrame) {
        finish(QStringLiteral("connection dropped after message %1 as asked").arg(next_ + 1));
        device_->close();
    }
}

void Hl7Sender::readAvailable()
{
    if (!device_->isOpen())
        return;
    const QByteArray data = device_->readAll();
    for (const std::string &reply : decoder_.feed(std::string_view(data.constData(), static_cast<std::size_t>(data.size())))) {
        QString code = QStringLiteral("?");
        for (const std::string &segment : hl7::segments(reply))
            if (segment.size() > 4 && segment.compare(0, 3, "MSA") == 0) {
                const std::vector<std::string> fields = hl7::split(segment, segment[3]);
                code = QString::fromStdString(fields.size() > 1 ? fields[1] : std::string());
            }
        answered(code);
    }
}

void Hl7Sender::answered(const QString &code)
{
    if (!waiting_ || done_)
        return;
    waiting_ = false;
    replyTimer_.stop();
    report_.acks << code;
    if (code == QLatin1String("AA"))
        ++report_.acknowledged;
    ++next_;
    if (options_.delayMs > 0)
        QTimer::singleShot(options_.delayMs, this, &Hl7Sender::sendNext);
    else
        sendNext();
}

void Hl7Sender::finish(const QString &error)
{
    if (done_)
        return;
    done_ = true;
    replyTimer_.stop();
    if (!error.isEmpty() && report_.error.isEmpty())
        report_.error = error;
    report_.ok = report_.error.isEmpty() && report_.acknowledged == report_.messages;
    Q_EMIT finished();
}

// ---------------------------------------------------------------------------------------------

SendReport sendText(Protocol protocol, const QString &host, quint16 port, const QByteArray &content,
                    const SendOptions &options)
{
    SendReport report;
    QTcpSocket socket;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket.connectToHost(host, port);
    deadline.start(options.connectTimeoutMs);
    loop.exec();
    if (socket.state() != QAbstractSocket::ConnectedState) {
        report.error = QStringLiteral("cannot connect to %1:%2: %3").arg(host).arg(port).arg(socket.errorString());
        return report;
    }
    QObject::disconnect(&socket, nullptr, &loop, nullptr);

    const std::string_view text(content.constData(), static_cast<std::size_t>(content.size()));
    std::unique_ptr<AstmSender> astmSender;
    std::unique_ptr<Hl7Sender> hl7Sender;
    if (protocol == Protocol::Astm) {
        astmSender = std::make_unique<AstmSender>(&socket, astm::messages(astm::fileRecords(text)), options);
        QObject::connect(astmSender.get(), &AstmSender::finished, &loop, &QEventLoop::quit);
        QMetaObject::invokeMethod(astmSender.get(), &AstmSender::start, Qt::QueuedConnection);
    } else {
        hl7Sender = std::make_unique<Hl7Sender>(&socket, hl7FileMessages(text), options);
        QObject::connect(hl7Sender.get(), &Hl7Sender::finished, &loop, &QEventLoop::quit);
        QMetaObject::invokeMethod(hl7Sender.get(), &Hl7Sender::start, Qt::QueuedConnection);
    }
    loop.exec();
    report = astmSender ? astmSender->report() : hl7Sender->report();

    // Let the last bytes (the EOT, or the frame before a drop) leave before the socket goes.
    if (socket.state() == QAbstractSocket::ConnectedState)
        socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState) {
        QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        deadline.start(options.connectTimeoutMs);
        loop.exec();
    }
    return report;
}

SendReport sendFile(Protocol protocol, const QString &host, quint16 port, const QString &filePath,
                    const SendOptions &options)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        SendReport report;
        report.error = QStringLiteral("cannot read %1: %2").arg(filePath, file.errorString());
        return report;
    }
    return sendText(protocol, host, port, file.readAll(), options);
}

} // namespace analyser
