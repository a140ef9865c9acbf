#include "forms/microscopy/frmurinalysis.h"

#include "ui_frmurinalysis.h"

#include "forms/common/picklists.h"
#include "forms/microscopy/frmurinalysisrefrange.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

namespace corvane {

namespace {

constexpr const char *kListProcedure = "Lab_Load_UrinalysisValues";

// xCbo(i) offers list i, except RBC (7), which shares the WBC list (6).
int xCboList(int i)
{
    if (i == 6 || i == 7)
        return 6;
    if ((i >= 0 && i <= 5) || (i >= 8 && i <= 13))
        return i;
    return -1;
}

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

frmUrinalysis::frmUrinalysis(QWidget *parent)
    : ResultForm(QStringLiteral("frmUrinalysis"), parent), ui(std::make_unique<Ui::frmUrinalysis>()),
      m_xCbo((ui->setupUi(this), pickListArray(*this, "xCbo"))), m_cboChem(pickListArray(*this, "cboChem")),
      m_rtfResult(*this, "rtfResult"), m_txtResult(*this, "txtResult"), m_lists(std::make_shared<ScreenPickLists>())
{
    initLifecycle();
    connect(ui->cmdUpdateRefRange, &QPushButton::clicked, this,
            [this] {
                guarded([this] {
                    // The counts typed so far are judged by the ranges just updated.
                    if (frmUrinalysisRefRange::edit(this))
                        reloadFlags();
                });
            });
}

frmUrinalysis::~frmUrinalysis() = default;

void frmUrinalysis::loadHook()
{
    ResultForm::loadHook();
    const bool keepText = SessionContext::current().RequestRecord.code == QLatin1String("106");
    for (int i = 0; i < m_xCbo.size(); ++i) {
        if (!keepText)
            xCbo(i)->setText(QString());
        if (xCboList(i) >= 0)
            loadPickList(*xCbo(i), m_lists, kListProcedure, xCboList(i));
    }
    // The dipstick lists follow the microscopy ones: 15 to 20.
    for (int j = 0; j < m_cboChem.size(); ++j)
        loadPickList(*cboChem(j), m_lists, kListProcedure, j + 15);
    ui->sstbMain->setCurrentIndex(0);
}

Command frmUrinalysis::resultQuery() const
{
    return Command("LABORATORY..lab_getresulthcodes '") << SessionContext::current().RequestNum << "'";
}

void frmUrinalysis::fillResultFields(const Recordset &row)
{
    const SessionContext &s = SessionContext::current();
    const auto text = [&row](const QString &column) { return row.field(column).toStringOr(); };
    ui->rtfComments->setPlainText(text(QStringLiteral("result18")));
    for (int i = 0; i < m_xCbo.size(); ++i)
        xCbo(i)->setText(row.field(i + 1).toStringOr());
    for (int k = 0; k < m_rtfResult.count(); ++k)
        m_rtfResult.setText(k, row.field(15 + k).toStringOr());
    for (int j = 0; j < m_cboChem.size(); ++j)
        cboChem(j)->setText(text(QStringLiteral("result%1").arg(21 + j)));
    // The method kept with the result, not the request's.
    ui->TxtMethod->setText(s.StoredResultHeader.Method);
    ui->TxtMethod->setCursorPosition(0);
    setPickerPair(kFinished, s.RequestRecord.DateFinished);
    for (int k = 0; k < m_txtResult.count(); ++k)
        m_txtResult.setText(k, text(QStringLiteral("result%1").arg(27 + k)));
}

// The counts per high-power field (combos where a number may be typed) and per microlitre; the
// casts per field are free text and are not judged.
QList<JudgedField> frmUrinalysis::judgedFields() const
{
    QList<JudgedField> out;
    for (int i : {6, 7, 8, 10})
        out.append({xCbo(i), QStringLiteral("result%1").arg(i + 1)});
    for (int k = 0; k < m_txtResult.count(); ++k)
        out.append({m_txtResult.field(k), QStringLiteral("result%1").arg(27 + k)});
    return out;
}

Command frmUrinalysis::saveCommand(int flag, const SaveTexts &texts) const
{
    Command c(flag == 0 ? "Laboratory..Lab_Save_Urinalysis 0, '" : "Laboratory..Lab_Save_Urinalysis 1, '");
    c << SessionContext::current().RequestNum << "','" << texts.submitted << "', '" << texts.finished << "', '"
      << ui->txtAccNum->text() << "', '";
    for (const PickListCombo *combo : m_xCbo)
        c << combo->text() << "', '";
    m_rtfResult.appendTo(c, "', '");
    c << ui->rtfComments->toPlainText() << "', '" << ui->TxtMethod->text() << "', '" << texts.finished << "', '";
    for (const PickListCombo *combo : m_cboChem)
        c << combo->text() << "', '";
    for (int k = 0; k < m_txtResult.count(); ++k)
        c << m_txtResult.text(k) << (k + 1 < m_txtResult.count() ? "', '" : "'");
    return c;
}

QString frmUrinalysis::reportFileFor(const QString &paperSize)
{
    if (paperSize == QLatin1String("W"))
        return QStringLiteral("LabPrint_Urinalysis_revised.RPT");
    if (paperSize == QLatin1String("H"))
        return QStringLiteral("LabPrint_Urinalysis.RPT");
    return QStringLiteral("LabPrint_Urinalysis_NewFormat.RPT");
}

ReportRequest frmUrinalysis::report() const
{
    const SessionContext &s = SessionContext::current();
    return {reportFileFor(frmMedTech::shared().PaperSize()), QStringLiteral("Urinalysis Result"),
            {s.HospitalAddress, s.RequestNum}};
}

// The three layouts are chosen at sign-off.
void frmUrinalysis::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
    signOff.setNewFormat(true);
}

QString frmUrinalysis::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmUrinalysis::keyHook(QObject *watched, QKeyEvent *key)
{
    if (!isEnter(key))
        return false;
    if (PickListCombo *combo = pickListOf(watched)) {
        // The last list of the first page leads on to the second page, the dipstick page to the
        // counts. Named outright: turning the page moves the focus on its own.
        if (combo == xCbo(13)) {
            ui->sstbMain->setCurrentIndex(1);
            m_rtfResult.field(1)->setFocus(Qt::TabFocusReason);
        } else if (combo == cboChem(5)) {
            ui->sstbMain->setCurrentIndex(3);
            m_txtResult.field(0)->setFocus(Qt::TabFocusReason);
        } else {
            focusNextChild();
        }
        return true;
    }
    if (watched == ui->TxtMethod || m_txtResult.indexOf(watched) >= 0) {
        focusNextChild();
        return true;
    }
    return false;
}

} // namespace corvane
