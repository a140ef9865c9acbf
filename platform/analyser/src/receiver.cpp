#include "analyser/receiver.h"

#include <QDateTime>
#include <QIODevice>
#include <QStringList>

#include <cctype>

namespace analyser {

namespace {

// Longer than a standard frame allows, so a lax sender still gets through, yet bounded.
constexpr std::size_t kMaxFrameBytes = 64 * 1024;
constexpr qint64 kMaxUnreadReplies = 256 * 1024;

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

char recordType(const std::string &record)
{
    return record.empty() ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(record[0])));
}

} // namespace

QString describe(const Message &message)
{
    QStringList samples;
    QStringList tests;
    for (const Result &r : message.results) {
        const QString s = text(r.sampleId);
        const QString t = text(r.testCode);
        if (!samples.contains(s))
            samples << s;
        if (!tests.contains(t))
            tests << t;
    }
    QString line = message.results.size() == 1 ? QStringLiteral("1 result")
                                               : QStringLiteral("%1 results").arg(message.results.size());
    if (!message.results.empty())
        line += QStringLiteral(", samples %1, tests %2").arg(samples.join(u' '), tests.join(u' '));
    return line;
}

// ---------------------------------------------------------------------------------------------
// ASTM

AstmReceiver::AstmReceiver(QIODevice *device, Handler handler, QObject *parent)
    : QObject(parent), device_(device), handler_(std::move(handler))
{
    timer_.setSingleShot(true);
    timer_.setInterval(30000);
    connect(&timer_, &QTimer::timeout, this, &AstmReceiver::timedOut);
    connect(device_, &QIODevice::readyRead, this, &AstmReceiver::readAvailable);
    // What came with the close is still read; a close from our side has nothing left to read.
    connect(device_, &QIODevice::readChannelFinished, this, [this] {
        readAvailable();
        closed();
    });
    connect(device_, &QIODevice::aboutToClose, this, &AstmReceiver::closed);
}

void AstmReceiver::setReceiveTimeout(int ms)
{
    timer_.setInterval(ms);
}

void AstmReceiver::log(const QString &line)
{
    Q_EMIT logLine(label_.isEmpty() ? line : label_ + QStringLiteral(": ") + line);
}

void AstmReceiver::reply(char c)
{
    // A peer that never reads its answers must not make them pile up here.
    if (device_->isWritable() && device_->bytesToWrite() < kMaxUnreadReplies)
        device_->write(&c, 1);
}

void AstmReceiver::readAvailable()
{
    if (!device_->isOpen())
        return;
    const QByteArray data = device_->readAll();
    if (data.isEmpty())
        return;
    Q_EMIT rawReceived(data);
    for (char c : data)
        take(c);
}

void AstmReceiver::take(char c)
{
    using namespace astm;
    if (inFrame_) {
        if (c == STX) { // the frame before was cut short; it gets no answer, this one will
            frame_.assign(1, STX);
            trailer_ = 0;
            return;
        }
        if (trailer_ > 0 && c != EOT && c != ENQ) {
            frame_ += c;
            if (--trailer_ == 0) {
                inFrame_ = false;
                frameComplete();
            }
            return;
        }
        if (c == ETX || c == ETB) {
            frame_ += c;
            trailer_ = 4;
            return;
        }
        if (c != EOT && c != ENQ) {
            frame_ += c;
            if (frame_.size() > kMaxFrameBytes) {
                inFrame_ = false;
                frame_.clear();
                frame_.shrink_to_fit();
                refuse(QStringLiteral("frame longer than %1 bytes").arg(kMaxFrameBytes));
            }
            return;
        }
        inFrame_ = false;
        trailer_ = 0;
        frame_.clear();
    }
    switch (c) {
    case ENQ:
        reportIgnored();
        if (state_ == State::Receiving && (anyAccepted_ || !records_.empty())) {
            log(QStringLiteral("a new transmission began before the last one ended; its unfinished message was discarded"));
            Q_EMIT messageAbandoned(QStringLiteral("new transmission"));
        }
        state_ = State::Receiving;
        expected_ = 1;
        retries_ = 0;
        anyAccepted_ = false;
        assembler_.clear();
        records_.clear();
        recordBytes_ = 0;
        reply(ACK);
        timer_.start();
        break;
    case EOT:
        if (state_ == State::Receiving && (!records_.empty() || assembler_.pendingSize() > 0)) {
            log(QStringLiteral("the transmission ended before the message's terminator record; the message was discarded"));
            Q_EMIT messageAbandoned(QStringLiteral("transmission ended early"));
        }
        state_ = State::Idle;
        assembler_.clear();
        records_.clear();
        recordBytes_ = 0;
        timer_.stop();
        break;
    case STX:
        // Frames outside a transmission are noise: nothing is kept of them.
        if (state_ != State::Idle) {
            inFrame_ = true;
            trailer_ = 0;
            frame_.assign(1, STX);
        } else {
            ++ignored_;
        }
        break;
    default:
        if (state_ == State::Idle)
            ++ignored_;
        break;
    }
}

