#include "services/lookups/searchcode.h"

#include "session/sessioncontext.h"

namespace corvane {

QString searchKeyField(qint32 kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("LabExam");
    case 2:
        return QStringLiteral("Specimen");
    case 3:
        return QStringLiteral("Company");
    case 5:
        return QStringLiteral("ExamSpecimen");
    case 7:
        return QStringLiteral("Description");
    case 8:
        return QStringLiteral("Reagent");
    case 9:
        return QStringLiteral("sNValue");
    case 10:
        return QStringLiteral("Age");
    case 27:
        return QStringLiteral("code");
    case 28:
        return QStringLiteral("Interpretation");
    default:
        return {};
    }
}

QString searchField(const SearchRecord &record, const QString &name)
{
    if (const auto it = record.constFind(name); it != record.cend())
        return it.value();
    for (auto it = record.cbegin(); it != record.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    return {};
}

std::optional<SearchRecord> SearchCode(qint32 &kind, QString &text, QString &filter)
{
    SessionContext &ctx = SessionContext::current();
    ctx.SearchFound = true;
    std::optional<SearchRecord> record;
    if (ctx.SearchCodes)
        record = ctx.SearchCodes->showSearchForm(kind, text, filter);
    const QString key = searchKeyField(kind);
    if (record && !key.isEmpty() && !searchField(*record, key).isEmpty())
        return record;
    ctx.SearchFound = false;
    return std::nullopt;
}

} // namespace corvane
