#pragma once
// The master tables a laboratory maintains (its hospital header, staff, doctors, exams with their
// format codes, reagents and stock items, code lists, normal values, pick lists ...) moved in and
// out as CSV files (labdb/csv.h), one file per table named "<database>.<table>.csv".
//
// Export writes every table in key order, so two exports of the same data are identical and
// diff-able. Import reads and checks every file of a folder before it writes anything, then
// replaces the contents of the tables it has files for in one transaction, through the server's
// own commands so that the audit trail records every row.

#include "labdb/driver.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace labdb {

class Session;

namespace masterdata {

struct MasterTable {
    Database db;
    std::string table;
    std::vector<std::string> key; // the columns that tell rows apart and order them
};

// Every master table, in the order an import writes them. Column names and types come from the
// schema's own table definitions.
const std::vector<MasterTable> &registry();
// "build_file.tbCoLabExam.csv"
std::string fileName(const MasterTable &table);

struct TableCount {
    std::string file;
    std::size_t rows = 0;
    std::size_t previousRows = 0; // import: the rows the table held before
};

// Writes one file per master table into folder, creating it if needed. Throws DbError for the
// database, std::runtime_error when a file cannot be written.
std::vector<TableCount> exportTo(Driver &db, const std::string &folder);

// One thing wrong with an import file.
struct Problem {
    std::string file;
    std::size_t line = 0;   // 0: the file as a whole
    std::size_t column = 0; // 1-based field number; 0: the line as a whole
    std::string columnName;
    std::string message;

    // "build_file.tbCoLabExam.csv, line 7, column 5 (FormType): ..."
    std::string text() const;
};

class ImportError : public std::runtime_error {
public:
    explicit ImportError(std::vector<Problem> problems);
    const std::vector<Problem> &problems() const { return m_problems; }

private:
    std::vector<Problem> m_problems;
};

struct CheckedRow {
    std::size_t line = 0;
    std::vector<Value> values; // one per CheckedTable::columns, in the canonical form stored
};

struct CheckedTable {
    const MasterTable *table = nullptr;
    std::string file;
    std::vector<std::string> columns; // as the schema spells them, in the file's order
    std::vector<CheckedRow> rows;
};

// Reads and checks every CSV file in folder: unknown files and columns, missing required
// columns and values, values of the wrong type, duplicate keys, broken quoting. Throws
// ImportError listing every problem found; otherwise the tables in registry order.
std::vector<CheckedTable> checkFolder(const std::string &folder);

// Replaces the contents of the checked tables in one transaction. A row the database still refuses
// throws ImportError naming it, and nothing is written.
std::vector<TableCount> replaceTables(Session &session, const std::vector<CheckedTable> &tables);

} // namespace masterdata
} // namespace labdb
