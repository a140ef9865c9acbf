#include "forms/interpretation/frmnormalrange.h"

#include "ui_frmnormalrange.h"

#include "session/sessioncontext.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace corvane {

namespace {

// Stored field names, by slot.
constexpr const char *kFields[frmNormalRange::kSlots] = {
    "Patient", "Control", "Activity", "INR", "Report", "Direct", "Indirect", "Bleeding", "Clotting", "TUptake", "T3",
    "T4",      "FTI",     "PBI",      "TSH", "FT4",    "LH",     "FSH",      "Prolactin", "TotalPSA", "FreePSA"};

// The first slot of each frame; a frame runs to the next one's first slot.
constexpr int kFrameStart[] = {0, 5, 7, 9, 16, 19, frmNormalRange::kSlots};
constexpr int kFrames = 6;

} // namespace

frmNormalRange::frmNormalRange(QWidget *parent)
    : ResultForm(QStringLiteral("frmNormalRange"), parent), ui(std::make_unique<Ui::frmNormalRange>())
{
    ui->setupUi(this);
    for (int slot = 0, box = 0; slot < kSlots; ++slot) {
        if (slot == 5)
            m_slots[5] = ui->cboDirect;
        else if (slot == 6)
            m_slots[6] = ui->cboIndirect;
        else
            m_slots[static_cast<std::size_t>(slot)] = findChild<QLineEdit *>(QStringLiteral("txtResult_%1").arg(box++));
    }
    for (int i = 0; i < kFrames; ++i)
        m_frames.append(findChild<QWidget *>(QStringLiteral("fraSub_%1").arg(i)));
    for (QComboBox *combo : {ui->cboDirect, ui->cboIndirect})
        combo->addItems({QString(), QStringLiteral("NEGATIVE"), QStringLiteral("POSITIVE (1+)"),
                         QStringLiteral("POSITIVE (2+)"), QStringLiteral("POSITIVE (3+)"), QStringLiteral("POSITIVE (4+)")});
    initLifecycle();
}

frmNormalRange::~frmNormalRange() = default;

int frmNormalRange::frameOf(int slot)
{
    for (int i = 0; i < kFrames; ++i) {
        if (slot >= kFrameStart[i] && slot < kFrameStart[i + 1])
            return i;
    }
    return -1;
}

void frmNormalRange::loadHook()
{
    ResultForm::loadHook();
    showSubScreen(SessionContext::current().intResult);
}

// Numbers above the frames (the panels printed by their own report) show none.
void frmNormalRange::showSubScreen(int number)
{
    m_subScreen = number;
    for (int i = 0; i < kFrames; ++i)
        m_frames[i]->setVisible(i == number);
    if (number >= 0 && number < kFrames)
        m_slots[static_cast<std::size_t>(kFrameStart[number])]->setFocus();
}

QString frmNormalRange::slotText(int slot) const
{
    QWidget *w = m_slots[static_cast<std::size_t>(slot)];
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    return static_cast<QLineEdit *>(w)->text();
}

void frmNormalRange::setSlotText(int slot, const QString &text)
{
    QWidget *w = m_slots[static_cast<std::size_t>(slot)];
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        if (combo->findText(text) < 0)
            combo->addItem(text);
        combo->setCurrentIndex(combo->findText(text));
    } else {
        static_cast<QLineEdit *>(w)->setText(text);
    }
}

Command frmNormalRange::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultNormalRange '") << SessionContext::current().RequestNum << "'";
}

void frmNormalRange::fillResultFields(const Recordset &row)
{
    bool numbered = false;
    const int stored = row.field(QStringLiteral("FormType")).toStringOr().trimmed().toInt(&numbered);
    if (numbered)
        showSubScreen(stored);
    for (int slot = 0; slot < kSlots; ++slot)
        setSlotText(slot, row.field(QLatin1String(kFields[slot])).toStringOr());
}

// Request, the 21 fields (those of other sub-screens empty), the sub-screen, the sample number and
// the result, submitted, LRA and finished times.
Command frmNormalRange::saveCommand(int, const SaveTexts &texts) const
{
    Command c("LAB_Save_ResultNormalRange '");
    c << SessionContext::current().RequestNum;
    for (int slot = 0; slot < kSlots; ++slot)
        c << "','" << (frameOf(slot) == m_subScreen ? slotText(slot) : QString());
    c << "','" << QString::number(m_subScreen) << "','" << ui->txtAccNum->text() << "','" << texts.report << "','"
      << texts.submitted << "','" << texts.lra << "','" << texts.finished << "'";
    return c;
}

ReportRequest frmNormalRange::report() const
{
    const SessionContext &s = SessionContext::current();
    const auto request = [&](const char *file, const char *title) {
        return ReportRequest{QLatin1String(file), QLatin1String(title), {s.HospitalAddress, s.RequestNum}};
    };
    switch (m_subScreen) {
    case 0:
        return request("ProthrombinTime.rpt", "Prothrombin Time");
    case 1:
        return request("CoombsTest.rpt", "Coomb's Test");
    case 2:
        return request("BleedingClottingTime.rpt", "Bleeding and Clotting Time");
    case 3:
    case 4:
    case 5:
    case 6:
        return request("NormalRange.rpt", "Normal Range");
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
        return request("NormalRangePanel.rpt", "Normal Range");
    default:
        return {}; // no report for another number
    }
}

QString frmNormalRange::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmNormalRange::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter)
        return false;
    for (QWidget *w : m_slots) {
        if (w == watched) {
            focusNextChild();
            return true;
        }
    }
    return false;
}

} // namespace corvane
