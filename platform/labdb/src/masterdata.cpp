#include "labdb/masterdata.h"

#include "labdb/csv.h"
#include "labdb/procedures.h"
#include "labdb/schema.h"
#include "labdb/session.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

namespace labdb::masterdata {

namespace fs = std::filesystem;

const std::vector<MasterTable> &registry()
{
    // One line per table. A screen that brings master tables of its own adds them here.
    static const std::vector<MasterTable> tables{
        {Database::PatientData, "tbHospitalInfo", {"HospitalID"}},
        {Database::BuildFile, "tbCoSpecialization", {"SpecializationID"}},
        {Database::BuildFile, "tbCoDoctor", {"DoctorID"}},
        {Database::Laboratory, "tbLabEmployee", {"EmployeeCode"}},
        {Database::BuildFile, "tbCoLabSection", {"SectionID"}},
        {Database::BuildFile, "tbCoLabSpecimen", {"SpecimenID"}},
        {Database::BuildFile, "tbCoLabExam", {"Code"}},
        {Database::BuildFile, "tbCoLabExamSpecimen", {"LabExamID", "SpecimenID"}},
        {Database::BuildFile, "TbCoLabReagents", {"ReagentCode"}},
        {Database::BuildFile, "tbcoLabExamReagent", {"LabExamID", "ReagentID"}},
        {Database::BuildFile, "tbCoLabReagentItem", {"ReagentCode", "ItemCode"}},
        {Database::Inventory, "tbInvSupplier", {"SupplierCode"}},
        {Database::BuildFile, "tbCoCompany", {"CompanyID"}},
        {Database::Laboratory, "tbLabInstrumentName", {"InstrumentID"}},
        {Database::Laboratory, "tbLabRemarks", {"RemarkID"}},
        {Database::Laboratory, "tbLabInterpretation", {"ExamCode", "InterpretationID"}},
        {Database::Laboratory, "tbLabResultCode", {"ExamCode", "code"}},
        {Database::Laboratory, "tbLabReagentNValue", {"ExamCode", "ReagentCode"}},
        {Database::Laboratory, "tbLabAgeBand", {"ExamCode", "BandNo"}},
        {Database::Laboratory, "tbLabResultFormat", {"ExamCode", "EntryMode", "Code"}},
        {Database::Laboratory, "tbLabReagentSexNValues", {"ExamCode", "ReagentCode"}},
        {Database::Laboratory, "tbLabNValueDefault", {"FormType"}},
        {Database::Laboratory, "tbLabPickList", {"ListName", "ListNo", "ExamCode", "Value"}},
        {Database::Laboratory, "tbLabAnalyserTestMap", {"InstrumentID", "TestCode"}},
        {Database::BuildFile, "tbCoAntibiotic", {"Code"}},
        {Database::BuildFile, "tbCoOrganism", {"Code"}},
        {Database::BuildFile, "tbCoAntibioticPanel", {"ListNo", "GroupLetter", "AntibioticCode"}},
        {Database::Laboratory, "tbLab_BuildCulture", {"Description"}},
        {Database::Laboratory, "tbLab_BuildMicroTesting", {"Description"}},
        {Database::Laboratory, "tbLabInterpretationLegend", {"ExamCode"}},
        {Database::Laboratory, "tbLabNormalRangeRef", {"Field"}},
        {Database::Laboratory, "tbLabCustomFormat", {"ExamCode", "LineNo"}},
        {Database::Laboratory, "tbLabReferenceInterval", {"ExamCode", "Field", "Sex", "AgeFrom", "AgeUnit"}},
        {Database::Laboratory, "tbLabCriticalLimit", {"ExamCode", "Field", "Sex", "AgeFrom", "AgeUnit"}},
        {Database::Laboratory, "tbLabDeltaRule", {"ExamCode", "Field"}},
    };
    return tables;
}

std::string fileName(const MasterTable &table)
{
    return std::string(databaseName(table.db)) + "." + table.table + ".csv";
}

std::string Problem::text() const
{
    std::string out = file;
    if (line)
        out += ", line " + std::to_string(line);
    if (column)
        out += ", column " + std::to_string(column);
    if (!columnName.empty())
        out += " (" + columnName + ")";
    return out + ": " + message;
}

namespace {

std::string joinProblems(const std::vector<Problem> &problems)
{
    std::string out;
    for (const Problem &p : problems)
        out += (out.empty() ? "" : "\n") + p.text();
    return out;
}

// "build_file..tbCoLabExam", as the server's commands name a table.
std::string dialectName(const MasterTable &table)
{
    return std::string(databaseName(table.db)) + ".." + table.table;
}

std::size_t columnIndex(const TableDef &def, std::string_view name)
{
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        if (iequals(def.columns[i].name, name))
            return i;
    }
    return def.columns.size();
}

const TableDef &definitionOf(const MasterTable &table)
{
    const TableDef *def = tableDefinition(table.db, table.table);
    if (!def)
        throw std::logic_error("The master table " + dialectName(table) + " is not in the schema.");
    for (const std::string &k : table.key) {
        if (columnIndex(*def, k) == def->columns.size())
            throw std::logic_error("The master table " + dialectName(table) + " has no key column " + k + ".");
    }
    return *def;
}

bool isInteger(ColType type)
{
    return type == ColType::Int || type == ColType::Serial;
}

std::optional<long long> asInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return v;
}

