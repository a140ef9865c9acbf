// Reagent items and inventory postings: what a reagent consumes from stock, who supplies it, and
// the keys that let a request's consumption reach the stock cards once only.

#include "columns.h"
#include "schema_parts.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace labdb {

namespace {

using namespace columns;

void insertRow(Driver &db, Database where, const char *table, std::initializer_list<const char *> columns,
               std::vector<Value> values)
{
    std::string sql = "INSERT INTO " + db.qualify(where, table) + " (";
    std::string marks;
    for (const char *c : columns) {
        const bool first = marks.empty();
        sql += (first ? "" : ", ") + std::string(c);
        marks += first ? "?" : ", ?";
    }
    db.run(sql + ") VALUES (" + marks + ")", values);
}

struct Supplier {
    const char *code, *name, *address;
};
constexpr Supplier kSuppliers[] = {
    {"SUP01", "Orthomed Diagnostics Phils., Inc.", "Pasig City"},
    {"SUP02", "Healthtrend Laboratory Supplies", "Quezon City"},
    {"SUP03", "Central Luzon Medical Trading", "San Fernando, Pampanga"},
};

struct Item {
    const char *reagent, *item, *name, *unit, *quantity, *price, *supplier;
};
// Quantities are per test; prices per unit of stock.
constexpr Item kItems[] = {
    {"R0101", "INV-1001", "APTT REAGENT (ELLAGIC ACID) 10 ML", "ML", "0.1", "85", "SUP02"},
    {"R0101", "INV-1002", "CALCIUM CHLORIDE 0.025 M 10 ML", "ML", "0.1", "12.5", "SUP02"},
    {"R0101", "INV-1003", "CUVETTE, COAGULATION", "PC", "1", "6", "SUP02"},
    {"R0201", "INV-2001", "VITROS GLU SLIDE", "PC", "1", "38", "SUP01"},
    {"R0201", "INV-9001", "SAMPLE CUP 2 ML", "PC", "1", "2.5", "SUP03"},
    {"R0202", "INV-2101", "GLUCOSE GOD-PAP REAGENT 4 X 100 ML", "ML", "1", "4.2", "SUP02"},
    {"R0202", "INV-2102", "GLUCOSE STANDARD 100 MG/DL", "ML", "0.01", "9", "SUP02"},
    {"R0202", "INV-9002", "TEST TUBE 12 X 75 MM", "PC", "1", "2", "SUP03"},
    {"R0301", "INV-3001", "URINE REAGENT STRIP 10 PARAMETERS", "PC", "1", "18", "SUP03"},
    {"R0301", "INV-3002", "URINE CONTAINER, STERILE", "PC", "1", "5", "SUP03"},
    {"R0401", "INV-4001", "CARBOL FUCHSIN 500 ML", "ML", "2", "0.9", "SUP02"},
    {"R0401", "INV-4002", "ACID ALCOHOL 3% 500 ML", "ML", "5", "0.3", "SUP02"},
    {"R0401", "INV-4003", "METHYLENE BLUE 500 ML", "ML", "2", "0.4", "SUP02"},
    {"R0401", "INV-9003", "GLASS SLIDE, FROSTED END", "PC", "1", "1.5", "SUP03"},
    {"R0402", "INV-4101", "CRYSTAL VIOLET 500 ML", "ML", "2", "0.6", "SUP02"},
    {"R0402", "INV-4102", "GRAM IODINE 500 ML", "ML", "2", "0.5", "SUP02"},
    {"R0402", "INV-4103", "DECOLORIZER (ACETONE-ALCOHOL) 500 ML", "ML", "3", "0.4", "SUP02"},
    {"R0402", "INV-4104", "SAFRANIN 500 ML", "ML", "2", "0.5", "SUP02"},
    {"R0402", "INV-9003", "GLASS SLIDE, FROSTED END", "PC", "1", "1.5", "SUP03"},
    {"R0501", "INV-5001", "VITROS CREA SLIDE", "PC", "1", "45", "SUP01"},
    {"R0501", "INV-9001", "SAMPLE CUP 2 ML", "PC", "1", "2.5", "SUP03"},
};

struct Stock {
    const char *item, *onHand, *reorder;
};
constexpr Stock kStock[] = {
    {"INV-1001", "100", "20"}, {"INV-1002", "100", "20"}, {"INV-1003", "500", "100"}, {"INV-2001", "300", "50"},
    {"INV-2101", "400", "100"}, {"INV-2102", "10", "2"},  {"INV-3001", "200", "50"},  {"INV-3002", "250", "50"},
    {"INV-4001", "500", "100"}, {"INV-4002", "500", "100"}, {"INV-4003", "500", "100"}, {"INV-4101", "500", "100"},
    {"INV-4102", "500", "100"}, {"INV-4103", "500", "100"}, {"INV-4104", "500", "100"}, {"INV-5001", "150", "30"},
    {"INV-9001", "1000", "200"}, {"INV-9002", "1000", "200"}, {"INV-9003", "800", "200"},
};

} // namespace

