#include "forms/microbiology/stains/frmurinewright.h"

#include "ui_frmurinewright.h"

#include "forms/common/picklists.h"
#include "forms/common/screenroutines.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmUrineWright::frmUrineWright(QWidget *parent)
    : ResultForm(QStringLiteral("frmUrineWright"), parent), ui(std::make_unique<Ui::frmUrineWright>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_txtResults(*this, "txtResults"),
      m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
}

frmUrineWright::~frmUrineWright() = default;

void frmUrineWright::loadHook()
{
    ResultForm::loadHook();
    const QDateTime now = QDateTime::currentDateTime();
    for (const PickerPair &pair : {kReport, kSubmitted, kLra})
        setPickerPair(pair, now);
    // Color and clarity are the urinalysis lists of the same numbers.
    for (int i = 0; i < m_xCbo.size(); ++i)
        loadPickList(*xCbo(i), m_lists, "Lab_Load_UrinalysisValues", i);
}

Command frmUrineWright::resultQuery() const
{
    return hcodesQuery();
}

void frmUrineWright::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(1 + i).toStringOr());
    for (int k = 0; k < m_txtResults.count(); ++k)
        m_txtResults.setText(k, row.field(3 + k).toStringOr());
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result20")).toStringOr());
}

Command frmUrineWright::saveCommand(int flag, const SaveTexts &texts) const
{
    const QDateTime report = pickerValue(kReport);
    Command c(flag == 0 ? "Laboratory..Lab_Save_UrineWright 0, '" : "Laboratory..Lab_Save_UrineWright 1, '");
    c << SessionContext::current().RequestNum << "','" << texts.submitted << "', '" << texts.lra << "', '"
      << ui->txtAccNum->text() << "', '";
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "', '";
    m_txtResults.appendTo(c, "', '");
    c << shortDateText(report.date()) << "','" << longTimeText(report.time()) << "', '"
      << ui->rtfComments->toPlainText() << "'";
    return c;
}

ReportRequest frmUrineWright::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_UrineWright.RPT"), QStringLiteral("Urine Wright Result"),
            {s.HospitalTitle, s.HospitalAddress, s.EmployeeName, s.RequestRecord.Pathologist, s.RequestNum}};
}

QString frmUrineWright::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the ACCESSION NUMBER first.");
}

bool frmUrineWright::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (pickListOf(watched) || m_txtResults.indexOf(watched) >= 0)) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
