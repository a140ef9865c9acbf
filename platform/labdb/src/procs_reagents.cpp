// Reagent procedures: the reagent choices of an exam, the stock items a reagent consumes, the
// posting check and the inventory stock card that records the consumption.

#include "labdb/procedures.h"
#include "prochelpers.h"

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;



// Parsed without the process locale, which the host may have set to one with a decimal comma.
double numberArg(const ProcCall &call, std::size_t i)
{
    const std::string text = trimmed(call.arg(i));
    if (text.empty())
        return 0;
    double value = 0;
    const char *first = text.data() + (text.front() == '+' ? 1 : 0);
    const char *last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        throw DbError("Error converting data type varchar to numeric: '" + text + "' (argument " +
                      std::to_string(i + 1) + " of " + std::string(call.name) + ").");
    return value;
}

// Fifteen significant digits: a computed 0.1 * 3 reads "0.3", and both backends render a number alike.
std::string decimalText(double value)
{
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    return std::string(buf, end);
}

std::string decimalText(const Value &v)
{
    if (!v || v->empty())
        return "0";
    double value = 0;
    const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), value);
    if (ec != std::errc())
        return *v;
    return decimalText(value);
}

// Mode '3': the reagent (machine) choices of an exam. Mode '1': the stock items one test of the
// exam takes with the chosen reagent. The third argument is always sent empty.
ResultSet retrieveReagentPerExam(ProcCall &call)
{
    const std::string mode = trimmed(call.arg(0));
    const std::string exam = keyArg(call, 1);
    const std::string link = call.t(Database::BuildFile, "tbcoLabExamReagent");
    const std::string reagents = call.t(Database::BuildFile, "TbCoLabReagents");

    if (mode == "3") {
        ResultSet rs = call.sql("SELECT r.ReagentCode, r.Reagent, l.LocationID, l.ReagentQty FROM " + link +
                                    " l JOIN " + reagents + " r ON r.ReagentCode = l.ReagentID"
                                    " WHERE l.LabExamID = ? ORDER BY l.ReagentID",
                                {exam});
        rs.columns = {"ReagentCode", "Reagent", "LocationID", "ReagentQty"};
        for (Row &row : rs.rows)
            row[3] = decimalText(row[3]);
        return rs;
    }
    if (mode == "1") {
        // An exam that runs a reagent more than once per request takes its items as often.
        const ResultSet src = call.sql(
            "SELECT i.ItemCode, i.ItemName, i.Quantity * CASE WHEN l.ReagentQty > 0 THEN l.ReagentQty ELSE 1 END,"
            " i.Unit, i.UnitPrice, s.SupplierName FROM " +
                call.t(Database::BuildFile, "tbCoLabReagentItem") + " i JOIN " + link +
                " l ON l.ReagentID = i.ReagentCode AND l.LabExamID = ? LEFT JOIN " +
                call.t(Database::Inventory, "tbInvSupplier") +
                " s ON s.SupplierCode = i.SupplierCode WHERE i.ReagentCode = ? ORDER BY i.ItemCode",
            {exam, keyArg(call, 3)});
        ResultSet rs;
        rs.columns = {"ReagentCode", "ItemName", "Quantity", "Unit", "Amount", "Suppliername"};
        for (const Row &r : src.rows)
            rs.rows.push_back({r[0], r[1], decimalText(r[2]), r[3], decimalText(r[4]), r[5]});
        return rs;
    }
    throw DbError("Lab_Inv_RetrieveReagent_PerExam: unknown mode '" + mode + "'.");
}

// A request's consumption, if posted: one row, named after the reagent whose items were taken.
ResultSet checkReagents(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT r.Reagent, p.ReagentCode, p.ReferenceNum, p.ChargeRefNum, p.PostedBy, p.PostedAt"
                            " FROM " + call.t(Database::Inventory, "tbInvPosting") + " p LEFT JOIN " +
                                call.t(Database::BuildFile, "TbCoLabReagents") +
                                " r ON r.ReagentCode = p.ReagentCode WHERE p.ReferenceNum = ? AND p.ChargeRefNum = ?",
                            {keyArg(call, 1), keyArg(call, 0)});
    rs.columns = {"MachineDescription", "ReagentCode", "ReferenceNum", "RefNum", "PostedBy", "PostedAt"};
    return rs;
}

// The stock-card columns, in the order of the procedure's 32 arguments.
enum class Kind { Text, Number, Integer, Date };
struct CardColumn {
    const char *name;
    Kind kind;
};
constexpr CardColumn kCardColumns[32] = {
    {"TransType", Kind::Text},    {"SourceCode", Kind::Text},      {"ReferenceNum", Kind::Text},
    {"ItemCode", Kind::Text},     {"TransDate", Kind::Date},       {"ChargeRefNum", Kind::Text},
    {"Quantity", Kind::Number},   {"QtyReturned", Kind::Number},   {"Amount", Kind::Number},
    {"EmployeeCode", Kind::Text}, {"PriceType", Kind::Text},       {"Remarks", Kind::Text},
    {"Direction", Kind::Text},    {"UserID", Kind::Text},          {"LocationID", Kind::Text},
    {"FromLocationID", Kind::Text}, {"Department", Kind::Text},    {"HospNum", Kind::Text},
    {"IDNum", Kind::Text},        {"Status", Kind::Text},          {"IsPosted", Kind::Integer},
    {"Factor", Kind::Number},     {"BatchNum", Kind::Text},        {"Discount", Kind::Number},
    {"ExpiryDate", Kind::Text},   {"LotNum", Kind::Text},          {"SupplierCode", Kind::Text},
    {"UnitQty", Kind::Number},    {"IsReturned", Kind::Integer},   {"Spare1", Kind::Text},
    {"Spare2", Kind::Text},       {"Spare3", Kind::Text},
};
enum Arg { TransType = 0, SourceCode = 1, ReferenceNum = 2, ItemCode = 3, ChargeRefNum = 5, Quantity = 6,
           EmployeeCode = 9, Direction = 12, LocationID = 14 };

