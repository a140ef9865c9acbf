#include "forms/fluids/fluidentry.h"

#include "session/sessioncontext.h"

namespace corvane {

Command fluidResultQuery()
{
    return Command("LABORATORY..lab_getresulthcodes '") << SessionContext::current().RequestNum << "'";
}

void appendSaveHead(Command &command, const SaveTexts &texts, const QString &sampleNumber)
{
    command << SessionContext::current().RequestNum << "','" << texts.submitted << "','" << texts.lra << "','"
            << sampleNumber << "','";
}

ReportRequest fluidReport(const QString &fileName)
{
    const SessionContext &s = SessionContext::current();
    return {fileName, QString(), {s.HospitalAddress, s.RequestNum}};
}

} // namespace corvane
