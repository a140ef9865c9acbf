#include "forms/chemistry/convertresult.h"

#include "services/database/connection.h"

#include <labdb/normalvalues.h>

namespace corvane {

QString ConvertResult(Connection &db, const QString &factor, const QString &value, const QString &examId, int column)
{
    Recordset entry = db.query(Command("sp_LabLoadExamEntry '") << examId << "'");
    if (!entry.eof())
        entry.field(QStringLiteral("Operator")); // read as the server's contract has it; the factor decides
    return QString::fromStdString(labdb::convertWithFactor(factor.toStdString(), value.toStdString(), column != 8));
}

RangeSex reagentRangeSex(const QString &sex, bool analyserReagent)
{
    if (analyserReagent)
        return sex == QLatin1String("F") ? RangeSex::Female : RangeSex::Male;
    const QString upper = sex.toUpper();
    return upper == QLatin1String("MALE") || upper == QLatin1String("M") ? RangeSex::Male : RangeSex::Female;
}

QString reagentKey(const QString &methodItem, const QString &analyserReagentCode)
{
    if (!analyserReagentCode.trimmed().isEmpty())
        return analyserReagentCode.trimmed();
    return methodItem.trimmed().right(5).trimmed();
}

} // namespace corvane
