#include "forms/interpretation/frmmycustom.h"

#include "ui_frmmycustom.h"

#include "forms/common/grdentry.h"
#include "services/signoff/frmmedtech.h"
#include "session/sessioncontext.h"

#include <algorithm>

namespace corvane {

namespace {

SessionContext &session()
{
    return SessionContext::current();
}

QString field(const Recordset &rs, const char *name)
{
    return rs.field(QLatin1String(name)).toStringOr();
}

constexpr int kAnyText = 3; // results mix words, digits, units and both cases

} // namespace

frmMyCustom::frmMyCustom(QWidget *parent)
    : ResultForm(QStringLiteral("frmMyCustom"), parent), ui(std::make_unique<Ui::frmMyCustom>())
{
    ui->setupUi(this);
    initLifecycle();
    // What is typed is kept in its cell at once, so Enter, a click elsewhere or Save all find it there.
    connect(ui->grdEntry, &GrdEntry::Change, this, [this] {
        GrdEntry &g = grid();
        if (g.Row() >= 1 && g.Row() < g.Rows() && g.EnableColumn(g.col()) && g.TextMatrix(g.Row(), g.col()) != g.Text())
            g.setTextMatrix(g.Row(), g.col(), g.Text());
    });
}

frmMyCustom::~frmMyCustom() = default;

GrdEntry &frmMyCustom::grid() const
{
    return *ui->grdEntry;
}

void frmMyCustom::loadHook()
{
    ResultForm::loadHook();
    discoverBatch();
    loadFormat();
}

// Requests ordered under one charge reference are entered together.
void frmMyCustom::discoverBatch()
{
    SessionContext &s = session();
    m_codes.clear();
    m_requests.clear();
    if (!s.RequestRecord.RefNum.trimmed().isEmpty()) {
        Recordset rs = s.db().query(Command("Lab_GetResultExamFormats '")
                                    << s.RequestRecord.RefNum << "','" << s.RequestRecord.FormType << "'");
        for (; !rs.eof(); rs.moveNext()) {
            m_codes << field(rs, "code");
            m_requests << field(rs, "RequestNum");
        }
    }
    if (m_requests.size() <= 1) {
        m_codes = QStringList{s.RequestRecord.code};
        m_requests = QStringList{s.RequestNum};
    }
    ui->lblBatch->setText(isBatch() ? QStringLiteral("Batch of %1 requests: %2")
                                          .arg(m_requests.size())
                                          .arg(m_requests.join(QStringLiteral(", ")))
                                    : QString());
}

void frmMyCustom::setupGrid(bool withNormalValues)
{
    GrdEntry &g = grid();
    g.Clear();
    g.setRows(1);
    g.setFormatString(withNormalValues ? QStringLiteral("|<DESCRIPTION|<RESULT|<NORMAL VALUES|")
                                       : QStringLiteral("|<DESCRIPTION|<RESULT||"));
    g.setFixedRows(1);
    g.setFixedCols(1);
    const int widths[2][ColumnCount] = {{500, 4000, 6000, 0, 1000}, {500, 3000, 3000, 3000, 1000}};
    for (int c = 0; c < ColumnCount; ++c) {
        g.setColWidth(c, widths[withNormalValues ? 1 : 0][c]);
        g.setEnableColumn(c, c == ColResult);
    }
    g.setColumnformat(ColResult, kAnyText);
    g.setColumnControl(ColResult, GrdEntry::PlainEditor);
}

void frmMyCustom::loadFormat()
{
    Command format = isBatch() ? Command("Lab_Get_HCValuesBatch '") : Command("Lab_Get_HCValues '");
    for (qsizetype i = 0; i < m_codes.size(); ++i)
        format << (i ? "','" : "") << m_codes[i];
    // The batch's list ends in a blank before its closing quote, which the server trims.
    format << (isBatch() ? " '" : "'");
    Recordset rs = session().db().query(format);
    // The first line's mode decides the layout of the whole table.
    setupGrid(rs.eof() || field(rs, "Mode").trimmed() != QLatin1String("A"));
    GrdEntry &g = grid();
    qsizetype owner = 0; // the request whose exam the line belongs to
    for (; !rs.eof(); rs.moveNext()) {
        const QString code = field(rs, "code").trimmed();
        if (m_codes.value(owner).trimmed() != code) {
            for (qsizetype k = owner + 1; k < m_codes.size(); ++k) {
                if (m_codes[k].trimmed() == code) {
                    owner = k;
                    break;
                }
            }
        }
        const int r = g.Rows();
        g.setRows(r + 1);
        g.setTextMatrix(r, ColLine, QString::number(r));
        g.setTextMatrix(r, ColDescription, field(rs, "Fields"));
        g.setTextMatrix(r, ColNormalValues, field(rs, "NormalValues"));
        g.setTextMatrix(r, ColRequestNum, m_requests.value(owner));
    }
    widenToFit(ColDescription);
    widenToFit(ColRequestNum);
}

// The layout's widths are a minimum: a long description or the request number is not cut off.
void frmMyCustom::widenToFit(int column)
{
    GrdEntry &g = grid();
    if (g.ColWidth(column) == 0)
        return;
    int widest = 0;
    for (int r = 1; r < g.Rows(); ++r)
        widest = std::max(widest, g.fontMetrics().horizontalAdvance(g.TextMatrix(r, column)));
    const int twips = qRound((widest + 12) * 1440.0 / g.logicalDpiX());
    if (twips > g.ColWidth(column))
        g.setColWidth(column, twips);
}

Command frmMyCustom::resultQuery() const
{
    if (isBatch())
        return Command("Lab_GetResultCustomBatch '") << m_codes.join(QLatin1Char('|')) << "','"
                                                     << m_requests.join(QLatin1Char('|')) << "'";
    return Command("Lab_GetResultCustom '") << session().RequestNum << "'";
}

void frmMyCustom::fillResultFields(const Recordset &row)
{
    Recordset rs = row;
    GrdEntry &g = grid();
    for (int r = 1; !rs.eof() && r < g.Rows(); rs.moveNext(), ++r) {
        g.setTextMatrix(r, ColResult, field(rs, "Result"));
        g.setTextMatrix(r, ColNormalValues, field(rs, "NormalValue"));
        g.setTextMatrix(r, ColRequestNum, field(rs, "RequestNum"));
    }
    ui->txtRemarks->setText(session().StoredResultHeader.Remarks);
}

// Request, the results of its lines, remarks, sample number, the result, submitted, LRA and finished
// times, and who saved.
Command frmMyCustom::saveCommand(const QString &requestNum, const SaveTexts &texts) const
{
    Command c("Lab_SaveResultCustom '");
    c << requestNum;
    const GrdEntry &g = grid();
    for (int r = 1; r < g.Rows(); ++r) {
        if (g.TextMatrix(r, ColRequestNum).trimmed() == requestNum.trimmed())
            c << "','" << g.TextMatrix(r, ColResult);
    }
    c << "','" << ui->txtRemarks->text() << "','" << ui->txtAccNum->text() << "','" << texts.report << "','"
      << texts.submitted << "','" << texts.lra << "','" << texts.finished << "','" << session().EmployeeCode << "'";
    return c;
}

QList<Command> frmMyCustom::saveCommands(int, const SaveTexts &texts) const
{
    QList<Command> commands;
    for (const QString &request : m_requests)
        commands << saveCommand(request, texts);
    return commands;
}

// The other requests of a batch get their own logbook rows (or verification) before their results.
void frmMyCustom::executeSave(Connection &db, int flag, const SaveTexts &texts)
{
    const QList<Command> commands = saveCommands(flag, texts);
    for (qsizetype i = 0; i < m_requests.size(); ++i) {
        if (m_requests[i].trimmed() != session().RequestNum.trimmed())
            logOtherRequest(db, m_requests[i], ui->txtAccNum->text());
        db.execute(commands[i]);
    }
}

// A batch of more than twelve prints its first twelve requests: the batch report has no more fields.
ReportRequest frmMyCustom::report() const
{
    const SessionContext &s = session();
    if (isBatch()) {
        QStringList parameters{s.HospitalAddress};
        for (int i = 0; i < kBatchReportRequests; ++i)
            parameters << m_requests.value(i);
        return {QStringLiteral("LabPrint_Custombatch.RPT"), QStringLiteral("Laboratory Result"), parameters};
    }
    const bool wholePage = frmMedTech::shared().PaperSize() == QLatin1String("W");
    return {wholePage ? QStringLiteral("LabPrint_Custom_WholePage.RPT") : QStringLiteral("LabPrint_Custom.rpt"),
            QStringLiteral("Laboratory Result"),
            {s.HospitalAddress, s.RequestNum}};
}

void frmMyCustom::prepareSignOff(frmMedTech &signOff)
{
    signOff.setShowPaperSizeOption(true);
}

QString frmMyCustom::accessionPrompt() const
{
    return QStringLiteral("You have to fill-in the SAMPLE NUMBER first.");
}

} // namespace corvane
