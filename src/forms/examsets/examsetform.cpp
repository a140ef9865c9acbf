#include "forms/examsets/examsetform.h"

#include "forms/examsets/examlines.h"
#include "forms/examsets/flagresult.h"
#include "forms/common/grdentry.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <controls/examentry.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace corvane {

namespace {

SessionContext &session()
{
    return SessionContext::current();
}

bool isPanel()
{
    return session().RequestRecord.FormType == QLatin1String("P");
}

} // namespace

ExamSetForm::ExamSetForm(const QString &screenName, QWidget *parent) : ResultForm(screenName, parent) {}

ExamSetForm::~ExamSetForm() = default;

void ExamSetForm::initExamSet()
{
    m_list = findChild<ExamEntry *>(QStringLiteral("ExamEntry"));
    m_cboMethod = findChild<QComboBox *>(QStringLiteral("cboMethod"));
    m_txtMethod = findChild<QLineEdit *>(QStringLiteral("TxtMethod"));
    m_txtRemarks = findChild<QLineEdit *>(QStringLiteral("txtRemarks"));
    m_txtAccNum = findChild<QLineEdit *>(QStringLiteral("txtAccNum"));
    m_lblProgress = findChild<QLabel *>(QStringLiteral("lblProgress"));
    m_pbarSave = findChild<QProgressBar *>(QStringLiteral("pbarSave"));
    m_ranges = std::make_unique<NormalValueRoutines>(
        static_cast<NormalValueRows &>(*this), NormalValueControls{findChild<QWidget *>(QStringLiteral("fraAge")),
                                   findChild<QComboBox *>(QStringLiteral("cboAge")), m_cboMethod,
                                   findChild<QWidget *>(QStringLiteral("lblLabels_15")), m_txtMethod});
    initLifecycle();

    // Direct connections: the handlers change the key they are given.
    connect(m_list, &ExamEntry::KeyDown, this,
            [this](int line, int &keyCode, Qt::KeyboardModifiers &) { guarded([&] { list_KeyDown(line, keyCode); }); },
            Qt::DirectConnection);
    connect(m_list, &ExamEntry::KeyPress, this,
            [this](int line, int &keyAscii) { guarded([&] { list_KeyPress(line, keyAscii); }); },
            Qt::DirectConnection);
    connect(m_list, &ExamEntry::EntryChanged, this, &ExamSetForm::updateFlag);
    if (m_cboMethod)
        connect(m_cboMethod, &QComboBox::activated, this, [this] { guarded([this] { m_ranges->methodChosen(); }); });
    if (auto *cboAge = findChild<QComboBox *>(QStringLiteral("cboAge")))
        connect(cboAge, &QComboBox::activated, this, [this] { guarded([this] { m_ranges->reloadByAge(); }); });
}

void ExamSetForm::loadHook()
{
    ResultForm::loadHook();
    for (QWidget *w : {static_cast<QWidget *>(m_lblProgress), static_cast<QWidget *>(m_pbarSave),
                       findChild<QWidget *>(QStringLiteral("fraAge")), static_cast<QWidget *>(m_cboMethod),
                       findChild<QWidget *>(QStringLiteral("lblLabels_15"))}) {
        if (w)
            w->hide();
    }
    SessionContext &s = session();
    m_list->connectTo(std::make_shared<SessionExamLines>());
    m_list->Load(s.EntryMode, s.RequestNum);
    setupByFormat();
}

Command ExamSetForm::resultQuery() const
{
    return Command("LABORATORY..Lab_ResultEntryDLL_GetIndividualResultEntries  '") << session().RequestNum << "'";
}

void ExamSetForm::fillResultFields(const Recordset &)
{
    // The list read the stored lines itself; the header holds the rest.
    const StoredResultHeader &h = session().StoredResultHeader;
    if (m_txtMethod)
        m_txtMethod->setText(h.Method);
    if (m_txtRemarks)
        m_txtRemarks->setText(h.Remarks);
    m_ranges->DetectReagentFormat(true);
    flagAll();
}

void ExamSetForm::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    if (m_ageRanges)
        m_ranges->DetectAgeFormat();
    m_ranges->DetectReagentFormat(false);
    flagAll();
}

int ExamSetForm::endRow() const
{
    return m_list->count();
}

QString ExamSetForm::examCode(int row) const
{
    return m_list->line(row).code;
}

QString ExamSetForm::formType(int row) const
{
    return m_list->line(row).formType;
}

void ExamSetForm::setAgeRange(int row, const AgeRange &range)
{
    m_list->setNormalValue(row, range.range);
    m_list->setUnit(row, range.unit);
    m_list->setRange(row, range.minimum, range.maximum);
    updateFlag(row);
}

void ExamSetForm::setReagentRange(int row, const QString &minimum, const QString &maximum, const QString &unit)
{
    m_list->setNormalValue(row, minimum + QStringLiteral("-") + maximum);
    m_list->setUnit(row, unit);
    m_list->setRange(row, minimum, maximum);
    updateFlag(row);
}

void ExamSetForm::flagAll()
{
    for (int i = 0; i < m_list->count(); ++i)
        updateFlag(i);
}

void ExamSetForm::updateFlag(int line)
{
    const ExamLine l = m_list->line(line);
    const QString flag = FlagResult(l.entry, l.minimum, l.maximum);
    m_list->setFlag(line, flag);
    m_list->setLineColors(line, QColor(Qt::black),
                          colorFromBgr(flag.isEmpty() ? kLineBackColor : kFlaggedLineColor));
}