std::optional<double> asReal(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// The shortest text that reads back as the same double, so both backends export alike.
std::string realText(double v)
{
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, ec == std::errc() ? end : buf);
}

// Orders key values: numbers as numbers, everything else byte by byte; NULL first.
int compareValues(const Value &a, const Value &b, ColType type)
{
    if (!a || !b)
        return a ? 1 : (b ? -1 : 0);
    if (isInteger(type)) {
        const auto x = asInteger(*a), y = asInteger(*b);
        if (x && y)
            return *x < *y ? -1 : (*x > *y ? 1 : 0);
    } else if (type == ColType::Real) {
        const auto x = asReal(*a), y = asReal(*b);
        if (x && y)
            return *x < *y ? -1 : (*x > *y ? 1 : 0);
    }
    const int c = a->compare(*b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void writeFile(const fs::path &path, const std::string &content)
{
    // Written beside and renamed, so a failed export never leaves half a file under the real name.
    fs::path part = path;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out)
            throw std::runtime_error("Cannot write " + part.string() + ": " + std::strerror(errno));
    }
    std::error_code ec;
    fs::rename(part, path, ec);
    if (ec)
        throw std::runtime_error("Cannot write " + path.string() + ": " + ec.message());
}

} // namespace

ImportError::ImportError(std::vector<Problem> problems)
    : std::runtime_error(joinProblems(problems)), m_problems(std::move(problems))
{
}

std::vector<TableCount> exportTo(Driver &db, const std::string &folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw std::runtime_error("Cannot create the folder " + folder + ": " + ec.message());

    std::vector<TableCount> counts;
    for (const MasterTable &table : registry()) {
        const TableDef &def = definitionOf(table);
        std::string select;
        Row header;
        for (const ColumnDef &c : def.columns) {
            select += (select.empty() ? "SELECT " : ", ") + c.name;
            header.emplace_back(c.name);
        }
        ResultSet rs = db.run(select + " FROM " + db.qualify(table.db, table.table), {});
        for (Row &row : rs.rows) {
            for (std::size_t i = 0; i < def.columns.size(); ++i) {
                if (def.columns[i].type == ColType::Real && row[i]) {
                    if (const auto v = asReal(*row[i]))
                        row[i] = realText(*v);
                }
            }
        }

        std::vector<std::size_t> keyColumns;
        for (const std::string &k : table.key)
            keyColumns.push_back(columnIndex(def, k));
        for (std::size_t i = 0; i < def.columns.size(); ++i)
            keyColumns.push_back(i); // ties (there should be none) still sort the same every time
        std::stable_sort(rs.rows.begin(), rs.rows.end(), [&](const Row &a, const Row &b) {
            for (std::size_t k : keyColumns) {
                if (const int c = compareValues(a[k], b[k], def.columns[k].type))
                    return c < 0;
            }
            return false;
        });

        std::string content = csv::formatRecord(header);
        for (const Row &row : rs.rows)
            content += csv::formatRecord(row);
        writeFile(fs::path(folder) / fileName(table), content);
        counts.push_back({fileName(table), rs.rows.size(), 0});
    }
    return counts;
}

