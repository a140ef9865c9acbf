#include "forms/fluids/frmstone.h"

#include "ui_frmstone.h"

#include "forms/common/picklists.h"
#include "forms/common/screenroutines.h"
#include "forms/fluids/fluidentry.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmStone::frmStone(QWidget *parent)
    : ResultForm(QStringLiteral("frmStone"), parent), ui(std::make_unique<Ui::frmStone>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_txtValues(*this, "txtValues"),
      m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
}

frmStone::~frmStone() = default;

void frmStone::loadHook()
{
    ResultForm::loadHook();
    // Only exam 106 starts from the texts the screen was designed with.
    const bool keepText = SessionContext::current().RequestRecord.code == QLatin1String("106");
    for (int i = 0; i < m_xCbo.size(); ++i) {
        if (!keepText)
            xCbo(i)->setText(QString());
        loadPickList(*xCbo(i), m_lists, "Lab_Load_StoneValues", i);
    }
}

Command frmStone::resultQuery() const
{
    return fluidResultQuery();
}

void frmStone::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < m_txtValues.count(); ++i)
        m_txtValues.setText(i, row.field(i + 1).toStringOr());
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(i + 4).toStringOr());
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    ui->TxtMethod->setText(SessionContext::current().RequestRecord.Method);
}

Command frmStone::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_StoneAnalysis 0, '" : "Laboratory..Lab_Save_StoneAnalysis 1, '");
    appendSaveHead(c, texts, ui->txtAccNum->text());
    m_txtValues.appendTo(c, "','");
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "','";
    c << ui->rtfComments->toPlainText() << "','" << ui->TxtMethod->text() << "','" << texts.finished << "'";
    return c;
}

ReportRequest frmStone::report() const
{
    return fluidReport(QStringLiteral("LabPrint_StoneAnalysis.RPT"));
}

QString frmStone::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmStone::keyHook(QObject *watched, QKeyEvent *key)
{
    if (isEnterKey(key) && (pickListOf(watched) || m_txtValues.indexOf(watched) >= 0 || watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