void AstmReceiver::reportIgnored()
{
    if (ignored_ == 0)
        return;
    log(QStringLiteral("%1 bytes outside a transmission were ignored").arg(ignored_));
    ignored_ = 0;
}

void AstmReceiver::frameComplete()
{
    if (state_ == State::Discarding) {
        frame_.clear();
        reply(astm::NAK);
        return;
    }
    astm::Frame frame;
    const astm::FrameStatus status = astm::parseFrame(frame_, frame);
    frame_.clear();
    if (status == astm::FrameStatus::Malformed) {
        refuse(QStringLiteral("malformed frame"));
        return;
    }
    if (status == astm::FrameStatus::BadChecksum) {
        refuse(QStringLiteral("frame %1 has a wrong checksum").arg(frame.number));
        return;
    }
    if (frame.number != expected_) {
        // The sender repeats a frame we took when our ACK did not reach it: acknowledge it again.
        if (anyAccepted_ && frame.number == (expected_ + 7) % 8) {
            reply(astm::ACK);
            timer_.start();
            return;
        }
        refuse(QStringLiteral("frame %1 came where frame %2 was expected").arg(frame.number).arg(expected_));
        return;
    }
    accept(frame);
}

void AstmReceiver::accept(const astm::Frame &frame)
{
    if (recordBytes_ + assembler_.pendingSize() + frame.text.size() > maxMessage_) {
        abandon(QStringLiteral("the message is larger than %1 bytes").arg(maxMessage_));
        reply(astm::NAK);
        return;
    }
    // Kept so a message that cannot be stored now is taken again, whole, when its last frame is resent.
    const astm::RecordAssembler savedAssembler = assembler_;
    const std::vector<std::string> savedRecords = records_;
    const std::size_t savedBytes = recordBytes_;
    std::vector<std::string> done = assembler_.add(frame);
    for (std::string &record : done) {
        const char type = recordType(record);
        if (type == 'H' && !records_.empty()) {
            log(QStringLiteral("a header record began a new message before the last one ended; the unfinished message was discarded"));
            Q_EMIT messageAbandoned(QStringLiteral("message without terminator"));
            records_.clear();
            recordBytes_ = 0;
        }
        recordBytes_ += record.size();
        records_.push_back(std::move(record));
        if (type == 'L' && !complete(records_)) {
            assembler_ = savedAssembler;
            records_ = savedRecords;
            recordBytes_ = savedBytes;
            refuse(QStringLiteral("the message could not be stored now"));
            return;
        }
    }
    expected_ = (expected_ + 1) % 8;
    retries_ = 0;
    anyAccepted_ = true;
    reply(astm::ACK);
    timer_.start();
}

bool AstmReceiver::complete(std::vector<std::string> &records)
{
    const astm::ParsedMessage parsed = astm::parseMessage(records);
    records.clear();
    recordBytes_ = 0;
    if (!parsed.ok()) {
        // Sending the same records again would not change that, so it is acknowledged.
        log(QStringLiteral("message refused: %1").arg(text(parsed.error)));
        return true;
    }
    const Disposition disposition = handler_ ? handler_(parsed.message) : Disposition::Failed;
    switch (disposition) {
    case Disposition::Stored:
        log(QStringLiteral("message stored: %1").arg(describe(parsed.message)));
        return true;
    case Disposition::Rejected:
        log(QStringLiteral("message not accepted by the laboratory system: %1").arg(describe(parsed.message)));
        return true;
    case Disposition::Failed:
        break;
    }
    log(QStringLiteral("message could not be stored now, not acknowledged: %1").arg(describe(parsed.message)));
    return false;
}

void AstmReceiver::refuse(const QString &why)
{
    ++retries_;
    if (retries_ >= kMaxRetries) {
        abandon(QStringLiteral("%1, refused %2 times").arg(why).arg(retries_));
        reply(astm::NAK);
        return;
    }
    log(why + QStringLiteral(", NAK"));
    reply(astm::NAK);
    timer_.start();
}

void AstmReceiver::abandon(const QString &why)
{
    log(QStringLiteral("message abandoned: %1").arg(why));
    Q_EMIT messageAbandoned(why);
    assembler_.clear();
    records_.clear();
    recordBytes_ = 0;
    state_ = State::Discarding;
    timer_.start();
}