std::vector<TableDef> reagentTables()
{
    std::vector<TableDef> t;
    // What one test with a reagent takes from stock, item by item.
    t.push_back({Database::BuildFile,
                 "tbCoLabReagentItem",
                 {key("ReagentCode"),
                  key("ItemCode"),
                  textNN("ItemName"),
                  textNN("Unit"),
                  realNN("Quantity"),  // per test, in Unit
                  realNN("UnitPrice"), // per Unit
                  textNN("SupplierCode")},
                 {"ReagentCode", "ItemCode"}});
    t.push_back({Database::Inventory,
                 "tbInvSupplier",
                 {key("SupplierCode"), textNN("SupplierName"), textNN("Address"), textNN("Status")},
                 {"SupplierCode"}});
    // One row per posted reference: the first stock-card line of a reference claims it for its
    // source, so a second posting of the same request, however it races the first, finds it taken.
    t.push_back({Database::Inventory,
                 "tbInvPosting",
                 {key("ReferenceNum"),
                  textNN("ChargeRefNum"),
                  textNN("SourceCode"),  // "M" + reagent code for laboratory consumption
                  textNN("ReagentCode"), // the source without its "M", for the posting check
                  textNN("TransType"),
                  textNN("PostedBy"),
                  dateTime("PostedAt")},
                 {"ReferenceNum"}});
    // One row per item of a posted reference: stock is lowered only by the line that inserts it.
    t.push_back({Database::Inventory,
                 "tbInvPostingLine",
                 {key("ReferenceNum"), key("ItemCode"), dateTime("PostedAt")},
                 {"ReferenceNum", "ItemCode"}});
    return t;
}

void loadReagentDemo(Driver &db)
{
    for (const Supplier &s : kSuppliers)
        insertRow(db, Database::Inventory, "tbInvSupplier", {"SupplierCode", "SupplierName", "Address", "Status"},
                  {s.code, s.name, s.address, "A"});
    for (const Item &i : kItems)
        insertRow(db, Database::BuildFile, "tbCoLabReagentItem",
                  {"ReagentCode", "ItemCode", "ItemName", "Unit", "Quantity", "UnitPrice", "SupplierCode"},
                  {i.reagent, i.item, i.name, i.unit, i.quantity, i.price, i.supplier});
    // Every item of the demo reagents is kept at the laboratory, where the exams take it from.
    for (const Stock &s : kStock) {
        std::string cost;
        for (const Item &i : kItems) {
            if (std::string_view(i.item) == s.item)
                cost = i.price;
        }
        insertRow(db, Database::Inventory, "tbInvStockLevel",
                  {"ItemCode", "LocationID", "OnHand", "UnitCost", "ReorderLevel"},
                  {s.item, "LAB", s.onHand, cost, s.reorder});
    }
}

} // namespace labdb
