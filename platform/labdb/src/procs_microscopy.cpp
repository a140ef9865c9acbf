// Clinical microscopy: the urinalysis, fecalysis and stool results in the shared result row, their
// pick lists, and the urinalysis reference ranges.

#include "labdb/procedures.h"
#include "microscopy_parts.h"
#include "prochelpers.h"
#include "resultrow.h"

#include <array>
#include <charconv>
#include <string>

namespace labdb {

ResultSet helpers::loadListValues(ProcCall &call, const char *listName)
{
    const std::string mode = keyArg(call, 0);
    if (mode != "0" && mode != "1")
        throw DbError("The list mode must be 0 or 1, not '" + mode + "'.");
    const std::string list = keyArg(call, 1);
    std::string sql = "SELECT ListNo, ResultValue FROM " + call.t(Database::Laboratory, "tbLabMicroscopyList") +
                      " WHERE ListName = ? AND Mode = ?";
    std::vector<Value> params{std::string(listName), mode};
    if (!list.empty()) {
        sql += " AND ListNo = ?";
        params.emplace_back(list);
    }
    return call.sql(sql + " ORDER BY ListNo, SortOrder, ResultValue", params);
}

namespace {

using namespace helpers;

// The method typed on the screen is the one the stored result header shows next time.
void keepMethod(ProcCall &call, const Value &method)
{
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET Method = ? WHERE RequestNum = ?",
             {method.value_or(std::string()), keyArg(call, 1)});
}

ResultSet loadUrinalysisValues(ProcCall &call)
{
    return loadListValues(call, "Urinalysis");
}

ResultSet loadFecalysisValues(ProcCall &call)
{
    return loadListValues(call, "Fecalysis");
}

// flag, request, submitted, finished, sample number, then 31 values: arguments 6 to 24 go to
// result1..result19 (method last), 25 repeats the finished time, 26 to 36 go to result21..result31.
ResultSet saveUrinalysis(ProcCall &call)
{
    // The screen sends no LRA time: a later save keeps the one recorded for the request.
    Value lra;
    if (call.arg(0) == "1") {
        const ResultSet kept = call.sql("SELECT lratime FROM " + call.t(Database::Laboratory, "tbLabResult") +
                                            " WHERE RequestNum = ?",
                                        {keyArg(call, 1)});
        if (!kept.rows.empty())
            lra = kept.rows[0][0];
    }
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), lra,
                     parseDateTimeText(call.arg(3)), {}, {}};
    for (std::size_t arg = 6; arg <= 36; ++arg) {
        if (arg != 25)
            w.results[static_cast<int>(arg) - 5] = call.args[arg - 1];
    }
    writeResultRow(call, call.arg(0), w);
    keepMethod(call, call.args[23]);
    return {};
}

// flag, request, submitted, LRA, sample number, ten list values, four findings, remarks, method,
// finished.
ResultSet saveFecalysis(ProcCall &call)
{
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     parseDateTimeText(call.arg(21)), {}, {}};
    for (int slot = 1; slot <= 14; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[20] = call.args[19];
    w.results[19] = call.args[20];
    writeResultRow(call, call.arg(0), w);
    keepMethod(call, call.args[20]);
    return {};
}

// flag, request, submitted, finished, sample number, seven list values, 21 findings, report date,
// report time, comments. The finished time is kept as the LRA time, where the screen reads it.
ResultSet saveStoolExam(ProcCall &call)
{
    const Value finished = parseDateTimeText(call.arg(3));
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), finished, finished, {}, {}};
    for (int slot = 1; slot <= 28; ++slot)
        w.results[slot] = call.args[static_cast<std::size_t>(slot) + 4];
    w.results[29] = call.args[35];
    w.resultDate = parseDateTimeText(trimmed(call.arg(33) + " " + call.arg(34)));
    writeResultRow(call, call.arg(0), w);
    return {};
}

