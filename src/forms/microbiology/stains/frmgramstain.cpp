#include "forms/microbiology/stains/frmgramstain.h"

#include "ui_frmgramstain.h"

#include "session/sessioncontext.h"

#include <QKeyEvent>

#include <array>

namespace corvane {

namespace {

// The stored column of each box, in box order; several names are historical (Pus1 holds the
// epithelial cells, KOH the remarks).
constexpr std::array<const char *, 12> kColumns{"Specimen",    "Result",   "Pus1", "Pus2", "Epithelial1",
                                                "Epithelial2", "Organism", "Seen", "AFB",  "Smear",
                                                "KOH",         "Remarks"};

// The exam reported as a KOH mount on this screen.
constexpr auto kKohExamCode = "242";

constexpr int kResultBox = 1;

} // namespace

frmGramStain::frmGramStain(QWidget *parent)
    : ResultForm(QStringLiteral("frmGramStain"), parent), ui(std::make_unique<Ui::frmGramStain>()),
      m_results((ui->setupUi(this), *this))
{
    m_results.setFilterUntilFilled(true);
    initLifecycle();
}

frmGramStain::~frmGramStain() = default;

QString frmGramStain::quickText(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_F1 && (modifiers & Qt::ShiftModifier))
        return QStringLiteral("NO GRAM NEGATIVE DIPLOCOCCI SEEN.");
    switch (key) {
    case Qt::Key_F1:
        return QStringLiteral("GRAM NEGATIVE INTRACELLULAR DIPLOCOCCI");
    case Qt::Key_F2:
        return QStringLiteral("GRAM NEGATIVE EXTRACELLULAR DIPLOCOCCI");
    case Qt::Key_F3:
        return QStringLiteral("EPITHELIAL CELLS");
    case Qt::Key_F4:
        return QStringLiteral("PUS CELLS");
    case Qt::Key_F5:
        return QStringLiteral("GRAM NEGATIVE RODS");
    case Qt::Key_F6:
        return QStringLiteral("GRAM POSITIVE COCCI IN PAIRS");
    case Qt::Key_F7:
        return QStringLiteral("PRESENCE OF YEAST CELLS");
    case Qt::Key_F8:
        return QStringLiteral("PRESENCE OF HYPHAE AND YEAST CELLS");
    case Qt::Key_F10:
        return QStringLiteral("PUS CELLS = MORE THAN 25/lpf");
    case Qt::Key_F11:
        return QStringLiteral("EPITHELIAL CELLS = MORE THAN 10/lpf");
    case Qt::Key_F12:
        return QStringLiteral("PUS CELLS = LESS THAN 25/lpf");
    default:
        return {};
    }
}

void frmGramStain::loadHook()
{
    // This screen keeps the workstation's time, also over a stored result.
    const QDateTime now = QDateTime::currentDateTime();
    for (const PickerPair &pair : {kReport, kSubmitted, kLra, kFinished})
        setPickerPair(pair, now);
    ResultForm::loadHook();
    const bool koh = SessionContext::current().RequestRecord.code.trimmed() == QLatin1String(kKohExamCode);
    ui->Label16_21->setText(koh ? QStringLiteral("KOH RESULT") : QStringLiteral("GRAM STAIN RESULT"));
}

void frmGramStain::Fill_Results()
{
    m_sendOutsShown = false;
    ResultForm::Fill_Results();
    // Nothing stored yet: the flag is the request's all the same.
    if (!m_sendOutsShown)
        showSendOuts();
}

void frmGramStain::showSendOuts()
{
    m_sendOutsShown = true;
    SessionContext &s = SessionContext::current();
    Recordset rs = s.db().query(
        Command("select isnull(SendOuts,'N') as SendOuts from laboratory..tblabmaster where requestnum = '")
        << s.RequestNum << "'");
    ui->chkSendOuts->setChecked(!rs.eof() && rs.field(QStringLiteral("SendOuts")).toStringOr() == QLatin1String("Y"));
}

Command frmGramStain::resultQuery() const
{
    return Command("LABORATORY..Lab_GetResultGramStain '") << SessionContext::current().RequestNum << "'";
}

void frmGramStain::fillResultFields(const Recordset &row)
{
    for (int i = 0; i < m_results.count(); ++i)
        m_results.setText(i, row.field(QLatin1String(kColumns[static_cast<std::size_t>(i)])).toStringOr());
    // Before the reagent posting is looked up.
    showSendOuts();
}

QList<Command> frmGramStain::saveCommands(int, const SaveTexts &) const
{
    const QString &request = SessionContext::current().RequestNum;
    Command save("LAB_Save_GramStain '");
    save << request;
    for (int i = 0; i < m_results.count(); ++i)
        save << "','" << m_results.text(i);
    save << "'";
    // A grayed box counts as sent out.
    const char *flag = ui->chkSendOuts->checkState() == Qt::Unchecked ? "N" : "Y";
    Command sendOuts("UPDATE LABORATORY..tbLabMaster SET SendOuts = '");
    sendOuts << flag << "' WHERE RequestNum = '" << request << "'";
    return {save, sendOuts};
}

ReportRequest frmGramStain::report() const
{
    const SessionContext &s = SessionContext::current();
    return {QStringLiteral("GramStain.rpt"), QStringLiteral("GRAM STAIN"), {s.HospitalAddress, s.RequestNum}};
}

QString frmGramStain::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

bool frmGramStain::keyHook(QObject *watched, QKeyEvent *key)
{
    const int box = m_results.indexOf(watched);
    if (box < 0)
        return false;
    // Enter does nothing here: the result boxes hold several lines only through the keys below.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return true;
    if (key->key() == Qt::Key_F9) {
        m_results.searchInterpretation(box);
        return true;
    }
    const QString text = quickText(key->key(), key->modifiers());
    if (text.isEmpty())
        return false;
    // Whichever box has the focus, the quick texts go to the result.
    m_results.setText(kResultBox, m_results.text(kResultBox) + QLatin1Char('\n') + text);
    return true;
}

} // namespace corvane
