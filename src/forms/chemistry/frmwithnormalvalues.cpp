#include "forms/chemistry/frmwithnormalvalues.h"

#include "ui_frmwithnormalvalues.h"

#include "forms/chemistry/convertresult.h"
#include "forms/chemistry/frmcompute.h"
#include "forms/common/grdentry.h"
#include "services/logbook.h"
#include "services/lookups/frmsearchinstrument.h"
#include "services/lookups/searchcode.h"
#include "services/signoff/frmmedtech.h"
#include "services/ui/messagebox.h"
#include "session/sessioncontext.h"

#include <labdb/normalvalues.h>

#include <QKeyEvent>

namespace corvane {

namespace {

// Widths in twips; 0 hides a column. Factor and FType keep the grid's own width.
constexpr int kWidths[frmWithNormalValues::ColumnCount] = {0, 0, 2600, 2000, 1500, 1000, 0, 0,
                                                           2000, 1500, 1000, 0, 0, -1, -1};
constexpr int kCentred = 4;
constexpr int kDarkBlue = 4194304;
constexpr qint16 kConventionalEntry = 160;

SessionContext &session()
{
    return SessionContext::current();
}

QString field(const Recordset &rs, const char *name)
{
    return rs.field(QLatin1String(name)).toStringOr();
}

bool isNumeric(const QString &text)
{
    return labdb::numericValue(text.toStdString()).has_value();
}

void message(const QString &text, const QString &title = QStringLiteral("Message"))
{
    MessageBox::show(text, title, QMessageBox::Information);
}

} // namespace

frmWithNormalValues::frmWithNormalValues(QWidget *parent)
    : ResultForm(QStringLiteral("frmWithNormalValues"), parent), ui(std::make_unique<Ui::frmWithNormalValues>())
{
    ui->setupUi(this);
    m_ranges = std::make_unique<NormalValueRoutines>(
        static_cast<NormalValueRows &>(*this), NormalValueControls{ui->fraAge, ui->cboAge, ui->cboMethod, ui->lblLabels_15, ui->TxtMethod});
    ui->txtEditCell->hide();
    ui->cboMethod->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui->cboMethod->setMinimumContentsLength(28);
    initLifecycle();

    GrdEntry &g = grid();
    // Direct connections: the handlers change the key code they are given.
    connect(&g, &GrdEntry::KeyDown, this,
            [this](int &keyCode, Qt::KeyboardModifiers &) { grid_KeyDown(keyCode); }, Qt::DirectConnection);
    connect(&g, &GrdEntry::Change, this, &frmWithNormalValues::grid_Change);
    connect(&g, &GrdEntry::LeaveCell, this, &frmWithNormalValues::grid_LeaveCell);
    connect(&g, &GrdEntry::EnterCell, this, &frmWithNormalValues::applyTextColour);
    connect(&g, &GrdEntry::focusEntered, this, [this] {
        if (grid().col() != ColSResult)
            grid().setCol(ColSResult);
    });
    connect(ui->cboMethod, &QComboBox::activated, this, [this] { cboMethod_Click(); });
    connect(ui->cboAge, &QComboBox::activated, this, [this] { cboAge_Click(); });
    connect(ui->chkInstrument, &QCheckBox::clicked, this, [this] { chkInstrument_Click(); });
}

frmWithNormalValues::~frmWithNormalValues() = default;

GrdEntry &frmWithNormalValues::grid() const
{
    return *ui->grdEntry;
}

QString frmWithNormalValues::cell(int row, int column) const
{
    return grid().TextMatrix(row, column);
}

void frmWithNormalValues::setCell(int row, int column, const QString &text)
{
    grid().setTextMatrix(row, column, text);
}

void frmWithNormalValues::loadHook()
{
    ResultForm::loadHook();
    ui->fraAge->hide();
    ui->cboMethod->hide();
    ui->lblLabels_15->hide();
    ui->lblInstrumentName->hide();
    SetupResultGrid();
}

void frmWithNormalValues::SetupResultGrid()
{
    GrdEntry &g = grid();
    g.Clear();
    g.setRows(2);
    g.setFormatString(QStringLiteral("<RequestNum|<ExamID|<  Exam|^Result|^Normal Value|<Unit|<Min Value|<Max Value|"
                                     "^Result|^Normal Value|<Unit|<Min Value|<Max Value|<Factor|<FType"));
    g.setFixedRows(1);
    g.setFixedCols(2);
    for (int c = 0; c < ColumnCount; ++c) {
        if (kWidths[c] >= 0)
            g.setColWidth(c, kWidths[c]);
    }
    for (int c : {ColSResult, ColSNValue, ColCResult, ColCNValue})
        g.setColAlignment(c, kCentred);
    for (int c = 0; c < ColumnCount; ++c)
        g.setEnableColumn(c, false);

    g.setEnableColumn(ColSResult, true);
    g.setColumnformat(ColSResult, GrdEntry::UpperCase);
    g.setColumnControl(ColSResult, GrdEntry::PlainEditor);
    // The host's selector 160 opens the screen for results read in conventional units.
    const bool conventional = session().intResult == kConventionalEntry;
    ui->Label1->setText(conventional ? QStringLiteral("CONVENTIONAL") : QString());
    g.setEnableColumn(ColCResult, conventional);
    g.setColumnformat(ColCResult, GrdEntry::UpperCase);
    g.setColumnControl(ColCResult, GrdEntry::PlainEditor);
    g.setForeColor(colorFromBgr(kDarkBlue));
    ui->txtEditCell->clear();
}

// The row being filled is the last; each record adds one more, and the spare one goes at the end.
int frmWithNormalValues::appendRow()
{
    const int row = grid().Rows() - 1;
    grid().setRows(grid().Rows() + 1);
    return row;
}

Command frmWithNormalValues::resultQuery() const
{
    return Command("LABORATORY..Lab_FormMaker_GetResult_ReagentValues  '") << session().RequestNum << "'";
}

void frmWithNormalValues::fillRows(Recordset rs, const RowFields &fields)
{
    m_filling = true;
    for (; !rs.eof(); rs.moveNext()) {
        const int r = appendRow();
        for (int c = 0; c < ColumnCount; ++c) {
            const char *name = fields[static_cast<std::size_t>(c)];
            const QString value = name ? field(rs, name) : QString();
            setCell(r, c, c == ColExam ? QStringLiteral("  ") + value : value);
        }
    }
    grid().setRows(grid().Rows() - 1);
    m_filling = false;
}

void frmWithNormalValues::fillStoredRows(Recordset rs)
{
    fillRows(std::move(rs), {"RequestNum", "ExamCode", "ExamName", "sResult", "sNValues", "sUnit", "sMin", "sMax",
                             "CResult", "CNValues", "CUnit", "CMin", "CMax", "Factor", "FormType"});
}

// A format row has no results yet.
void frmWithNormalValues::fillFormatRows(Recordset rs)
{
    fillRows(std::move(rs), {"RequestNum", "code", "Exam", nullptr, "sNValue", "sUnit", "sMin", "sMax", nullptr,
                             "CNValue", "CUnit", "CMin", "CMax", "Factor", "FormType"});
}

void frmWithNormalValues::fillResultFields(const Recordset &row)
{
    fillStoredRows(row);
    const StoredResultHeader &h = session().StoredResultHeader;
    ui->TxtMethod->setText(h.Method);
    ui->txtRemarks->setText(h.Remarks);
    m_ranges->DetectReagentFormat(true);
    for (int r = 1; r < grid().Rows(); ++r)
        updateFlag(r);
}

void frmWithNormalValues::fillNewResult(const QDateTime &today)
{
    ResultForm::fillNewResult(today);
    loadFormat();
}

void frmWithNormalValues::loadFormat()
{
    SessionContext &s = session();
    fillFormatRows(s.db().query(Command("Lab_FormMaker_FillReagentValues '")
                                << s.RequestNum << "','" << QString::number(s.EntryMode) << "'"));
    m_ranges->DetectAgeFormat();
    m_ranges->DetectReagentFormat(false);
}

// Loading again after an analyser was chosen or cleared.
void frmWithNormalValues::reload(bool manualEntry)
{
    SessionContext &s = session();
    SetupResultGrid();
    // A stored analyser, or the one just chosen, gives its own rows.
    if (!manualEntry && (!s.StoredResultHeader.InstrumentID.trimmed().isEmpty() || !m_instrumentID.isEmpty())) {
        fillFormatRows(s.db().query(Command("Lab_FormMaker_FillInstrumentValues '")
                                    << s.RequestNum << "','" << m_instrumentID << "','"
                                    << QString::number(s.EntryMode) << "'"));
        m_ranges->DetectAgeFormat();
        m_ranges->DetectReagentFormat(false);
        return;
    }
    Recordset stored = s.db().query(resultQuery());
    if (!stored.eof()) {
        fillStoredRows(stored);
        ui->TxtMethod->setText(s.StoredResultHeader.Method);
        m_ranges->DetectReagentFormat(true);
        for (int r = 1; r < grid().Rows(); ++r)
            updateFlag(r);
        return;
    }
    loadFormat();
}

int frmWithNormalValues::endRow() const
{
    return grid().Rows();
}

QString frmWithNormalValues::examCode(int row) const
{
    return cell(row, ColExamID);
}

QString frmWithNormalValues::formType(int row) const
{
    return cell(row, ColFType);
}

void frmWithNormalValues::setAgeRange(int row, const AgeRange &range)
{
    setCell(row, ColSNValue, range.range);
    setCell(row, ColSMin, range.minimum);
    setCell(row, ColSMax, range.maximum);
    setCell(row, ColSUnit, range.unit);
    setCell(row, ColCNValue, range.cRange);
    setCell(row, ColCMin, range.cMinimum);
    setCell(row, ColCMax, range.cMaximum);
    setCell(row, ColCUnit, range.cUnit);
    setCell(row, ColFactor, range.factor);
    updateFlag(row);
}

void frmWithNormalValues::setReagentRange(int row, const QString &minimum, const QString &maximum, const QString &unit)
{
    setCell(row, ColSNValue, minimum + QStringLiteral("-") + maximum);
    setCell(row, ColSUnit, unit);
    // The flag judges by the range shown, and the range is stored with the result.
    setCell(row, ColSMin, minimum);
    setCell(row, ColSMax, maximum);
    updateFlag(row);
}

void frmWithNormalValues::cboMethod_Click()
{
    m_ranges->methodChosen();
}

void frmWithNormalValues::cboAge_Click()
{
    m_ranges->reloadByAge();
}

// Checked is manual entry; clearing it asks which analyser the results come from.
void frmWithNormalValues::chkInstrument_Click()
{
    if (!ui->chkInstrument->isChecked()) {
        frmSearchInstrument lookup(session().db(), this);
        lookup.runModal();
        if (lookup.InstrumentID().trimmed().isEmpty()) {
            ui->chkInstrument->setChecked(true);
            return;
        }
        m_instrumentID = lookup.InstrumentID().trimmed();
        m_instrumentName = lookup.InstrumentName();
        m_reagentCode = lookup.ReagentCode();
        m_ranges->setAnalyserReagent(m_reagentCode);
        ui->lblInstrumentName->setText(m_instrumentName);
        ui->lblInstrumentName->show();
        SetupResultGrid();
        if (m_instrumentName == QLatin1String("VITROS 250"))
            LoadInstrumentResults();
        else
            reload();
        return;
    }
    // Back to manual entry: the method list decides the ranges again.
    m_instrumentID.clear();
    m_instrumentName.clear();
    m_reagentCode.clear();
    m_ranges->setAnalyserReagent({});
    reload();
    ui->lblInstrumentName->clear();
    ui->lblInstrumentName->hide();
}

void frmWithNormalValues::LoadInstrumentResults()
{
    SessionContext &s = session();
    Connection &db = s.db();
    const QString sample = ui->txtAccNum->text();
    Recordset count = db.query(Command("LABORATORY..Count_VitrosResult  '") << sample << "',''");
    const int results = count.eof() ? 0 : count.field(QStringLiteral("Number")).toInt();
    if (results > 1)
        message(QStringLiteral("The particular exam has ") + QString::number(results) + QStringLiteral(" results"));

    Recordset rs = db.query(Command("LABORATORY..Lab_getInstrumentResult  '")
                            << sample << "' , '" << s.RequestNum << "','" << QString::number(s.EntryMode) << "'");
    if (rs.eof()) {
        reload(true);
        message(QStringLiteral("No result from machine!"));
        return;
    }
    QStringList missing;
    m_filling = true;
    for (; !rs.eof(); rs.moveNext()) {
        const int r = appendRow();
        setCell(r, ColRequestNum, field(rs, "RequestNum").isEmpty() ? s.RequestNum : field(rs, "RequestNum"));
        setCell(r, ColExamID, field(rs, "code"));
        setCell(r, ColExam, QStringLiteral("  ") + field(rs, "Exam"));
        setCell(r, ColSResult, field(rs, "sResult"));
        setCell(r, ColSNValue, field(rs, "sNValue"));
        setCell(r, ColSMin, field(rs, "sMin"));
        setCell(r, ColSMax, field(rs, "sMax"));
        setCell(r, ColSUnit, field(rs, "sUnit"));
        setCell(r, ColCResult, field(rs, "CResult"));
        setCell(r, ColCNValue, field(rs, "CNValue"));
        setCell(r, ColCUnit, field(rs, "CUnit"));
        setCell(r, ColCMin, field(rs, "CMin"));
        setCell(r, ColCMax, field(rs, "CMax"));
        setCell(r, ColFactor, field(rs, "Factor"));
        setCell(r, ColFType, field(rs, "FormType"));
        if (field(rs, "sResult").trimmed().isEmpty())
            missing << field(rs, "Exam");
    }
    grid().setRows(grid().Rows() - 1);
    m_filling = false;
    for (int r = 1; r < grid().Rows(); ++r)
        updateFlag(r);
    for (const QString &exam : missing)
        message(QStringLiteral("No result from machine for ") + exam + QStringLiteral("!"));
}

// ---- the grid's keys ----

void frmWithNormalValues::grid_KeyDown(int &keyCode)
{
    GrdEntry &g = grid();
    m_editRow = g.Row();
    m_editCol = g.col();
    switch (keyCode) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (g.Row() >= 1 && g.EnableColumn(g.col()))
            setCell(g.Row(), g.col(), g.Text());
        applyTextColour();
        if (entersDownTheColumn()) {
            convertCurrentCell();
            enterDownTheColumn();
            keyCode = 0;
            return;
        }
        break;
    case Qt::Key_F3:
        editNormalValue();
        break;
    case Qt::Key_F4:
        searchNormalValues();
        break;
    case Qt::Key_F5:
        toggleRowFlag();
        break;
    case Qt::Key_F10:
        compute();
        return;
    default:
        break;
    }
    convertCurrentCell();
}

