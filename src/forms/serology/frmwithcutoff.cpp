#include "forms/serology/frmwithcutoff.h"

#include "ui_frmwithcutoff.h"

#include "forms/common/grdentry.h"
#include "forms/common/screenroutines.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <QKeyEvent>

#include <array>

namespace corvane {

namespace {

constexpr int kCentred = 4;
// Code, interpretation exam names and short-form remarks are wider than the classic widths so that
// headings, item codes such as "172A" and full exam names are not clipped.
constexpr int kCodeTwips = 800;
constexpr int kWidalRows = 7;
constexpr int kWidalTitres = 5;
// Hidden: the item's internal number, and on the interpretation layout its interpretation code.
constexpr int kColItem = 5;
constexpr int kColCode = 6;

const std::array<QString, 6> &widalAntigens()
{
    static const std::array<QString, 6> names{
        QStringLiteral("Typhoid \"O\" Somatic"), QStringLiteral("Typhoid \"H\" Flagellar"),
        QStringLiteral("PARA \"A\" Somatic"),    QStringLiteral("PARA \"A\" Flagellar"),
        QStringLiteral("PARA \"B\" Somatic"),    QStringLiteral("PARA \"B\" Flagellar")};
    return names;
}

SessionContext &session()
{
    return SessionContext::current();
}

QString field(const Recordset &rs, const char *name)
{
    return rs.field(QLatin1String(name)).toStringOr();
}

bool matchesCode(const QString &formType, const QString &valueType, const char *code)
{
    const QLatin1String c(code);
    return formType == c || (formType == QLatin1String("P") && valueType == c);
}

} // namespace

frmWithCutOff::Layout frmWithCutOff::layoutFor(const QString &formType, const QString &valueType)
{
    if (formType == QLatin1String("W"))
        return Layout::Widal;
    if (matchesCode(formType, valueType, "I"))
        return Layout::Interpretation;
    if (matchesCode(formType, valueType, "D"))
        return Layout::ShortForm;
    return Layout::CutOff;
}

frmWithCutOff::frmWithCutOff(QWidget *parent)
    : ResultForm(QStringLiteral("frmWithCutOff"), parent), ui(std::make_unique<Ui::frmWithCutOff>())
{
    ui->setupUi(this);
    initLifecycle();

    GrdEntry &g = grid();
    // Direct connections: the handler changes the key code it is given.
    connect(&g, &GrdEntry::KeyDown, this,
            [this](int &keyCode, Qt::KeyboardModifiers &) { guarded([&] { grid_KeyDown(keyCode); }); },
            Qt::DirectConnection);
    connect(&g, &GrdEntry::Change, this, &frmWithCutOff::grid_Change);
    connect(&g, &GrdEntry::LeaveCell, this, &frmWithCutOff::grid_LeaveCell);
    connect(&g, &GrdEntry::EnterCell, this, [this] {
        m_editRow = grid().Row();
        m_editCol = grid().col();
    });
    connect(&g, &GrdEntry::focusEntered, this, [this] {
        const int first = m_layout == Layout::Widal ? 1 : 2;
        if (grid().col() < first && grid().Cols() > first)
            grid().setCol(first);
    });
}

frmWithCutOff::~frmWithCutOff() = default;

GrdEntry &frmWithCutOff::grid() const
{
    return *ui->grdEntry;
}

QString frmWithCutOff::cell(int row, int column) const
{
    return grid().TextMatrix(row, column);
}

void frmWithCutOff::setCell(int row, int column, const QString &text)
{
    grid().setTextMatrix(row, column, text);
}

void frmWithCutOff::loadHook()
{
    ResultForm::loadHook();
    const RequestRecord &r = session().RequestRecord;
    m_layout = layoutFor(r.FormType, r.ValueType);
    SetupResultGrid();
}

void frmWithCutOff::SetupResultGrid()
{
    struct Column {
        const char *heading;
        int twips;
        bool centred;
    };
    QList<Column> columns;
    int fixedCols = 2;
    int rows = 2;
    switch (m_layout) {
    case Layout::CutOff:
        columns = {{"Code", kCodeTwips, false},
                   {"Exam", 3000, false},
                   {"Result", 2000, true},
                   {"Rate Note", 2000, true},
                   {session().RequestRecord.ValueType == QLatin1String("A") ? "Index Value" : "Cut-Off Value", 2000, true},
                   {"", 0, false}};
        break;
    case Layout::Interpretation:
        columns = {{"Code", kCodeTwips, false},         {"Exam", 3000, false},          {"Patient's Value", 2000, true},
                   {"Interpretation", 2000, true}, {"Threshold Value", 3000, true}, {"", 0, false},
                   {"", 0, false}};
        break;
    case Layout::ShortForm:
        columns = {{"Code", kCodeTwips, false}, {"Exam", 3000, false},   {"Result", 2700, true},
                   {"Unit", 1000, true}, {"Remarks", 4000, false}, {"", 0, false}};
        break;
    case Layout::Widal:
        columns = {{"WIDAL TEST", 2000, false}, {"1:20", 1500, true},  {"1:40", 1500, true},
                   {"1:80", 1500, true},        {"1:160", 1500, true}, {"1:320", 1500, true}};
        fixedCols = 1;
        rows = kWidalRows;
        break;
    }

    GrdEntry &g = grid();
    g.Clear();
    g.setCols(static_cast<int>(columns.size()));
    g.setRows(rows);
    g.setFixedRows(1);
    g.setFixedCols(fixedCols);
    const int lastEntry = lastEntryColumn();
    for (int c = 0; c < columns.size(); ++c) {
        const Column &col = columns[c];
        g.setTextMatrix(0, c, QLatin1String(col.heading));
        g.setColWidth(c, col.twips);
        if (col.centred)
            g.setColAlignment(c, kCentred);
        const bool entry = c >= fixedCols && c <= lastEntry;
        g.setEnableColumn(c, entry);
        if (entry) {
            // Results and interpretations are capitals; notes, units and values keep what is typed.
            const bool words = (c == 2 && m_layout != Layout::Interpretation) ||
                               (c == 3 && m_layout == Layout::Interpretation);
            g.setColumnformat(c, words ? GrdEntry::UpperCase : 3);
            g.setColumnControl(c, GrdEntry::PlainEditor);
        }
    }
    if (m_layout == Layout::Widal) {
        for (int r = 1; r < kWidalRows; ++r)
            g.setTextMatrix(r, 0, widalAntigens()[static_cast<std::size_t>(r - 1)]);
    }
    static const char *const captions[] = {"CUT-OFF", "THRESHOLD", "SHORT FORM WITH REMARK", "WIDAL"};
    ui->lblLayout->setText(QLatin1String(captions[static_cast<int>(m_layout)]));
}

int frmWithCutOff::lastEntryColumn() const
{
    return m_layout == Layout::Widal ? grid().Cols() - 1 : 4;
}

// The row being filled is the last; each record adds one more, and the spare one goes at the end.
int frmWithCutOff::appendRow()
{
    const int row = grid().Rows() - 1;
    grid().setRows(grid().Rows() + 1);
    return row;
}

Command frmWithCutOff::resultQuery() const
{
    const QString &request = session().RequestNum;
    switch (m_layout) {
    case Layout::Widal:
        return Command("LABORATORY..lab_getresulthcodes '") << request << "'";
    case Layout::ShortForm:
        return Command("LABORATORY..Lab_FormMaker_GetResult_ShortForm  '") << request << "'";
    default:
        return Command("LABORATORY..Lab_GetResultWithCutOff  '") << request << "'";
    }
}

void frmWithCutOff::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    if (m_layout != Layout::Widal)
        fillExamList();
}

