// Clinical microscopy: the pick lists of the urinalysis and fecalysis screens, and the record the
// urinalysis reference ranges were kept in before the reference-interval master held them.

#include "columns.h"
#include "microscopy_parts.h"
#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

std::vector<TableDef> microscopyTables()
{
    using namespace columns;
    std::vector<TableDef> t;
    // Mode 0 holds a list's usual (normal) entries, mode 1 the others; both are offered.
    t.push_back({Database::Laboratory,
                 "tbLabMicroscopyList",
                 {key("ListName"), key("ListNo"), key("Mode"), integerNN("SortOrder"), key("ResultValue")},
                 {"ListName", "ListNo", "ResultValue"}});
    // One row: male and female ranges of ten counts, free text as the laboratory writes them. Emptied
    // when the master takes them over (moveUrinalysisRanges); nothing reads it since.
    TableDef ranges{Database::Laboratory, "tbLabUrinalysisRefRange", {integerNN("ID")}, {"ID"}};
    for (int i = 1; i <= 20; ++i)
        ranges.columns.push_back(textNN("RefRange" + std::to_string(i)));
    t.push_back(std::move(ranges));
    return t;
}

void moveUrinalysisRanges(Driver &db)
{
    const std::string old = db.qualify(Database::Laboratory, "tbLabUrinalysisRefRange");
    std::string columns;
    for (int i = 1; i <= 20; ++i)
        columns += (i > 1 ? ", RefRange" : "RefRange") + std::to_string(i);
    const ResultSet rs = db.run("SELECT " + columns + " FROM " + old + " WHERE ID = 1", {});
    if (rs.rows.empty())
        return;
    std::vector<std::string> texts;
    bool any = false;
    for (const Value &v : rs.rows[0]) {
        texts.push_back(v.value_or(std::string()));
        any = any || !texts.back().empty();
    }
    if (any) {
        // Without an exam to keep them under, the ranges stay where they are rather than be lost.
        try {
            writeUrinalysisRanges(db, texts);
        } catch (const DbError &) {
            return;
        }
    }
    db.run("DELETE FROM " + old + " WHERE ID = 1", {});
}

} // namespace labdb
