// Blood bank and immunology: the crossmatch in the shared result row with its pick lists, the
// receptor studies (estrogen/progesterone, c-erbB-2) and the ANA panel.

#include "labdb/procedures.h"
#include "labdb/session.h"
#include "prochelpers.h"
#include "resultrow.h"

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;

constexpr const char *kAnaColumns[] = {"NSubstrate", "NResult", "NPattern", "NTiter", "DSubstrate",
                                       "DResult",    "DTiter",  "Sci70Result", "JO1Result", "SSAResult",
                                       "SSBResult",  "SmResult", "RNPResult", "Others", "LEPrep"};

// One row per request in a table of its own: inserted on the first save, replaced after. These
// saves carry no first-save flag, so the row decides.
void saveOwnRow(ProcCall &call, const std::string &table, const std::string &requestNum,
                const std::vector<std::pair<std::string, Value>> &columns)
{
    call.savesResultOf(requestNum);
    std::vector<Value> values;
    if (call.sql("SELECT 1 FROM " + table + " WHERE RequestNum = ?", {requestNum}).rows.empty()) {
        std::string names = "RequestNum";
        std::string marks = "?";
        values.push_back(requestNum);
        for (const auto &[name, value] : columns) {
            names += ", " + name;
            marks += ", ?";
            values.push_back(value);
        }
        call.sql("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", values);
        return;
    }
    std::string set;
    for (const auto &[name, value] : columns) {
        set += (set.empty() ? "" : ", ") + name + " = ?";
        values.push_back(value);
    }
    values.push_back(requestNum);
    call.sql("UPDATE " + table + " SET " + set + " WHERE RequestNum = ?", values);
}

// The request's row with its columns named as the screens know them, on every backend.
ResultSet selectNamed(ProcCall &call, const char *table, const std::vector<std::string> &names)
{
    std::string columns;
    for (const std::string &name : names)
        columns += (columns.empty() ? "" : ", ") + name;
    ResultSet rs = call.sql("SELECT " + columns + " FROM " + call.t(Database::Laboratory, table) +
                                " WHERE RequestNum = ?",
                            {keyArg(call, 0)});
    rs.columns = names;
    return rs;
}

ResultSet loadCrossmatchingValues(ProcCall &call)
{
    return loadListValues(call, "Crossmatching");
}

// flag, request, submitted, LRA, sample number, then 31 values. Arguments 6 to 24 go to result1 ..
// result19 and 25 to 27 to result21 .. result23, so that the loader reads them by position; the
// crossmatch result goes to result20, where the screen reads it by name, as it does the phases,
// the reaction, the component and the remarks. The method and the repeated blood type are not
// read back: the screen shows the request's.
ResultSet saveCrossmatching(ProcCall &call)
{
    ResultRowWrite w{keyArg(call, 1), call.args[4], parseDateTimeText(call.arg(2)), parseDateTimeText(call.arg(3)),
                     parseDateTimeText(call.arg(33)), {}, {}};
    for (int arg = 6; arg <= 24; ++arg)
        w.results[arg - 5] = call.args[static_cast<std::size_t>(arg) - 1];
    for (int arg = 25; arg <= 27; ++arg)
        w.results[arg - 4] = call.args[static_cast<std::size_t>(arg) - 1];
    w.results[24] = call.args[27];
    w.results[25] = call.args[28];
    w.results[26] = call.args[29];
    w.results[20] = call.args[30];
    w.results[27] = call.args[34];
    w.results[28] = call.args[35];
    writeResultRow(call, call.arg(0), w);
    return {};
}