namespace {

bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        const char32_t minimum = len == 2 ? 0x80 : (len == 3 ? 0x800 : 0x10000);
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::string trimmedBlanks(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// Shows a value in a message, shortened if long.
std::string shown(std::string_view value)
{
    return "\"" + std::string(value.substr(0, 40)) + (value.size() > 40 ? "...\"" : "\"");
}

// The value to store for one field, or the reason it cannot be stored.
struct Converted {
    Value value;
    std::string problem;
};

Converted convert(const csv::Field &field, const ColumnDef &column)
{
    const bool text = column.type == ColType::Text;
    // An empty field can only be a NULL where an empty string is no value of the column's type.
    const bool isNull = !field.quoted && (field.text == csv::kNull || (!text && trimmedBlanks(field.text).empty()));
    if (isNull) {
        if (column.notNull)
            return {std::nullopt, "a value is required here (\\N stands for no value)"};
        return {std::nullopt, {}};
    }
    switch (column.type) {
    case ColType::Text:
        if (!validUtf8(field.text))
            return {std::nullopt, "the text is not valid UTF-8; save the file as UTF-8"};
        return {field.text, {}};
    case ColType::Int:
    case ColType::Serial: {
        const std::string t = trimmedBlanks(field.text);
        const auto v = asInteger(t);
        if (!v)
            return {std::nullopt, shown(field.text) + " is not a whole number"};
        // Stored as a 32-bit integer on the server.
        if (column.type == ColType::Int &&
            (*v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max()))
            return {std::nullopt, shown(field.text) + " is too large for this column"};
        return {std::to_string(*v), {}};
    }
    case ColType::Real: {
        const std::string t = trimmedBlanks(field.text);
        const auto v = asReal(t);
        if (!v) {
            const bool comma = t.find(',') != std::string::npos && asReal(std::string(t).replace(t.find(','), 1, "."));
            return {std::nullopt, shown(field.text) + " is not a number" +
                                      (comma ? std::string(" (write decimals with a point)") : std::string())};
        }
        return {realText(*v), {}};
    }
    case ColType::DateTime:
        try {
            const auto v = parseDateTimeText(field.text);
            if (!v) {
                if (column.notNull)
                    return {std::nullopt, "a value is required here (\\N stands for no value)"};
                return {std::nullopt, {}};
            }
            return {*v, {}};
        } catch (const DbError &) {
            return {std::nullopt, shown(field.text) + " is not a date and time (yyyy-mm-dd hh:mm:ss)"};
        }
    }
    return {field.text, {}};
}

// The text that two rows with the same key share: the server compares text keys without regard
// to (ASCII) case, numbers by value.
std::string keyText(const std::vector<Value> &values, const std::vector<std::size_t> &keyFields)
{
    std::string out;
    for (std::size_t f : keyFields) {
        out += values[f] ? toLower(*values[f]) : std::string("\x01NULL");
        out.push_back('\x1F');
    }
    return out;
}

std::string keyDescription(const CheckedTable &t, const std::vector<Value> &values,
                           const std::vector<std::size_t> &keyFields)
{
    std::string names, shownValues;
    for (std::size_t f : keyFields) {
        names += (names.empty() ? "" : ", ") + t.columns[f];
        shownValues += (shownValues.empty() ? "" : ", ") + (values[f] ? *values[f] : std::string(csv::kNull));
    }
    return keyFields.size() == 1 ? names + " = " + shownValues : "(" + names + ") = (" + shownValues + ")";
}

bool readWholeFile(const fs::path &path, std::string &data)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    data = std::move(buffer).str();
    return !in.bad();
}

void checkTable(const MasterTable &table, const fs::path &path, CheckedTable &out, std::vector<Problem> &problems)
{
    const TableDef &def = definitionOf(table);
    out.table = &table;
    out.file = path.filename().string();
    const auto problem = [&](std::size_t line, std::size_t column, std::string name, std::string message) {
        problems.push_back({out.file, line, column, std::move(name), std::move(message)});
    };

    std::string data;
    if (!readWholeFile(path, data)) {
        problem(0, 0, {}, std::string("cannot be read: ") + std::strerror(errno));
        return;
    }
    try {
        csv::Reader reader(data);
        csv::Record header;
        if (!reader.next(header)) {
            problem(1, 0, {}, "the file is empty; its first line must name the columns");
            return;
        }

        // Header: every name a column of the table, none twice, every required column present.
        std::vector<std::size_t> fieldColumn; // field position -> schema column
        const std::size_t problemsBefore = problems.size();
        for (std::size_t i = 0; i < header.fields.size(); ++i) {
            const std::string &name = header.fields[i].text;
            const std::size_t c = columnIndex(def, name);
            if (c == def.columns.size()) {
                std::string known;
                for (const ColumnDef &col : def.columns)
                    known += (known.empty() ? "" : ", ") + col.name;
                problem(header.fields[i].line, i + 1, name,
                        "no such column in " + dialectName(table) + "; its columns are " + known);
            } else if (const auto twice = std::find(fieldColumn.begin(), fieldColumn.end(), c);
                       twice != fieldColumn.end()) {
                problem(header.fields[i].line, i + 1, name,
                        "the column is named twice (also column " +
                            std::to_string(twice - fieldColumn.begin() + 1) + ")");
            }
            fieldColumn.push_back(c);
            out.columns.push_back(c < def.columns.size() ? def.columns[c].name : name);
        }
        for (std::size_t c = 0; c < def.columns.size(); ++c) {
            const ColumnDef &col = def.columns[c];
            const bool isKey = std::any_of(table.key.begin(), table.key.end(),
                                           [&](const std::string &k) { return iequals(k, col.name); });
            const bool required = isKey || (col.notNull && col.defaultSql.empty() && col.type != ColType::Serial);
            if (required && std::find(fieldColumn.begin(), fieldColumn.end(), c) == fieldColumn.end())
                problem(header.line, 0, {}, "the required column " + col.name + " is missing");
        }
        if (problems.size() != problemsBefore)
            return; // rows cannot be read against a header that is wrong

        std::vector<std::size_t> keyFields;
        for (const std::string &k : table.key)
            keyFields.push_back(static_cast<std::size_t>(
                std::find(fieldColumn.begin(), fieldColumn.end(), columnIndex(def, k)) - fieldColumn.begin()));

        std::map<std::string, std::size_t> seen; // key -> line
        csv::Record record;
        while (reader.next(record)) {
            if (record.fields.size() != header.fields.size()) {
                problem(record.line, 0, {},
                        std::to_string(record.fields.size()) + " values, but the first line names " +
                            std::to_string(header.fields.size()) + " columns");
                continue;
            }
            CheckedRow row{record.line, {}};
            bool rowOk = true;
            for (std::size_t i = 0; i < record.fields.size(); ++i) {
                Converted v = convert(record.fields[i], def.columns[fieldColumn[i]]);
                if (!v.problem.empty()) {
                    problem(record.fields[i].line, i + 1, out.columns[i], std::move(v.problem));
                    rowOk = false;
                }
                row.values.push_back(std::move(v.value));
            }
            if (!rowOk)
                continue;
            const auto [at, fresh] = seen.emplace(keyText(row.values, keyFields), record.line);
            if (!fresh) {
                problem(record.line, keyFields.front() + 1, out.columns[keyFields.front()],
                        "the key " + keyDescription(out, row.values, keyFields) + " is already on line " +
                            std::to_string(at->second));
                continue;
            }
            out.rows.push_back(std::move(row));
        }
    } catch (const csv::SyntaxError &e) {
        problem(e.line(), e.column(), {}, e.what());
    }
}

} // namespace