// The dialog's row: RefRange1 .. RefRange20 as last written; no row when the master has none.
ResultSet getUrinalysisRefRange(ProcCall &call)
{
    ResultSet rs;
    for (int i = 1; i <= 20; ++i)
        rs.columns.push_back("RefRange" + std::to_string(i));
    if (const auto texts = readUrinalysisRanges(call.db)) {
        Row row;
        for (const std::string &text : *texts)
            row.emplace_back(text);
        rs.rows.push_back(std::move(row));
    }
    return rs;
}

ResultSet saveUrinalysisRefRange(ProcCall &call)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < 20; ++i)
        texts.push_back(call.args[i].value_or(std::string()));
    writeUrinalysisRanges(call.db, texts);
    return {};
}

} // namespace

void registerMicroscopyProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Load_UrinalysisValues", 2, 3, false, loadUrinalysisValues});
    r.add({Database::Laboratory, "Lab_Load_FecalysisValues", 2, 3, false, loadFecalysisValues});
    r.add({Database::Laboratory, "Lab_Save_Urinalysis", 36, 36, true, saveUrinalysis});
    r.add({Database::Laboratory, "Lab_Save_Fecalysis", 22, 22, true, saveFecalysis});
    r.add({Database::Laboratory, "Lab_Save_StoolExam", 36, 36, true, saveStoolExam});
    r.add({Database::Laboratory, "sp_GetUrinalysisRefRange", 0, 0, false, getUrinalysisRefRange});
    r.add({Database::Laboratory, "sp_SaveUrinalysisRefRange", 20, 20, true, saveUrinalysisRefRange});
}

namespace {

// The ten counts in the dialog's order: the stored result column each is saved in, and its unit.
struct RangeCount {
    const char *field;
    const char *unit;
};
constexpr std::array<RangeCount, 10> kRangeCounts{{
    {"result8", "/hpf"}, {"result7", "/hpf"}, {"result9", "/hpf"}, {"result11", "/hpf"}, {"result17", "/hpf"},
    {"result27", "/uL"}, {"result28", "/uL"}, {"result29", "/uL"}, {"result30", "/uL"}, {"result31", "/uL"},
}};

const char *sexOfSlot(std::size_t k)
{
    return k % 2 == 0 ? "M" : "F";
}

// Digits with at most one decimal point; its length, 0 when the text does not start with one.
std::size_t numberLength(std::string_view s)
{
    std::size_t i = 0, digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    return digits ? i : 0;
}

// A number that ends the text or is followed by its unit or a word ("2 /hpf", "2 hyaline").
std::optional<std::string> numberAt(std::string_view s)
{
    const std::size_t n = numberLength(s);
    if (!n || (n < s.size() && s[n] != ' ' && s[n] != '/'))
        return std::nullopt;
    return std::string(s.substr(0, n));
}

std::vector<std::string> urinalysisExams(Driver &db)
{
    const ResultSet rs = db.run("SELECT Code, FormType, ValueType FROM " + db.qualify(Database::BuildFile, "tbCoLabExam") +
                                    " ORDER BY Code",
                                {});
    std::vector<std::string> out;
    for (const Row &r : rs.rows) {
        if (helpers::trimmed(helpers::textOf(r[1])) == "H" && helpers::trimmed(helpers::textOf(r[2])) == "U")
            out.push_back(helpers::trimmed(helpers::textOf(r[0])));
    }
    return out;
}

} // namespace

