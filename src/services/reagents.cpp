#include "services/reagents.h"

#include "services/database/connection.h"
#include "services/ui/messagebox.h"
#include "session/errors.h"
#include "session/sessioncontext.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>

namespace corvane {

namespace {

enum GridColumn { ColCode = 1, ColDescription, ColUnit, ColQty, ColPrice, ColAmount, ColSupplier, ColumnCount };

QString cellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget *grid, int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = grid->item(row, column))
        item->setText(text);
    else
        grid->setItem(row, column, new QTableWidgetItem(text));
}

// Grid numbers are plain decimals with a point, whatever the workstation's locale.
double gridNumber(const QString &text, bool *ok)
{
    static const QLocale plain = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        return c;
    }();
    return plain.toDouble(text.trimmed(), ok);
}

// A grid quantity or amount; an empty cell counts as one.
QString numberOrOne(const QString &cell, const char *what)
{
    const QString text = cell.trimmed();
    if (text.isEmpty())
        return QStringLiteral("1");
    bool ok = false;
    const double value = gridNumber(text, &ok);
    if (!ok)
        throw ComponentError(QStringLiteral("Type mismatch: the %1 '%2' is not a number.")
                                 .arg(QLatin1String(what), text));
    return decimalText(value);
}

double numberOrZero(const QString &text)
{
    bool ok = false;
    const double value = gridNumber(text, &ok);
    return ok ? value : 0.0;
}

} // namespace

QString decimalText(double value)
{
    QString s = QString::number(value, 'f', 6);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

Command postingCheckCommand(const QString &refNum, const QString &postingKey)
{
    return Command("Lab_CheckReagents '") << refNum << "','" << postingKey << "'";
}

Command stockCardCommand(const ReagentPosting &p, const ReagentLine &line, const QDate &today)
{
    const QString date = QLocale::c().toString(today, QStringLiteral("MM/dd/yyyy"));
    // The fixed codes belong to the inventory; "D" is what takes the quantity out of stock.
    return Command("Inventory.dbo.Drug_AddStockCard 'CS','M")
           << p.reagentCode << "','" << p.postingKey() << "','" << line.itemCode << "','" << date << "','"
           << p.refNum << "','" << numberOrOne(line.quantity, "quantity") << "','0','"
           << numberOrOne(line.amount, "amount") << "','" << p.employeeCode << "','PRN','','D','" << p.employeeCode
           << "','" << p.locationID << "','" << p.locationID
           << "','OPD','','','I','0','1','','0','','','','1','0','','',''";
}

int PostStockCards(Connection &conn, const ReagentPosting &posting, const QDate &today)
{
    Recordset check = conn.query(postingCheckCommand(posting.refNum, posting.postingKey()));
    const bool posted = check.recordCount() > 0;
    check.close();
    if (posted)
        return 0;
    int sent = 0;
    for (const ReagentLine &line : posting.lines) {
        if (line.itemCode.trimmed().isEmpty())
            continue;
        // Sent as a query, as the inventory always took it; it answers with no rows.
        Recordset rs = conn.query(stockCardCommand(posting, line, today));
        rs.close();
        ++sent;
    }
    return sent;
}

ReagentState::ReagentState(QComboBox *cboReagent, QLabel *caption, QTableWidget *grdReagent)
    : ReagentState(cboReagent, caption, grdReagent, SessionContext::current())
{
}

ReagentState::ReagentState(QComboBox *cboReagent, QLabel *caption, QTableWidget *grdReagent,
                           SessionContext &session)
    : m_combo(cboReagent), m_caption(caption), m_grid(grdReagent), m_session(session)
{
    // Row 0 carries the headings, as on the laboratory's other grids; the view's own stay hidden.
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(0, 8);
    layOutGrid();
}

const QStringList &ReagentState::gridHeaders()
{
    static const QStringList headers{QStringLiteral("Code"),  QStringLiteral("Description"), QStringLiteral("Unit"),
                                     QStringLiteral("Qty"),   QStringLiteral("Price"),       QStringLiteral("Amount"),
                                     QStringLiteral("Supplier")};
    return headers;
}

Command ReagentState::postingCheck() const
{
    return postingCheckCommand(m_session.RequestRecord.RefNum, m_session.RequestNum + QLatin1Char('L'));
}

void ReagentState::showChoice(const QString &text)
{
    if (m_combo->isEditable()) {
        m_combo->setEditText(text);
        return;
    }
    if (text.isEmpty()) {
        m_combo->setCurrentIndex(-1);
        return;
    }
    int index = m_combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        m_combo->addItem(text);
        index = m_combo->count() - 1;
    }
    m_combo->setCurrentIndex(index);
}

void ReagentState::setListVisible(bool visible)
{
    m_combo->setVisible(visible);
    if (m_caption)
        m_caption->setVisible(visible);
    // The item grid belongs to the list: a screen without the list shows neither.
    m_grid->setVisible(visible);
}