void frmWithCutOff::fillExamList()
{
    SessionContext &s = session();
    Recordset rs = s.db().query(Command("Lab_FormMaker_FillExams '")
                                << s.RequestNum << "','" << QString::number(s.EntryMode) << "'");
    m_filling = true;
    for (; !rs.eof(); rs.moveNext()) {
        const int r = appendRow();
        setCell(r, 0, field(rs, "ExamId"));
        setCell(r, 1, field(rs, "Exam"));
        if (m_layout == Layout::ShortForm)
            setCell(r, 3, field(rs, "Unit"));
        setCell(r, 4, field(rs, "DefaultValue"));
        setCell(r, kColItem, field(rs, "Lab#"));
    }
    grid().setRows(grid().Rows() - 1);
    m_filling = false;
    if (m_layout == Layout::Interpretation) {
        for (int r = 1; r < grid().Rows(); ++r)
            LoadThresholdValue(r);
    }
}

// The cut-off and short-form loaders return no header: the stored result header has it.
void frmWithCutOff::fillStoredHeader(const Recordset &row)
{
    if (m_layout == Layout::Widal) {
        ResultForm::fillStoredHeader(row);
        return;
    }
    const StoredResultHeader &h = session().StoredResultHeader;
    ui->txtAccNum->setText(h.AccessionNum);
    setPickerPair(kReport, h.ResultDate);
    setPickerPair(kSubmitted, h.samplesubmitted);
    setPickerPair(kLra, h.lratime.isValid() ? h.lratime : serverNow());
    setPickerPair(kFinished, h.DateFinished);
}