std::vector<CheckedTable> checkFolder(const std::string &folder)
{
    std::vector<Problem> problems;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw ImportError({{folder, 0, 0, {}, "no such folder"}});

    std::map<std::string, fs::path> files; // lower-case file name -> path
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec)) {
        if (entry.is_regular_file() && toLower(entry.path().extension().string()) == ".csv")
            files.emplace(toLower(entry.path().filename().string()), entry.path());
    }
    if (ec)
        throw ImportError({{folder, 0, 0, {}, "cannot be read: " + ec.message()}});
    if (files.empty())
        throw ImportError({{folder, 0, 0, {}, "holds no master-data files (*.csv)"}});

    std::vector<CheckedTable> tables;
    for (const MasterTable &table : registry()) {
        const auto found = files.find(toLower(fileName(table)));
        if (found == files.end())
            continue;
        tables.emplace_back();
        checkTable(table, found->second, tables.back(), problems);
        files.erase(found);
    }
    // Left over: a misspelt name would otherwise leave its table unchanged without a word.
    for (const auto &[name, path] : files)
        problems.push_back({path.filename().string(), 0, 0, {},
                            "not a master table of the laboratory (expected names such as " +
                                fileName(registry().front()) + ")"});
    if (!problems.empty())
        throw ImportError(std::move(problems));
    return tables;
}

std::vector<TableCount> replaceTables(Session &session, const std::vector<CheckedTable> &tables)
{
    Driver &db = session.driver();
    std::vector<TableCount> counts;
    Transaction tx(db);
    for (const CheckedTable &t : tables) {
        const MasterTable &table = *t.table;
        const std::string name = dialectName(table);
        TableCount count{t.file, t.rows.size(), 0};
        count.previousRows = static_cast<std::size_t>(
            std::stoull(db.run("SELECT COUNT(*) FROM " + db.qualify(table.db, table.table), {}).rows.at(0).at(0).value()));

        // Through the server's command interpreter, so that each change reaches the audit trail.
        session.execute(CommandText("Delete from " + name));
        std::string insert = "Insert into " + name + " (";
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            insert += (i ? ", " : "") + t.columns[i];
        insert += ") values (";
        for (const CheckedRow &row : t.rows) {
            CommandText command(insert);
            for (std::size_t i = 0; i < row.values.size(); ++i) {
                if (i)
                    command.fixed(", ");
                if (row.values[i])
                    command.fixed("'").value(row.values[i]).fixed("'");
                else
                    command.value(std::nullopt); // bare, so the audit trail reads NULL
            }
            command.fixed(")");
            try {
                session.execute(command);
            } catch (const DbError &e) {
                throw ImportError({{t.file, row.line, 0, {}, std::string("the database refused the row: ") + e.what()}});
            }
        }
        counts.push_back(count);
    }
    tx.commit();
    return counts;
}

} // namespace labdb::masterdata