void ReagentState::LoadReagentChoices()
{
    const auto reveal = [this] { setListVisible(true); };
    setListVisible(false);
    if (!m_session.HasDefaultReagent())
        return;
    Connection &db = m_session.db();
    Recordset check = db.query(postingCheck());
    if (check.recordCount() == 1) {
        showChoice(check.field(QStringLiteral("MachineDescription")).toStringOr());
        check.close();
        reveal();
        return;
    }
    check.close();

    Recordset rs = db.query(Command("LABORATORY..Lab_Inv_RetrieveReagent_PerExam '3','")
                            << m_session.RequestRecord.code << "','','" << QString() << "'");
    for (; !rs.eof(); rs.moveNext())
        m_combo->addItem(rs.field(QStringLiteral("Reagent")).toStringOr());
    rs.close();
    // Nothing is chosen until the technologist chooses; an unchosen list posts nothing.
    if (!m_combo->isEditable())
        m_combo->setCurrentIndex(-1);

    if (m_combo->count() >= 2) {
        MessageBox::show(QStringLiteral("Exam has more than one Item/Reagent!"), QString());
        reveal();
    } else if (m_combo->count() == 1) {
        reveal();
    }
}

void ReagentState::SelectReagent()
{
    Connection &db = m_session.db();
    Recordset code = db.query(Command("SELECT reagentcode FROM Build_file..TbCoLabReagents WHERE Reagent = '")
                              << m_combo->currentText() << "' ");
    // A name that is not in the master leaves no code, and so no items.
    m_reagentCode = code.eof() ? QString() : code.field(QStringLiteral("ReagentCode")).toStringOr();
    code.close();

    Recordset items = db.query(Command("LABORATORY..Lab_Inv_RetrieveReagent_PerExam '1','")
                               << m_session.RequestRecord.code.trimmed() << "','','" << m_reagentCode.trimmed()
                               << "'");
    if (!m_grid) {
        items.close();
        return;
    }
    m_grid->setRowCount(1);
    m_grid->setColumnCount(ColumnCount);
    for (; !items.eof(); items.moveNext()) {
        const QString quantity = items.field(QStringLiteral("Quantity")).toStringOr();
        const QString price = items.field(QStringLiteral("Amount")).toStringOr();
        const int row = m_grid->rowCount();
        m_grid->insertRow(row);
        setCell(m_grid, row, ColCode, items.field(QStringLiteral("ReagentCode")).toStringOr());
        setCell(m_grid, row, ColDescription, items.field(QStringLiteral("ItemName")).toStringOr());
        setCell(m_grid, row, ColUnit, items.field(QStringLiteral("Unit")).toStringOr());
        setCell(m_grid, row, ColQty, quantity);
        setCell(m_grid, row, ColPrice, price);
        setCell(m_grid, row, ColAmount, decimalText(numberOrZero(quantity) * numberOrZero(price)));
        setCell(m_grid, row, ColSupplier, items.field(QStringLiteral("Suppliername")).toStringOr());
    }
    items.close();
    layOutGrid();
}

void ReagentState::layOutGrid()
{
    if (m_grid->rowCount() < 1)
        m_grid->setRowCount(1);
    if (m_grid->columnCount() < ColumnCount)
        m_grid->setColumnCount(ColumnCount);
    const QStringList &headers = gridHeaders();
    for (int c = 0; c < headers.size(); ++c) {
        setCell(m_grid, 0, ColCode + c, headers.at(c));
        QFont bold = m_grid->item(0, ColCode + c)->font();
        bold.setBold(true);
        m_grid->item(0, ColCode + c)->setFont(bold);
    }
    m_grid->resizeColumnsToContents();
}

bool ReagentState::ShowPosting()
{
    Recordset check = m_session.db().query(postingCheck());
    const bool posted = !check.eof();
    showChoice(posted ? check.field(QStringLiteral("MachineDescription")).toStringOr() : QString());
    check.close();
    if (posted) {
        m_combo->setEnabled(false);
        SelectReagent();
    }
    return posted;
}

ReagentPosting ReagentState::posting() const
{
    ReagentPosting p;
    p.requestNum = m_session.RequestNum;
    p.refNum = m_session.RequestRecord.RefNum;
    p.employeeCode = m_session.EmployeeCode;
    p.locationID = m_session.ReagentLocationID;
    p.reagentCode = m_reagentCode;
    if (m_grid) {
        for (int row = 1; row < m_grid->rowCount(); ++row)
            p.lines.push_back({cellText(m_grid, row, ColCode).trimmed(), cellText(m_grid, row, ColQty),
                               cellText(m_grid, row, ColAmount)});
    }
    return p;
}

int ReagentState::PostReagentConsumption()
{
    if (m_combo->currentText().isEmpty() || !m_session.HasDefaultReagent())
        return 0;
    return PostStockCards(m_session.db(), posting(), QDate::currentDate());
}

} // namespace corvane