// Age- and method-dependent exams are typed one result per row: Enter goes straight down the
// column it was pressed in (past the conventional column), and from the last row on to Save.
bool frmWithNormalValues::entersDownTheColumn() const
{
    const RequestRecord &r = session().RequestRecord;
    const auto rowwise = [](const QString &type) {
        return type == QLatin1String("7") || type == QLatin1String("8");
    };
    return rowwise(r.FormType) || (r.FormType == QLatin1String("P") && rowwise(r.ValueType));
}

void frmWithNormalValues::enterDownTheColumn()
{
    GrdEntry &g = grid();
    const int next = g.Row() + 1;
    if (next >= g.Rows()) {
        m_editRow = m_editCol = -1;
        ui->cmdSave->setFocus();
        return;
    }
    // The editor's text now belongs to the cell below; LeaveCell must not write it back up.
    m_editRow = next;
    m_editCol = g.col();
    g.setRow(next);
}

void frmWithNormalValues::grid_Change()
{
    GrdEntry &g = grid();
    if (m_filling || g.Row() < 1 || !g.EnableColumn(g.col()))
        return;
    m_editRow = g.Row();
    m_editCol = g.col();
    if (cell(g.Row(), g.col()) == g.Text())
        return; // the editor was only placed on the cell
    setCell(g.Row(), g.col(), g.Text());
    convertCurrentCell();
}