RangeLimits rangeLimitsOf(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    for (const char *sign : {"<=", "\u2264", "<"}) {
        if (startsWith(t, sign))
            return {std::nullopt, numberAt(trimBlanks(t.substr(std::string_view(sign).size())))};
    }
    for (const char *sign : {">=", "\u2265", ">"}) {
        if (startsWith(t, sign))
            return {numberAt(trimBlanks(t.substr(std::string_view(sign).size()))), std::nullopt};
    }
    const std::size_t n = numberLength(t);
    if (!n)
        return {};
    std::string_view rest = trimBlanks(t.substr(n));
    bool separated = false;
    for (const char *separator : {"-", "\u2013", "to "}) {
        if (startsWith(rest, separator)) {
            rest = trimBlanks(rest.substr(std::string_view(separator).size()));
            separated = true;
            break;
        }
    }
    const std::optional<std::string> high = separated ? numberAt(rest) : std::nullopt;
    if (!high)
        return {};
    std::string low(t.substr(0, n));
    // "10-2" is no range the screen could judge by. Read without the locale: digits and a point.
    double from = 0, to = 0;
    std::from_chars(low.data(), low.data() + low.size(), from, std::chars_format::fixed);
    std::from_chars(high->data(), high->data() + high->size(), to, std::chars_format::fixed);
    if (from > to)
        return {};
    return {std::move(low), high};
}

void writeUrinalysisRanges(Driver &db, const std::vector<std::string> &texts)
{
    const std::vector<std::string> exams = urinalysisExams(db);
    if (exams.empty())
        throw DbError("No exam opens the urinalysis screen, so its reference ranges have no exam to be kept with.");
    const std::string master = db.qualify(Database::Laboratory, "tbLabReferenceInterval");
    for (const std::string &exam : exams) {
        for (std::size_t k = 0; k < kRangeCounts.size() * 2 && k < texts.size(); ++k) {
            const RangeCount &count = kRangeCounts[k / 2];
            // Only the all-ages row of the sex: age bands a laboratory added stay as they are.
            db.run("DELETE FROM " + master +
                       " WHERE ExamCode = ? AND Field = ? AND Sex = ? AND AgeFrom = 0 AND AgeUnit = 'Y'",
                   {exam, std::string(count.field), std::string(sexOfSlot(k))});
            if (texts[k].empty())
                continue;
            const RangeLimits limits = rangeLimitsOf(texts[k]);
            db.run("INSERT INTO " + master +
                       " (ExamCode, Field, Sex, AgeFrom, AgeUnit, AgeTo, LowValue, HighValue, Unit, PrintedText) "
                       "VALUES (?, ?, ?, 0, 'Y', NULL, ?, ?, ?, ?)",
                   {exam, std::string(count.field), std::string(sexOfSlot(k)), limits.low, limits.high,
                    std::string(count.unit), texts[k]});
        }
    }
}

std::optional<std::vector<std::string>> readUrinalysisRanges(Driver &db)
{
    const std::string master = db.qualify(Database::Laboratory, "tbLabReferenceInterval");
    for (const std::string &exam : urinalysisExams(db)) {
        const ResultSet rs = db.run("SELECT Field, Sex, LowValue, HighValue, PrintedText FROM " + master +
                                        " WHERE ExamCode = ? AND AgeFrom = 0 AND AgeUnit = 'Y'",
                                    {exam});
        std::vector<std::string> texts(kRangeCounts.size() * 2);
        bool any = false;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const Row *found = nullptr;
            // A row for both sexes stands in for a missing one of the patient's sex.
            for (const char *sex : {sexOfSlot(k), "B"}) {
                for (const Row &r : rs.rows) {
                    if (!found && helpers::trimmed(helpers::textOf(r[0])) == kRangeCounts[k / 2].field &&
                        helpers::trimmed(helpers::textOf(r[1])) == sex)
                        found = &r;
                }
            }
            if (!found)
                continue;
            any = true;
            const std::string printed = helpers::textOf((*found)[4]);
            const std::string low = helpers::trimmed(helpers::textOf((*found)[2]));
            const std::string high = helpers::trimmed(helpers::textOf((*found)[3]));
            // A row written elsewhere with limits only reads as the range it stands for.
            if (!printed.empty())
                texts[k] = printed;
            else if (!low.empty() && !high.empty())
                texts[k] = low + "-" + high;
            else if (!high.empty())
                texts[k] = "<= " + high;
            else if (!low.empty())
                texts[k] = ">= " + low;
        }
        if (any)
            return texts;
    }
    return std::nullopt;
}

} // namespace labdb