Value cardValue(const ProcCall &call, std::size_t i)
{
    switch (kCardColumns[i].kind) {
    case Kind::Text:
        return call.arg(i);
    case Kind::Number:
        return decimalText(numberArg(call, i));
    case Kind::Integer:
        return std::to_string(static_cast<long long>(numberArg(call, i)));
    case Kind::Date:
        return parseDateTimeText(call.arg(i));
    }
    return call.arg(i);
}

// One stock-card line. "D" takes the quantity out of stock at the location, "R" puts it back.
// A reference is posted once: its first line claims it for its source code, each item of it is
// keyed, and stock moves only for a line that inserted its key. A workstation that loses a race
// for the same request therefore writes nothing here and its save still commits; on PostgreSQL
// its claim waits for the winner's commit (or rollback, after which it wins) instead of failing.
ResultSet addStockCard(ProcCall &call)
{
    const std::string reference = keyArg(call, ReferenceNum);
    const std::string item = trimmed(call.arg(ItemCode));
    const std::string source = trimmed(call.arg(SourceCode));
    const std::string direction = trimmed(call.arg(Direction));
    const std::string location = trimmed(call.arg(LocationID));
    if (reference.empty() || item.empty())
        throw DbError("Drug_AddStockCard needs a reference number and an item code.");
    if (!iequals(direction, "D") && !iequals(direction, "R"))
        throw DbError("Drug_AddStockCard: unknown stock direction '" + direction + "'.");

    std::vector<Value> values;
    values.reserve(32);
    for (std::size_t i = 0; i < 32; ++i)
        values.push_back(cardValue(call, i));
    const double quantity = numberArg(call, Quantity);

    const std::string now = call.db.nowExpr();
    const std::string postings = call.t(Database::Inventory, "tbInvPosting");
    const std::string reagentCode = source.size() > 1 && (source[0] == 'M' || source[0] == 'm') ? source.substr(1)
                                                                                                 : std::string();
    call.sql("INSERT INTO " + postings +
                 " (ReferenceNum, ChargeRefNum, SourceCode, ReagentCode, TransType, PostedBy, PostedAt)"
                 " VALUES (?, ?, ?, ?, ?, ?, " + now + ") ON CONFLICT (ReferenceNum) DO NOTHING",
             {reference, keyArg(call, ChargeRefNum), source, reagentCode, trimmed(call.arg(TransType)),
              call.arg(EmployeeCode)});
    const ResultSet claim =
        call.sql("SELECT SourceCode, ChargeRefNum FROM " + postings + " WHERE ReferenceNum = ?", {reference});
    const auto claimed = [&](std::size_t column) { return trimmed(claim.rows[0][column].value_or(std::string())); };
    if (claim.rows.empty() || !iequals(claimed(0), source) || !iequals(claimed(1), keyArg(call, ChargeRefNum)))
        return ResultSet{{}, {}, 0}; // posted already, by another source or charge

    const ResultSet keyed = call.sql("INSERT INTO " + call.t(Database::Inventory, "tbInvPostingLine") +
                                         " (ReferenceNum, ItemCode, PostedAt) VALUES (?, ?, " + now +
                                         ") ON CONFLICT (ReferenceNum, ItemCode) DO NOTHING RETURNING ItemCode",
                                     {reference, item});
    if (keyed.rows.empty())
        return ResultSet{{}, {}, 0}; // this item of the reference is on a stock card already

    std::string columns;
    std::string marks;
    for (const CardColumn &c : kCardColumns) {
        columns += std::string(columns.empty() ? "" : ", ") + c.name;
        marks += marks.empty() ? "?" : ", ?";
    }
    call.sql("INSERT INTO " + call.t(Database::Inventory, "tbInvStockCard") + " (" + columns + ", PostedAt) VALUES (" +
                 marks + ", " + now + ")",
             values);

    // An item never stocked at the location starts from nothing and goes negative.
    const double change = iequals(direction, "D") ? -quantity : quantity;
    call.sql("INSERT INTO " + call.t(Database::Inventory, "tbInvStockLevel") +
                 " AS l (ItemCode, LocationID, OnHand, LastMovement) VALUES (?, ?, ?, " + now +
                 ") ON CONFLICT (ItemCode, LocationID) DO UPDATE SET OnHand = l.OnHand + excluded.OnHand,"
                 " LastMovement = excluded.LastMovement",
             {item, location, decimalText(change)});
    return ResultSet{{}, {}, 1};
}

} // namespace

void registerReagentProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Inv_RetrieveReagent_PerExam", 4, 4, false, &retrieveReagentPerExam});
    r.add({Database::Laboratory, "Lab_CheckReagents", 2, 2, false, &checkReagents});
    r.add({Database::Inventory, "Drug_AddStockCard", 32, 32, true, &addStockCard});
}

} // namespace labdb