bool ExamSetForm::isNumericLine(int line) const
{
    if (isPanel())
        return true;
    static const QStringList numeric{QStringLiteral("1"), QStringLiteral("8"), QStringLiteral("9"),
                                     QStringLiteral("B"), QStringLiteral("U")};
    return numeric.contains(m_list->line(line).formType.trimmed());
}

bool ExamSetForm::acceptsCharacter(int, QChar) const
{
    return true;
}

bool ExamSetForm::lineKeyDown(int, int)
{
    return false;
}

void ExamSetForm::list_KeyDown(int line, int &keyCode)
{
    if (lineKeyDown(line, keyCode))
        keyCode = 0;
}

void ExamSetForm::list_KeyPress(int line, int &keyAscii)
{
    constexpr int kEnter = 13, kBackspace = 8;
    if (keyAscii == kEnter) {
        moveOn(line);
        return;
    }
    if (keyAscii == kBackspace)
        return;
    const QChar upper = QChar(keyAscii).toUpper();
    keyAscii = acceptsCharacter(line, upper) ? upper.unicode() : 0;
}

void ExamSetForm::moveOn(int line)
{
    if (line + 1 < m_list->count()) {
        m_list->setCurrentLine(line + 1);
        return;
    }
    auto *save = findChild<QPushButton *>(QStringLiteral("cmdSave"));
    if (save && save->isEnabled())
        save->setFocus(Qt::TabFocusReason);
}

QString ExamSetForm::methodText() const
{
    if (m_cboMethod && m_cboMethod->isVisible() && m_cboMethod->currentIndex() >= 0)
        return m_cboMethod->currentText().trimmed().chopped(5).trimmed();
    return m_txtMethod ? m_txtMethod->text() : QString();
}

// Value slots: a number, a choice (positive/negative) or a text; the exam code sits among them.
Command ExamSetForm::lineCommand(int line, const SaveTexts &texts, const QString &batch) const
{
    const SessionContext &s = session();
    const ExamLine l = m_list->line(line);
    const QString type = l.formType.trimmed();
    const bool numeric = isNumericLine(line);
    const bool choice = !numeric && (type == QLatin1String("2") || type == QLatin1String("3"));
    const QString number = numeric ? l.entry : QString();
    const QString chosen = choice ? l.entry : QString();
    const QString text = !numeric && !choice ? l.entry : QString();
    QString lineText = l.entry;
    if (!l.unit.isEmpty() && !l.entry.isEmpty())
        lineText += QLatin1Char(' ') + l.unit;
    const QString remarks = lineText + QStringLiteral("; Remarks: ") + (m_txtRemarks ? m_txtRemarks->text() : QString());
    Command c("Lab_ResultEntryDLL_SaveIndividualResultEntries '");
    c << s.RequestNum << "','" << number << "','" << chosen << "','" << l.code << "','" << l.normalValue << "','"
      << text << "', '" << l.unit << "', '" << l.minimum << "', '" << l.maximum << "', '" << l.flag << "', '" << type
      << "', '" << QString::number(line + 1) << "', '" << batch << "', '" << remarks << "', '"
      << (m_txtAccNum ? m_txtAccNum->text() : QString()) << "','" << texts.submitted << "', '" << texts.lra << "','"
      << methodText() << "', '" << texts.finished << "'";
    return c;
}

void ExamSetForm::executeSave(Connection &db, int, const SaveTexts &texts)
{
    SessionContext &s = session();
    QString batch;
    if (!s.EditMode) {
        Recordset rs = db.query(Command("select BatchNum from LABORATORY..tbLabSlip"));
        batch = rs.eof() ? QString() : rs.field(QStringLiteral("BatchNum")).toStringOr();
    }
    const int lines = m_list->count();
    if (m_pbarSave) {
        m_pbarSave->setRange(0, lines);
        m_pbarSave->setValue(0);
        m_pbarSave->show();
    }
    if (m_lblProgress)
        m_lblProgress->show();
    for (int i = 0; i < lines; ++i) {
        if (m_lblProgress) {
            m_lblProgress->setText(progressCaption(i));
            m_lblProgress->repaint();
        }
        db.execute(lineCommand(i, texts, batch));
        if (m_pbarSave)
            m_pbarSave->setValue(i + 1);
    }
}

ReportRequest ExamSetForm::report() const
{
    const SessionContext &s = session();
    const QString section = s.RequestRecord.SectionID.trimmed();
    const QString type = s.RequestRecord.FormType.trimmed();
    const QString title = QStringLiteral("Department of Laboratory Medicine");
    const QStringList params{s.HospitalAddress, s.RequestNum};
    const QStringList byRequest{s.RequestNum};
    if (section == QLatin1String("FLW") && type == QLatin1String("P"))
        return {QStringLiteral("LabPrint_Campath.RPT"), title, params, {{QStringLiteral("mm3"), byRequest}}};
    if (section == QLatin1String("CEL") && type == QLatin1String("2"))
        return {QStringLiteral("LabPrint_Interpretation.RPT"), title, params,
                {{QStringLiteral("NormalValueRangeFormat.rpt"), byRequest}}};
    QList<std::pair<QString, QStringList>> subreports;
    for (const char *name : {"ShortForm.rpt", "NormalValueFormat.rpt", "ConversionFactor.rpt", "SpecificColumn1.rpt",
                             "SpecificColumn2.rpt", "NormalValueRangeFormat.rpt"})
        subreports.append({QLatin1String(name), byRequest});
    const bool wholePage = printsWholePage() && frmMedTech::shared().PaperSize() == QLatin1String("W");
    return {wholePage ? QStringLiteral("LabPrint_PreFormattedExams_WholePage.RPT")
                      : QStringLiteral("LabPrint_PreFormattedExams.RPT"),
            title, params, subreports};
}

QString ExamSetForm::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

} // namespace corvane