void frmWithCutOff::fillResultFields(const Recordset &row)
{
    const StoredResultHeader &h = session().StoredResultHeader;
    ui->TxtMethod->setText(h.Method);
    m_filling = true;
    if (m_layout == Layout::Widal) {
        // Cells by position, row by row; field 20 is the remarks, never a cell.
        int fieldNo = 1;
        for (int r = 1; r < kWidalRows; ++r) {
            for (int c = 1; c <= kWidalTitres; ++c) {
                if (fieldNo == 20)
                    ++fieldNo;
                setCell(r, c, row.field(fieldNo++).toStringOr());
            }
        }
        ui->txtRemarks->setText(field(row, "result20"));
        m_filling = false;
        return;
    }
    ui->txtRemarks->setText(h.Remarks);
    Recordset rs = row;
    const bool shortForm = m_layout == Layout::ShortForm;
    for (; !rs.eof(); rs.moveNext()) {
        const int r = appendRow();
        if (shortForm) {
            for (const auto &[column, name] : {std::pair{0, "ExamId"}, {1, "Exam"}, {2, "Result"}, {3, "Unit"},
                                               {4, "Remarks"}, {kColItem, "RequestNum"}})
                setCell(r, column, field(rs, name));
            continue;
        }
        for (const auto &[column, name] : {std::pair{0, "ItemID"}, {1, "ExamName"}, {2, "PatientValue"},
                                           {3, "CutOffValue"}, {4, "Result"}, {kColItem, "RequestNum"}})
            setCell(r, column, field(rs, name));
        ui->txtProfNum->setText(field(rs, "ProfNum"));
        ui->TxtMethod->setText(field(rs, "Method"));
    }
    grid().setRows(grid().Rows() - 1);
    m_filling = false;
}

void frmWithCutOff::LoadThresholdValue(int row)
{
    if (m_layout != Layout::Interpretation || row < 1 || row >= grid().Rows())
        return;
    SessionContext &s = session();
    Recordset rs = s.db().query(Command("Lab_FormMaker_ThresholdValue '")
                                << s.RequestNum << "','" << QString::number(s.EntryMode) << "','"
                                << cell(row, kColItem) << "','" << cell(row, 0) << "'");
    for (; !rs.eof(); rs.moveNext())
        setCell(row, 4, field(rs, "TValue"));
}

// ---- keys ----

bool frmWithCutOff::interpretationKey(int key)
{
    struct Word {
        int key;
        const char *text;
        const char *code;
    };
    static constexpr Word words[] = {{Qt::Key_F2, "POSITIVE", nullptr},     {Qt::Key_F3, "NEGATIVE", nullptr},
                                     {Qt::Key_F4, "REACTIVE", "R"},         {Qt::Key_F5, "NON-REACTIVE", "NR"},
                                     {Qt::Key_F6, "INDETERMINATE", "I"},    {Qt::Key_F7, "EQUIVOCAL", "E"}};
    for (const Word &w : words) {
        if (w.key != key)
            continue;
        GrdEntry &g = grid();
        g.setText(QLatin1String(w.text));
        if (w.code && g.Cols() >= 7 && g.Row() >= 1)
            setCell(g.Row(), kColCode, QLatin1String(w.code));
        return key == Qt::Key_F7;
    }
    return false;
}

bool frmWithCutOff::keyHook(QObject *watched, QKeyEvent *key)
{
    if (key->key() >= Qt::Key_F2 && key->key() <= Qt::Key_F7)
        return interpretationKey(key->key());
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && (watched == ui->TxtMethod || watched == ui->txtProfNum || watched == ui->txtRemarks)) {
        focusNextChild();
        return true;
    }
    return false;
}

void frmWithCutOff::grid_KeyDown(int &keyCode)
{
    GrdEntry &g = grid();
    if (keyCode != Qt::Key_Return) {
        LoadThresholdValue(g.Row());
        return;
    }
    takeEditorText();
    if (g.col() == lastEntryColumn()) {
        // The last entry column goes on to the next row's first entry column; the last row stays.
        if (g.Row() < g.Rows() - 1) {
            g.setRow(g.Row() + 1);
            g.setCol(m_layout == Layout::Widal ? 1 : 2);
        }
        keyCode = 0;
    }
    LoadThresholdValue(g.Row());
}

void frmWithCutOff::takeEditorText()
{
    GrdEntry &g = grid();
    if (g.Row() >= 1 && g.Row() < g.Rows() && g.EnableColumn(g.col()))
        setCell(g.Row(), g.col(), g.Text());
}

void frmWithCutOff::grid_Change()
{
    if (m_filling)
        return;
    GrdEntry &g = grid();
    if (g.Row() == m_editRow && g.col() == m_editCol)
        takeEditorText();
}

void frmWithCutOff::grid_LeaveCell()
{
    GrdEntry &g = grid();
    if (m_editRow >= 1 && m_editRow < g.Rows() && m_editCol >= 0 && m_editCol < g.Cols() &&
        g.EnableColumn(m_editCol) && g.Text() != cell(m_editRow, m_editCol))
        setCell(m_editRow, m_editCol, g.Text());
    m_editRow = m_editCol = -1;
}

