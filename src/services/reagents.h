#pragma once
// Reagent consumption: the reagent (machine) choices of the exam, the stock items the chosen
// reagent takes, and their posting to the inventory stock cards, once per request.

#include "services/database/command.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QTableWidget;

namespace corvane {

class Connection;
class SessionContext;

// One item row of the reagent grid, as the posting reads it.
struct ReagentLine {
    QString itemCode; // column 1, trimmed
    QString quantity; // column 4; empty counts as 1
    QString amount;   // column 6, the line total; empty counts as 1
};

// Everything a save posts for a request.
struct ReagentPosting {
    QString requestNum;
    QString refNum; // the charge the request belongs to
    QString employeeCode;
    QString locationID; // where the exam takes its reagent from
    QString reagentCode;
    QList<ReagentLine> lines;

    // The request number followed by "L".
    QString postingKey() const { return requestNum + QLatin1Char('L'); }
};

Command postingCheckCommand(const QString &refNum, const QString &postingKey);
// One stock-card line; throws ComponentError when the quantity or amount is not a number.
Command stockCardCommand(const ReagentPosting &posting, const ReagentLine &line, const QDate &today);
// Numbers as the commands carry them: plain decimals, no exponent, no trailing zeros.
QString decimalText(double value);

// The posting check, then one stock-card line per row with an item code. Nothing is sent when the
// request is posted already. Runs in the caller's transaction; returns the lines sent.
int PostStockCards(Connection &conn, const ReagentPosting &posting, const QDate &today);

// The reagent controls of one screen: cboReagent, its caption lblLabels(19) and grdReagent, whose
// row 0 is the header row and whose columns 1 to 7 are Code, Description, Unit, Qty, Price,
// Amount and Supplier.
class ReagentState {
public:
    ReagentState(QComboBox *cboReagent, QLabel *caption, QTableWidget *grdReagent);
    ReagentState(QComboBox *cboReagent, QLabel *caption, QTableWidget *grdReagent, SessionContext &session);

    // Opening: the posted reagent, or the exam's choices, when the exam has a default reagent.
    void LoadReagentChoices();
    // The code of the reagent named in cboReagent, and its stock items into the grid.
    void SelectReagent();
    // Filling a stored result: a posted reagent is shown, locked, with its items; otherwise the
    // list shows nothing. True when the request is posted.
    bool ShowPosting();
    // Saving, inside the save transaction. Returns the stock-card lines sent.
    int PostReagentConsumption();

    const QString &reagentCode() const { return m_reagentCode; }
    // What a save would post now, read from the grid.
    ReagentPosting posting() const;

    static const QStringList &gridHeaders();

private:
    Command postingCheck() const;
    void layOutGrid();
    void setListVisible(bool visible);
    void showChoice(const QString &text);

    QComboBox *m_combo;
    QLabel *m_caption;
    QTableWidget *m_grid;
    SessionContext &m_session;
    QString m_reagentCode;
};

} // namespace corvane