// After Enter the grid has already moved on, so the text goes to the cell it was typed in.
void frmWithNormalValues::grid_LeaveCell()
{
    GrdEntry &g = grid();
    if (m_editRow >= 1 && m_editRow < g.Rows() && g.EnableColumn(m_editCol) && g.Text() != cell(m_editRow, m_editCol))
        setCell(m_editRow, m_editCol, g.Text());
    m_editRow = m_editCol = -1;
}

void frmWithNormalValues::applyTextColour()
{
    if (grid().col() != ColSNValue)
        grid().setForeColor(colorFromBgr(kDarkBlue));
}

// SI typed: the conventional value follows. Conventional typed: the SI value follows. Other columns
// leave the results alone.
void frmWithNormalValues::convertCurrentCell()
{
    GrdEntry &g = grid();
    const int r = g.Row();
    if (r < 1 || r >= g.Rows())
        return;
    Connection &db = session().db();
    if (g.col() == ColSResult) {
        const QString si = cell(r, ColSResult);
        const QString conventional = ConvertResult(db, cell(r, ColFactor), si, cell(r, ColExamID), ColSResult);
        if (!conventional.isEmpty())
            setCell(r, ColCResult, conventional);
        else if (si.trimmed().isEmpty())
            setCell(r, ColCResult, QString());
    } else if (g.col() == ColCResult) {
        const QString si = ConvertResult(db, cell(r, ColFactor), cell(r, ColCResult), cell(r, ColExamID), ColCResult);
        if (!si.isEmpty())
            setCell(r, ColSResult, si);
    }
    updateFlag(r);
}

