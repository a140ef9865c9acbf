#include "forms/microscopy/frmstool.h"

#include "ui_frmstool.h"

#include "forms/common/picklists.h"
#include "forms/common/screenroutines.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

frmStool::frmStool(QWidget *parent)
    : ResultForm(QStringLiteral("frmStool"), parent), ui(std::make_unique<Ui::frmStool>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_txtResult(*this, "txtResult"),
      m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
    // The helminths the bench looks for first; rows 5 and 6 are for what else is found.
    const char *helminths[] = {"Ascaris", "T.Trichiura", "Hookworm", "Pinworm"};
    for (int row = 0; row < 4; ++row)
        m_txtResult.setText(3 + 3 * row, QLatin1String(helminths[row]));
}

frmStool::~frmStool() = default;

void frmStool::loadHook()
{
    ResultForm::loadHook();
    for (int i = 0; i < m_xCbo.size() && i <= 6; ++i)
        loadPickList(*xCbo(i), m_lists, "Lab_Load_FecalysisValues", i);
}

Command frmStool::resultQuery() const
{
    return hcodesQuery();
}

void frmStool::fillResultFields(const Recordset &row)
{
    // No LRA pickers here: the finished time is kept as the LRA time.
    const Field finished = row.field(QStringLiteral("lratime"));
    if (!finished.isNull())
        setPickerPair(kFinished, finished.toDateTime());
    ui->rtfComments->setPlainText(row.field(QStringLiteral("result29")).toStringOr());
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(i + 1).toStringOr());
    for (int k = 0; k < m_txtResult.count(); ++k)
        m_txtResult.setText(k, row.field(8 + k).toStringOr());
}

Command frmStool::saveCommand(int flag, const SaveTexts &texts) const
{
    const QDateTime report = pickerValue(kReport);
    Command c(flag == 0 ? "Laboratory..Lab_Save_StoolExam 0, '" : "Laboratory..Lab_Save_StoolExam 1, '");
    c << SessionContext::current().RequestNum << "','" << texts.submitted << "', '" << texts.finished << "', '"
      << ui->txtAccNum->text() << "', '";
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "', '";
    m_txtResult.appendTo(c, "', '");
    c << shortDateText(report.date()) << "','" << longTimeText(report.time()) << "', '"
      << ui->rtfComments->toPlainText() << "'";
    return c;
}

ReportRequest frmStool::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("LabPrint_StoolExam.RPT"), QStringLiteral("CYA Result"),
            {s.HospitalTitle, s.HospitalAddress, s.RequestNum}};
}

QString frmStool::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the ACCESSION NUMBER first.");
}

bool frmStool::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || !(pickListOf(watched) || m_txtResult.indexOf(watched) >= 0))
        return false;
    // The last physical-examination list leads on to the filaria box, the filaria box to page 2.
    // Named outright: turning the page moves the focus on its own.
    if (m_txtResult.indexOf(watched) == 2) {
        ui->SSTab1->setCurrentIndex(1);
        m_txtResult.field(3)->setFocus(Qt::TabFocusReason);
    } else {
        focusNextChild();
    }
    return true;
}

} // namespace corvane
