#include "forms/examsets/examlines.h"

#include "session/sessioncontext.h"

namespace corvane {

QList<ExamLine> SessionExamLines::examLines(const QString &requestNum, int entryMode)
{
    Recordset rs = SessionContext::current().db().query(Command("Lab_ResultEntryDLL_GetExamLines '")
                                                        << requestNum << "','" << QString::number(entryMode) << "'");
    const auto f = [&](const char *name) { return rs.field(QLatin1String(name)).toStringOr(); };
    QList<ExamLine> lines;
    for (; !rs.eof(); rs.moveNext())
        lines << ExamLine{f("RequestNum"), f("ExamCode"), f("Exam"),     f("FormType"), f("Result"),
                          f("NormalValue"), f("Unit"),   f("MinValue"), f("MaxValue"), f("Flag")};
    return lines;
}

} // namespace corvane
