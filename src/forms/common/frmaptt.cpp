#include "forms/common/frmaptt.h"

#include "ui_frmaptt.h"

#include "session/sessioncontext.h"

namespace corvane {

frmAPTT::frmAPTT(QWidget *parent)
    : ResultForm(QStringLiteral("frmAPTT"), parent), ui(std::make_unique<Ui::frmAPTT>()),
      m_results((ui->setupUi(this), *this))
{
    initLifecycle();
}

frmAPTT::~frmAPTT() = default;

Command frmAPTT::resultQuery() const
{
    return hcodesQuery();
}

void frmAPTT::fillResultFields(const Recordset &row)
{
    m_results.fillFromPositions(row);
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    m_results.setText(0, SessionContext::current().RequestRecord.Method);
}

// The method (field 0) is no measurement.
QList<JudgedField> frmAPTT::judgedFields() const
{
    return m_results.judgedByPosition(1, 9);
}

Command frmAPTT::saveCommand(int flag, const SaveTexts &texts) const
{
    const SessionContext &s = SessionContext::current();
    Command c(flag == 0 ? "Laboratory..Lab_Save_APTT 0, '" : "Laboratory..Lab_Save_APTT 1, '");
    c << s.RequestNum << "','" << texts.submitted << "', '" << texts.lra << "', '" << ui->txtAccNum->text() << "', '";
    m_results.appendTo(c, "', '");
    c << ui->rtfComments->toPlainText() << "', '" << m_results.text(0) << "', '" << texts.finished << "'";
    return c;
}

ReportRequest frmAPTT::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_APTT.RPT"), QStringLiteral("APTT Result"), {s.HospitalAddress, s.RequestNum}};
}

QString frmAPTT::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmAPTT::keyHook(QObject *watched, QKeyEvent *key)
{
    return resultFieldKey(m_results, watched, key);
}

} // namespace corvane