void AstmReceiver::timedOut()
{
    if (state_ == State::Receiving) {
        log(QStringLiteral("nothing received for %1 s during a transmission; the message was discarded")
                .arg(timer_.interval() / 1000.0));
        Q_EMIT messageAbandoned(QStringLiteral("receive timeout"));
    }
    state_ = State::Idle;
    inFrame_ = false;
    frame_.clear();
    assembler_.clear();
    records_.clear();
    recordBytes_ = 0;
}

void AstmReceiver::closed()
{
    reportIgnored();
    if (state_ == State::Receiving) {
        log(QStringLiteral("connection closed during a transmission; the message was discarded"));
        Q_EMIT messageAbandoned(QStringLiteral("connection closed"));
    }
    state_ = State::Idle;
    timer_.stop();
    inFrame_ = false;
    frame_.clear();
    assembler_.clear();
    records_.clear();
    recordBytes_ = 0;
}

// ---------------------------------------------------------------------------------------------
// HL7

Hl7Receiver::Hl7Receiver(QIODevice *device, Handler handler, QObject *parent)
    : QObject(parent), device_(device), handler_(std::move(handler))
{
    connect(device_, &QIODevice::readyRead, this, &Hl7Receiver::readAvailable);
    // What came with the close is still read; a close from our side has nothing left to read.
    connect(device_, &QIODevice::readChannelFinished, this, [this] {
        readAvailable();
        closed();
    });
    connect(device_, &QIODevice::aboutToClose, this, &Hl7Receiver::closed);
}

void Hl7Receiver::log(const QString &line)
{
    Q_EMIT logLine(label_.isEmpty() ? line : label_ + QStringLiteral(": ") + line);
}

void Hl7Receiver::readAvailable()
{
    if (!device_->isOpen())
        return;
    const QByteArray data = device_->readAll();
    if (data.isEmpty())
        return;
    Q_EMIT rawReceived(data);
    for (const std::string &message : decoder_.feed(std::string_view(data.constData(), static_cast<std::size_t>(data.size()))))
        handle(message);
    if (decoder_.droppedMessages() > dropped_) {
        dropped_ = decoder_.droppedMessages();
        log(QStringLiteral("a message was dropped unread: too long, or cut off by the next one"));
        Q_EMIT messageAbandoned(QStringLiteral("message too long or cut off"));
    }
}

void Hl7Receiver::handle(const std::string &message)
{
    const hl7::ParsedMessage parsed = hl7::parse(message);
    const QString name = QStringLiteral("message %1").arg(text(parsed.message.controlId));
    auto answer = [&](hl7::AckCode code, const std::string &reason, const std::vector<hl7::Issue> &issues) {
        const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
        const std::string id = (now + QString::number(++acks_)).toStdString();
        const std::string ack = hl7::buildAck(parsed.header, code, reason, issues, id, now.toStdString());
        if (device_->isWritable() && device_->bytesToWrite() < kMaxUnreadReplies)
            device_->write(QByteArray::fromStdString(hl7::mllpWrap(ack)));
    };
    if (!parsed.accepted()) {
        log(QStringLiteral("%1 refused (%2): %3")
                .arg(name, QLatin1String(hl7::ackCodeText(parsed.refusal)), text(parsed.reason)));
        answer(parsed.refusal, parsed.reason, parsed.issues);
        return;
    }
    QString warnings;
    for (const hl7::Issue &issue : parsed.issues)
        warnings += QStringLiteral("; ") + text(issue.text);
    const Disposition disposition = handler_ ? handler_(parsed.message) : Disposition::Failed;
    switch (disposition) {
    case Disposition::Stored:
        log(QStringLiteral("%1 stored: %2%3").arg(name, describe(parsed.message), warnings));
        answer(hl7::AckCode::AA, {}, parsed.issues);
        return;
    case Disposition::Rejected: {
        log(QStringLiteral("%1 not accepted by the laboratory system: %2%3").arg(name, describe(parsed.message), warnings));
        std::vector<hl7::Issue> issues = parsed.issues;
        const std::string reason = "the message was not accepted by the laboratory system";
        issues.push_back({"MSH", 1, 0, 207, reason, true});
        answer(hl7::AckCode::AE, reason, issues);
        return;
    }
    case Disposition::Failed:
        break;
    }
    log(QStringLiteral("%1 could not be stored now, not acknowledged: %2").arg(name, describe(parsed.message)));
}

void Hl7Receiver::closed()
{
    if (decoder_.inMessage()) {
        log(QStringLiteral("connection closed in the middle of a message; the message was discarded"));
        Q_EMIT messageAbandoned(QStringLiteral("connection closed"));
    }
    decoder_.reset();
}

} // namespace analyser
