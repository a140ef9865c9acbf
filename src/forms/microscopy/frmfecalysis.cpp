#include "forms/microscopy/frmfecalysis.h"

#include "ui_frmfecalysis.h"

#include "forms/common/picklists.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmFecalysis::frmFecalysis(QWidget *parent)
    : ResultForm(QStringLiteral("frmFecalysis"), parent), ui(std::make_unique<Ui::frmFecalysis>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_txtOther(*this, "txtOther"),
      m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
}

frmFecalysis::~frmFecalysis() = default;

void frmFecalysis::loadHook()
{
    ResultForm::loadHook();
    const bool keepText = SessionContext::current().RequestRecord.code == QLatin1String("106");
    for (int i = 0; i < m_xCbo.size(); ++i) {
        if (!keepText)
            xCbo(i)->setText(QString());
        if (i <= 13)
            loadPickList(*xCbo(i), m_lists, "Lab_Load_FecalysisValues", i);
    }
    // This bench reports no stool chemistry; its fields stay on the row, empty unless filled.
    ui->fraChemistry2->hide();
}

Command frmFecalysis::resultQuery() const
{
    return Command("LABORATORY..lab_getresulthcodes '") << SessionContext::current().RequestNum << "'";
}

void frmFecalysis::fillResultFields(const Recordset &row)
{
    const SessionContext &s = SessionContext::current();
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(i + 1).toStringOr());
    for (int k = 0; k < m_txtOther.count(); ++k)
        m_txtOther.setText(k, row.field(11 + k).toStringOr());
    setPickerPair(kFinished, s.RequestRecord.DateFinished);
    ui->TxtMethod->setText(s.RequestRecord.Method);
}

Command frmFecalysis::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_Fecalysis 0, '" : "Laboratory..Lab_Save_Fecalysis 1, '");
    c << SessionContext::current().RequestNum << "','" << texts.submitted << "', '" << texts.lra << "', '"
      << ui->txtAccNum->text() << "', '";
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "', '";
    m_txtOther.appendTo(c, "', '");
    c << ui->rtfComments->toPlainText() << "','" << ui->TxtMethod->text() << "', '" << texts.finished << "'";
    return c;
}

ReportRequest frmFecalysis::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_Fecalysis.RPT"), QStringLiteral("Fecalysis Result"),
            {s.HospitalAddress, s.RequestNum}};
}

QString frmFecalysis::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmFecalysis::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (pickListOf(watched) || watched == ui->TxtMethod)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