// H or L beside both results, judged on the SI result against the row's SI range; Δ beside the SI
// result when it moved beyond its exam's delta rule.
void frmWithNormalValues::updateFlag(int row)
{
    const QString flag = QString::fromStdString(labdb::resultFlag(
        cell(row, ColSResult).toStdString(), cell(row, ColSMin).toStdString(), cell(row, ColSMax).toStdString()));
    QString tip;
    const QString delta = deltaMark(cell(row, ColExamID).trimmed(), cell(row, ColSResult), &tip);
    grid().setCellNote(row, ColSResult, delta.isEmpty() ? flag : (flag + QLatin1Char(' ') + delta).trimmed());
    grid().setCellToolTip(row, ColSResult, tip);
    grid().setCellNote(row, ColCResult, cell(row, ColCResult).isEmpty() ? QString() : flag);
}

void frmWithNormalValues::editNormalValue()
{
    GrdEntry &g = grid();
    g.setEnableColumn(ColSNValue, true);
    g.setColumnformat(ColSNValue, GrdEntry::UpperCase);
    g.setColumnControl(ColSNValue, GrdEntry::PlainEditor);
    g.setEnableColumn(ColSUnit, true);
    g.setColumnformat(ColSUnit, 3); // no filter: units have slashes and letters of both cases
    g.setColumnControl(ColSUnit, GrdEntry::PlainEditor);
    ui->txtEditCell->setText(QString::number(g.Row()));
}

