#include "resultsink.h"

#include "resultstore.h"

#include "services/database/connection.h"

#include <QDate>
#include <QStringList>

namespace labhost {

ResultSink::ResultSink(QString instrumentId, QString connectionString, QString rawLogDir, LogLine log)
    : m_instrument(std::move(instrumentId)), m_connectionString(std::move(connectionString)),
      m_rawDir(std::move(rawLogDir)), m_log(std::move(log))
{
}

labdb::Driver &ResultSink::driver()
{
    if (!m_db)
        m_db = labdb::openDriver(corvane::ConnectionOptions::parse(m_connectionString).target(), false);
    return *m_db;
}

analyser::Disposition ResultSink::deliver(const analyser::Message &message)
{
    const QString id = m_instrument + QStringLiteral(" message ") + QString::fromStdString(message.key).left(12);
    try {
        const analyser::StoreOutcome out = analyser::storeMessage(driver(), m_instrument.toStdString(), message);
        if (out.duplicate) {
            m_log(id + QStringLiteral(": received again, already stored"));
            return analyser::Disposition::Stored;
        }
        // Sample IDs and test codes only: values and patients stay out of the service log.
        QString line = id + QStringLiteral(": %1 stored, %2 quarantined, %3 superseded")
                                .arg(out.stored)
                                .arg(out.quarantined)
                                .arg(out.superseded);
        QStringList tests;
        for (const analyser::Result &r : message.results)
            tests << QString::fromStdString(r.sampleId + "/" + r.testCode);
        if (!tests.isEmpty())
            line += QStringLiteral(" (") + tests.join(QStringLiteral(", ")) + QLatin1Char(')');
        m_log(line);
        return analyser::Disposition::Stored;
    } catch (const std::exception &e) {
        // Not acknowledged: the analyser sends it again later. A new connection is tried then.
        m_db.reset();
        m_log(id + QStringLiteral(": not stored, the analyser will resend it: ") + QString::fromUtf8(e.what()));
        return analyser::Disposition::Failed;
    }
}

void ResultSink::appendRaw(const QByteArray &bytes)
{
    const QString day = QDate::currentDate().toString(Qt::ISODate);
    if (day != m_rawDay || !m_raw.isOpen()) {
        m_raw.close();
        m_rawDir.mkpath(QStringLiteral("."));
        m_raw.setFileName(m_rawDir.filePath(m_instrument + QLatin1Char('-') + day + QStringLiteral(".raw")));
        if (!m_raw.open(QIODevice::Append)) {
            m_log(m_instrument + QStringLiteral(": cannot write the raw log ") + m_raw.fileName() + QStringLiteral(": ") +
                  m_raw.errorString());
            return;
        }
        m_rawDay = day;
    }
    m_raw.write(bytes);
    m_raw.flush();
}

} // namespace labhost
