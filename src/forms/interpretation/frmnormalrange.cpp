#include "forms/interpretation/frmnormalrange.h"

#include "ui_frmnormalrange.h"

#include "session/sessioncontext.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <iterator>

namespace corvane {

namespace {

// Stored field names, by slot.
constexpr const char *kFields[frmNormalRange::kSlots] = {
    "Patient", "Control", "Activity", "INR", "Report", "Direct", "Indirect", "Bleeding", "Clotting", "TUptake", "T3",
    "T4",      "FTI",     "PBI",      "TSH", "FT4",    "LH",     "FSH",      "Prolactin", "TotalPSA", "FreePSA"};

// Every box of the screen, the frame it sits in and the slot it fills. The thyroid screen repeats
// two slots of the full thyroid function set: a slot is saved from the box of the frame shown.
struct Box {
    const char *name;
    int frame;
    int slot;
};
constexpr Box kBoxes[] = {
    {"txtResult_0", 0, 0},   {"txtResult_1", 0, 1},   {"txtResult_2", 0, 2},   {"txtResult_3", 0, 3},
    {"txtResult_4", 0, 4},   {"cboDirect", 1, 5},     {"cboIndirect", 1, 6},   {"txtResult_5", 2, 7},
    {"txtResult_6", 2, 8},   {"txtResult_7", 3, 9},   {"txtResult_8", 3, 10},  {"txtResult_9", 3, 11},
    {"txtResult_10", 3, 12}, {"txtResult_11", 3, 13}, {"txtResult_12", 3, 14}, {"txtResult_13", 3, 15},
    {"txtResult_14", 4, 16}, {"txtResult_15", 4, 17}, {"txtResult_16", 4, 18}, {"txtResult_17", 5, 19},
    {"txtResult_18", 5, 20}, {"txtResult_19", 6, 14}, {"txtResult_20", 6, 15},
};
constexpr int kBoxCount = static_cast<int>(std::size(kBoxes));

} // namespace

frmNormalRange::frmNormalRange(QWidget *parent)
    : ResultForm(QStringLiteral("frmNormalRange"), parent), ui(std::make_unique<Ui::frmNormalRange>())
{
    ui->setupUi(this);
    for (const Box &b : kBoxes)
        m_boxes.append(findChild<QWidget *>(QLatin1String(b.name)));
    for (int i = 0; i < kFrames; ++i)
        m_frames.append(findChild<QWidget *>(QStringLiteral("fraSub_%1").arg(i)));
    // Agglutination graded as the Coombs reading is reported.
    for (QComboBox *combo : {ui->cboDirect, ui->cboIndirect})
        combo->addItems({QString(), QStringLiteral("NEGATIVE"), QStringLiteral("POSITIVE (1+)"),
                         QStringLiteral("POSITIVE (2+)"), QStringLiteral("POSITIVE (3+)"), QStringLiteral("POSITIVE (4+)")});
    initLifecycle();
}

frmNormalRange::~frmNormalRange() = default;

void frmNormalRange::loadHook()
{
    ResultForm::loadHook();
    showSubScreen(SessionContext::current().intResult);
}

// A number without a frame (a panel) shows none and leaves the focus on the sample number.
void frmNormalRange::showSubScreen(int number)
{
    m_subScreen = number;
    SessionContext::current().intResult = static_cast<qint16>(number);
    for (int i = 0; i < kFrames; ++i)
        m_frames[i]->setVisible(i == number);
    for (int i = 0; i < kBoxCount; ++i) {
        if (kBoxes[i].frame == number) {
            m_boxes[i]->setFocus();
            return;
        }
    }
    ui->txtAccNum->setFocus();
}

QString frmNormalRange::boxText(int box) const
{
    QWidget *w = m_boxes[box];
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    return static_cast<QLineEdit *>(w)->text();
}

void frmNormalRange::setBoxText(int box, const QString &text)
{
    QWidget *w = m_boxes[box];
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        // A grading stored before the list changed still shows.
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
    for (int i = 0; i < kBoxCount; ++i)
        setBoxText(i, row.field(QLatin1String(kFields[kBoxes[i].slot])).toStringOr());
}

// Request, the 21 fields (those of other sub-screens empty), the sub-screen, the sample number and
// the result, submitted, LRA and finished times.
Command frmNormalRange::saveCommand(int, const SaveTexts &texts) const
{
    Command c("LAB_Save_ResultNormalRange '");
    c << SessionContext::current().RequestNum;
    for (int slot = 0; slot < kSlots; ++slot) {
        QString value;
        for (int i = 0; i < kBoxCount; ++i) {
            if (kBoxes[i].slot == slot && kBoxes[i].frame == m_subScreen)
                value = boxText(i);
        }
        c << "','" << value;
    }
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
    if (m_subScreen == 0)
        return request("ProthrombinTime.rpt", "Prothrombin Time");
    if (m_subScreen == 1)
        return request("CoombsTest.rpt", "Coomb's Test");
    if (m_subScreen == 2)
        return request("BleedingClottingTime.rpt", "Bleeding and Clotting Time");
    if (m_subScreen >= 3 && m_subScreen <= 6)
        return request("NormalRange.rpt", "Normal Range");
    if (m_subScreen >= 7 && m_subScreen <= 11)
        return request("NormalRangePanel.rpt", "Normal Range");
    return {};
}

QString frmNormalRange::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

// Enter in a result box moves on, as Tab does.
bool frmNormalRange::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || std::none_of(m_boxes.begin(), m_boxes.end(), [&](const QWidget *w) { return w == watched; }))
        return false;
    focusNextChild();
    return true;
}

} // namespace corvane