void frmWithNormalValues::searchNormalValues()
{
    GrdEntry &g = grid();
    const int r = g.Row();
    if (r < 1)
        return;
    qint32 kind = 9;
    QString text = cell(r, ColExamID);
    QString filter;
    const std::optional<SearchRecord> chosen = SearchCode(kind, text, filter);
    if (!chosen) {
        MessageBox::show(QStringLiteral("Invalid Reagent Code!"), QStringLiteral("Invalid Code"),
                         QMessageBox::Information);
        return;
    }
    const auto take = [&](int column, const char *name) { setCell(r, column, searchField(*chosen, QLatin1String(name))); };
    take(ColSNValue, "sNValue");
    take(ColSMin, "sMin");
    take(ColSMax, "sMax");
    take(ColSUnit, "sUnit");
    take(ColCNValue, "CNValue");
    take(ColCMin, "CMin");
    take(ColCMax, "CMax");
    take(ColCUnit, "CUnit");
    updateFlag(r);
}

void frmWithNormalValues::toggleRowFlag()
{
    const int r = grid().Row();
    if (r < 1)
        return;
    QString name = cell(r, ColExam);
    while (name.endsWith(QLatin1Char('*')))
        name.chop(1);
    if (cell(r, ColFType) == QLatin1String("Y")) {
        setCell(r, ColFType, QString());
        setCell(r, ColExam, name);
    } else {
        setCell(r, ColFType, QStringLiteral("Y"));
        setCell(r, ColExam, name + QStringLiteral("*"));
    }
}

// The timed-urine computations, for the row whose exam the key was pressed on.
void frmWithNormalValues::compute()
{
    const int r = grid().Row();
    if (r < 1)
        return;
    const QString code = cell(r, ColExamID).trimmed();
    if (code != QLatin1String("255") && code != QLatin1String("1"))
        return;
    QString name = cell(r, ColExam).trimmed();
    while (name.endsWith(QLatin1Char('*')))
        name.chop(1);
    const QString sample = ui->txtAccNum->text().trimmed();
    frmCompute dialog(this);
    dialog.setExamCode(code.toInt());
    dialog.setExamName(name);
    dialog.setSpecimenIDs(QStringLiteral("U") + sample, QStringLiteral("S") + sample);
    if (!dialog.runModal())
        return;
    const QString value = QString::fromStdString(labdb::formatTwoDecimals(dialog.result()));
    setCell(r, ColSResult, dialog.manualFlag() == 1 ? value + QStringLiteral("*") : value);
    grid().setCol(ColSResult);
    convertCurrentCell();
    ui->cmdSave->setFocus();
}

