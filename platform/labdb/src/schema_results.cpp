#include "columns.h"
#include "schema_parts.h"

namespace labdb {

std::vector<TableDef> resultTables()
{
    // Short value lists the screens offer (sample types, grades ...), by list and exam.
    return {{Database::Laboratory,
             "tbLabPickList",
             {columns::key("ListName"), columns::key("ListNo"), columns::textNN("ExamCode"),
              columns::integerNN("SortOrder"), columns::key("Value")},
             {"ListName", "ListNo", "ExamCode", "Value"}}};
}

void loadResultDemo(Driver &db)
{
    const std::string table = db.qualify(Database::Laboratory, "tbLabPickList");
    int order = 0;
    for (const char *value : {"Arterial", "Venous", "Capillary", "Mixed venous", "Cord arterial", "Cord venous"})
        db.run("INSERT INTO " + table + " (ListName, ListNo, ExamCode, SortOrder, Value) VALUES ('ABG', '1', '', ?, ?)",
               {std::to_string(++order), std::string(value)});
}

} // namespace labdb