// ---- saving and printing ----

void frmWithCutOff::executeSave(Connection &db, int flag, const SaveTexts &texts)
{
    takeEditorText(); // what is still in the editor
    ResultForm::executeSave(db, flag, texts);
}

QList<Command> frmWithCutOff::saveCommands(int, const SaveTexts &texts) const
{
    if (m_layout == Layout::Widal)
        return {Save_Widal(texts)};
    QList<Command> commands;
    for (int r = 1; r < grid().Rows(); ++r) {
        if (cell(r, 0).trimmed().isEmpty())
            continue;
        commands << (m_layout == Layout::ShortForm ? shortFormCommand(r, texts) : cutOffCommand(r, texts));
    }
    return commands;
}

Command frmWithCutOff::cutOffCommand(int row, const SaveTexts &texts) const
{
    const SessionContext &s = session();
    Command c("Laboratory..Lab_SaveWithCutOff '");
    c << ui->txtAccNum->text() << "','" << texts.submitted << "', '" << texts.lra << "','" << s.RequestNum << "','"
      << QString::number(row) << "', '" << cell(row, 0) << "', '" << s.RequestRecord.FormType << "', '"
      << cell(row, 1) << "', '" << cell(row, 2) << "', '" << cell(row, 3) << "', '" << cell(row, 4) << "', '"
      << ui->txtRemarks->text() << "', '" << texts.finished << "', '" << ui->txtProfNum->text() << "', '"
      << ui->TxtMethod->text() << "'";
    return c;
}

Command frmWithCutOff::shortFormCommand(int row, const SaveTexts &texts) const
{
    const SessionContext &s = session();
    const QString result = cell(row, 2);
    const QString unit = cell(row, 3);
    const QString remark = cell(row, 4);
    QString line = result + QStringLiteral(" ") + unit;
    if (!remark.trimmed().isEmpty())
        line = line.trimmed() + QStringLiteral("; Remarks: ") + remark;
    Command c("Lab_ResultEntryDLL_SaveIndividualResultEntries '");
    c << s.RequestNum << "','','','" << cell(row, 0) << "','','" << result
      << "', '', '', '', '', '', '', '', '" << ui->txtRemarks->text() << "', '" << ui->txtAccNum->text() << "','"
      << texts.submitted << "', '" << texts.lra << "','', '" << texts.finished << "', '" << line.trimmed() << "', '"
      << unit << "', '" << remark << "', '" << QString::number(row) << "', '" << ui->TxtMethod->text() << "'";
    return c;
}

QString frmWithCutOff::widalSummary() const
{
    QString summary;
    for (int r = 1; r < kWidalRows; ++r) {
        summary += cell(r, 0) + QStringLiteral(": ");
        for (int c = 1; c <= kWidalTitres; ++c)
            summary += cell(0, c) + QStringLiteral("=") + cell(r, c) + QStringLiteral("; ");
        summary += QStringLiteral("\r\n");
    }
    return summary;
}

Command frmWithCutOff::Save_Widal(const SaveTexts &texts) const
{
    const SessionContext &s = session();
    Command c("Lab_Save_Widal '");
    c << s.RequestNum << "','" << texts.submitted << "','" << texts.lra << "', '" << ui->txtAccNum->text() << "', '";
    for (int r = 1; r < kWidalRows; ++r) {
        for (int col = 1; col <= kWidalTitres; ++col)
            c << cell(r, col) << "', '";
    }
    c << ui->TxtMethod->text() << "', '" << ui->txtRemarks->text() << "', '" << ui->txtAccNum->text() << "', '"
      << texts.finished << "'";
    return c;
}

ReportRequest frmWithCutOff::report() const
{
    const SessionContext &s = session();
    const bool wholePage = frmMedTech::shared().PaperSize() == QLatin1String("W");
    QString file;
    QStringList parameters{s.RequestNum};
    switch (m_layout) {
    case Layout::Widal:
        file = QStringLiteral("LabPrint_Widal.RPT");
        parameters << widalSummary();
        break;
    case Layout::ShortForm:
        file = wholePage ? QStringLiteral("LabPrint_ShortFormWithRemark_WholePage.rpt")
                         : QStringLiteral("LabPrint_ShortFormWIthRemark.RPT");
        break;
    default:
        file = wholePage ? QStringLiteral("LabPrint_WithCutOff_Whole.RPT") : QStringLiteral("LabPrint_WithCutOff.RPT");
        break;
    }
    return {file, QStringLiteral("Laboratory Result"), parameters};
}

// The layouts with a whole-page report ask for the paper; the Widal report has one size.
void frmWithCutOff::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(m_layout != Layout::Widal);
}

QString frmWithCutOff::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

} // namespace corvane
