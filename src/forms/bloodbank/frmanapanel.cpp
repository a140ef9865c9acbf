#include "forms/bloodbank/frmanapanel.h"

#include "ui_frmanapanel.h"

#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmANAPanel::frmANAPanel(QWidget *parent)
    : ResultForm(QStringLiteral("frmANAPanel"), parent), ui(std::make_unique<Ui::frmANAPanel>()),
      m_txtResult((ui->setupUi(this), *this))
{
    initLifecycle();
}

frmANAPanel::~frmANAPanel() = default;

// This screen's pickers start from the workstation's clock, not the server's.
void frmANAPanel::loadHook()
{
    ResultForm::loadHook();
    const QDateTime now = QDateTime::currentDateTime();
    for (const PickerPair &pair : {kReport, kSubmitted, kLra, kFinished})
        setPickerPair(pair, now);
}

Command frmANAPanel::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultANAPanel '") << SessionContext::current().RequestNum << "'";
}

void frmANAPanel::fillNewResult(const QDateTime &) {}

// The panel keeps no sample number or times of its own: what the opening set stays.
void frmANAPanel::fillStoredHeader(const Recordset &) {}

void frmANAPanel::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < m_txtResult.count(); ++i)
        m_txtResult.setText(i, row.field(i).toStringOr());
}

Command frmANAPanel::saveCommand(int, const SaveTexts &) const
{
    Command c("LAB_Save_ANAPanel '");
    c << SessionContext::current().RequestNum;
    for (int i = 0; i < m_txtResult.count(); ++i)
        c << "','" << m_txtResult.text(i);
    c << "'";
    return c;
}

ReportRequest frmANAPanel::report() const
{
    return {QStringLiteral("ANAPanel.rpt"), QStringLiteral("ANA PANEL"), {SessionContext::current().RequestNum}};
}

QString frmANAPanel::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmANAPanel::keyHook(QObject *watched, QKeyEvent *key)
{
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_txtResult.indexOf(watched) >= 0) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