// "1|0" check-box groups as the words of their boxes, for the printed crossmatch.
std::string checkedWords(const Value &stored, const std::vector<const char *> &words)
{
    const std::string text = stored.value_or(std::string());
    std::string out;
    std::size_t start = 0;
    for (const char *word : words) {
        const std::size_t bar = text.find('|', start);
        const std::string part = trimmed(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (!part.empty() && part != "0")
            out += (out.empty() ? "" : ", ") + std::string(word);
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return out;
}

// The report's view of a stored crossmatch: the check-box groups in words.
ResultSet reportCrossmatching(ProcCall &call)
{
    const ResultSet row = call.sql("SELECT result1, result2, result25, Result26 FROM " +
                                       call.t(Database::Laboratory, "tbLabResult") + " WHERE RequestNum = ?",
                                   {keyArg(call, 0)});
    ResultSet rs;
    rs.columns = {"PreviousTransfusion", "PreviousReaction", "Phases", "Reaction"};
    if (row.rows.empty())
        return rs;
    const Row &r = row.rows[0];
    rs.rows.push_back({checkedWords(r[0], {"Yes", "No"}), checkedWords(r[1], {"Yes", "No"}),
                       checkedWords(r[2], {"Saline", "Protein", "Antihuman"}), checkedWords(r[3], {"Yes", "No"})});
    return rs;
}

// The hospital's name and address for the layouts whose screens pass only the request number
// (which the layouts hand over as they do to every table; it is not needed).
ResultSet reportHospital(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT Title, address1 FROM " + call.t(Database::PatientData, "tbHospitalInfo"));
    rs.columns = {"Title", "Address"};
    return rs;
}

// The printed receptor table: per antibody the stored extent and intensity with the scores the
// screen shows beside them (extent score by the share of cells stained, total = extent + intensity).
ResultSet reportReceptorScores(ProcCall &call)
{
    ResultSet rs;
    rs.columns = {"Antibody", "Extent", "ExtentScore", "Intensity", "IntensityWord", "Total", "Interpretation"};
    const ResultSet row = call.sql("SELECT Result1, Result2, Result3, Result4, Result5, Result6 FROM " +
                                       call.t(Database::Laboratory, "tbLabReceptorResult") + " WHERE RequestNum = ?",
                                   {keyArg(call, 0)});
    if (row.rows.empty())
        return rs;
    const auto text = [&](std::size_t i) { return trimmed(textOf(row.rows[0][i])); };
    const auto extentScore = [](const std::string &extent) -> std::string {
        if (extent == "NO STAINING")
            return "0";
        char *end = nullptr;
        const double v = std::strtod(extent.c_str(), &end);
        if (extent.empty() || *end != '\0')
            return "";
        return v < 1 ? "1" : v <= 10 ? "2" : v >= 11 && v <= 33 ? "3" : v >= 34 && v <= 66 ? "4" : v >= 67 && v <= 100 ? "5" : "";
    };
    static const char *const words[] = {"NO STAINING", "WEAK", "MODERATE", "STRONG"};
    const char *const names[] = {"Estrogen (ID5)", "Progesterone (2C5)"};
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string extent = text(2 + k);
        const std::string intensity = text(4 + k);
        const std::string score = extentScore(extent);
        const bool known = intensity.size() == 1 && intensity[0] >= '0' && intensity[0] <= '3';
        const std::string total = score.empty() || !known ? "" : std::to_string(std::stoi(score) + (intensity[0] - '0'));
        rs.rows.push_back({std::string(names[k]), extent, score, intensity,
                           known ? std::string(words[intensity[0] - '0']) : std::string(), total, text(k)});
    }
    return rs;
}

ResultSet getReceptorResult(ProcCall &call)
{
    std::vector<std::string> names{"SampleNum", "DateReported", "Submitted", "LRALogbook", "Specimen"};
    for (int i = 1; i <= 9; ++i)
        names.push_back("Result" + std::to_string(i));
    names.push_back("Pathologist");
    return selectNamed(call, "tbLabReceptorResult", names);
}

// request, case number, submitted, finished, reported, LRA, specimen, nine results, pathologist.
ResultSet saveReceptorResult(ProcCall &call)
{
    const std::string requestNum = keyArg(call, 0);
    const Value finished = parseDateTimeText(call.arg(3));
    std::vector<std::pair<std::string, Value>> columns{
        {"SampleNum", call.args[1].value_or(std::string())},
        {"Submitted", parseDateTimeText(call.arg(2))},
        {"DateFinished", finished},
        {"DateReported", parseDateTimeText(call.arg(4))},
        {"LRALogbook", parseDateTimeText(call.arg(5))},
        {"Specimen", call.args[6].value_or(std::string())}};
    for (std::size_t i = 1; i <= 9; ++i)
        columns.emplace_back("Result" + std::to_string(i), call.args[6 + i].value_or(std::string()));
    columns.emplace_back("Pathologist", call.args[16].value_or(std::string()));
    columns.emplace_back("EmployeeCode", call.session.auditUser());
    saveOwnRow(call, call.t(Database::Laboratory, "tbLabReceptorResult"), requestNum, columns);
    // The screens show the finished time of the result header, so a later save moves it there.
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET DateFinished = ? WHERE RequestNum = ?",
             {finished, requestNum});
    return {};
}

ResultSet getAnaPanel(ProcCall &call)
{
    return selectNamed(call, "tbLabANAPanel", std::vector<std::string>(std::begin(kAnaColumns), std::end(kAnaColumns)));
}

// request, then the fifteen results in the table's order.
ResultSet saveAnaPanel(ProcCall &call)
{
    std::vector<std::pair<std::string, Value>> columns;
    std::size_t arg = 1;
    for (const char *c : kAnaColumns)
        columns.emplace_back(c, call.args[arg++].value_or(std::string()));
    columns.emplace_back("EmployeeCode", call.session.auditUser());
    saveOwnRow(call, call.t(Database::Laboratory, "tbLabANAPanel"), keyArg(call, 0), columns);
    return {};
}

} // namespace

void registerBloodBankProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_Load_CrossmatchingValues", 2, 3, false, loadCrossmatchingValues});
    r.add({Database::Laboratory, "Lab_Save_Crossmatching", 36, 36, true, saveCrossmatching});
    r.add({Database::Laboratory, "Lab_Report_Crossmatching", 1, 1, false, reportCrossmatching});
    r.add({Database::Laboratory, "Lab_Report_Hospital", 0, 1, false, reportHospital});
    r.add({Database::Laboratory, "Lab_Report_ReceptorScores", 1, 1, false, reportReceptorScores});
    r.add({Database::Laboratory, "Lab_GetResultHistopath", 1, 1, false, getReceptorResult});
    r.add({Database::Laboratory, "LAB_Save_ResultHistopath", 17, 17, true, saveReceptorResult});
    r.add({Database::Laboratory, "Lab_GetResultANAPanel", 1, 1, false, getAnaPanel});
    r.add({Database::Laboratory, "LAB_Save_ANAPanel", 16, 16, true, saveAnaPanel});
}

} // namespace labdb
