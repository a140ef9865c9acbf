#pragma once
// Where one analyser's messages go: its own database connection (reopened after a failure, so a
// stopped server only delays the analyser), its per-day raw log, and one log line per message.

#include "analyser/message.h"

#include <labdb/driver.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>

namespace labhost {

class ResultSink {
public:
    using LogLine = std::function<void(const QString &)>;
    ResultSink(QString instrumentId, QString connectionString, QString rawLogDir, LogLine log);

    analyser::Disposition deliver(const analyser::Message &message);
    // Every byte received, as received.
    void appendRaw(const QByteArray &bytes);

private:
    labdb::Driver &driver();

    QString m_instrument;
    QString m_connectionString;
    QDir m_rawDir;
    LogLine m_log;
    std::unique_ptr<labdb::Driver> m_db;
    QFile m_raw;
    QString m_rawDay;
};

} // namespace labhost