bool frmWithNormalValues::keyHook(QObject *watched, QKeyEvent *key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && watched == ui->TxtMethod) {
        grid().setCol(ColSResult);
        grid().setFocus();
        return true;
    }
    return false;
}

// ---- saving and printing ----

QList<DeltaValue> frmWithNormalValues::deltaValues() const
{
    QList<DeltaValue> out;
    for (int r = 1; r < grid().Rows(); ++r)
        out.append({cell(r, ColExamID).trimmed(), cell(r, ColSResult), cell(r, ColRequestNum).trimmed()});
    return out;
}

Command frmWithNormalValues::rowCommand(int row) const
{
    const SessionContext &s = session();
    // A range that is no number is stored as 0.
    const auto bound = [&](int column) {
        const QString v = cell(row, column);
        return isNumeric(v) ? v : QStringLiteral("0");
    };
    const bool verified = s.VerifyMode || withVerifier();
    Command c("Lab_FormMaker_SaveResultWithNormalValues '");
    c << cell(row, ColRequestNum) << "', '" << cell(row, ColExamID) << "', '" << cell(row, ColSResult) << "', '"
      << cell(row, ColSNValue) << "' , '" << cell(row, ColSUnit) << "', '" << bound(ColSMin) << "', '"
      << bound(ColSMax) << "', '" << cell(row, ColCResult) << "', '" << cell(row, ColCNValue) << "', '"
      << cell(row, ColCUnit) << "', '" << bound(ColCMin) << "', '" << bound(ColCMax) << "', '" << cell(row, ColFactor)
      << "', '" << cell(row, ColFType) << "', '" << QString::number(row) << "', '" << ui->txtAccNum->text() << "','"
      << ui->txtRemarks->text() << "', '" << logbookDateTime(pickerValue(kSubmitted)) << "', '"
      << logbookDateTime(pickerValue(kLra)) << "', '', '" << s.EmployeeCode << "', '"
      << (verified ? QStringLiteral("Y") : QStringLiteral("N")) << "', '" << ui->TxtMethod->text() << "', '"
      << logbookDateTime(pickerValue(kFinished)) << "'";
    return c;
}

// One command per grid row. A row of another request (a panel ordered with several numbers) gets
// that request's logbook row, or its verification in verify mode, first.
void frmWithNormalValues::executeSave(Connection &db, int, const SaveTexts &)
{
    SessionContext &s = session();
    GrdEntry &g = grid();
    if (g.Row() >= 1 && g.EnableColumn(g.col()))
        setCell(g.Row(), g.col(), g.Text()); // what is still in the editor
    for (int r = 1; r < g.Rows(); ++r) {
        const QString request = cell(r, ColRequestNum).trimmed();
        if (!request.isEmpty() && request != s.RequestNum.trimmed())
            logOtherRequest(db, request, ui->txtAccNum->text());
        db.execute(rowCommand(r));
    }
    if (s.RequestRecord.SectionID == QLatin1String("A") && m_ranges->ageShown())
        db.execute(Command("Update Laboratory..tbLabLogBook Set MethodAgeValue = '")
                   << ui->cboAge->currentText() << "' Where Requestnum = '" << s.RequestNum << "'");
}

ReportRequest frmWithNormalValues::report() const
{
    const SessionContext &s = session();
    const bool wholePage = frmMedTech::shared().PaperSize() == QLatin1String("W") &&
                           s.RequestRecord.SectionID != QLatin1String("A");
    return {wholePage ? QStringLiteral("LabPrint_With_NormalValuesWholepage.rpt")
                      : QStringLiteral("LabPrint_With_NormalValues.RPT"),
            QStringLiteral("Laboratory Result"),
            {s.HospitalAddress, s.RequestNum},
            {{QStringLiteral("Conversion"), {s.RequestNum}},
             {QStringLiteral("SI"), {s.RequestNum}},
             {QStringLiteral("CBC"), {s.RequestNum}}}};
}

QString frmWithNormalValues::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

} // namespace corvane
