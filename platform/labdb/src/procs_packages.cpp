// Executive and panel packages: the package's tests, the stored rows of its grid and its blood
// count, urinalysis and stool pages.

#include "packages_parts.h"
#include "prochelpers.h"

#include <string>

namespace labdb {

namespace {

using namespace helpers;

// The columns of a stored page, without the request number, in the order of its save arguments.
std::vector<std::string> pageColumns(const char *table)
{
    for (const TableDef &t : packagesTables()) {
        if (t.name == table) {
            std::vector<std::string> names;
            for (std::size_t i = 1; i < t.columns.size(); ++i)
                names.push_back(t.columns[i].name);
            return names;
        }
    }
    throw DbError(std::string("No package page ") + table + ".");
}

// request, then the page's first fields in column order: saved over whatever the request had.
ResultSet savePage(ProcCall &call, const char *table)
{
    const std::vector<std::string> all = pageColumns(table);
    const std::size_t fields = call.count() - 1;
    const std::string t = call.t(Database::Laboratory, table);
    const std::string request = keyArg(call, 0);
    call.savesResultOf(request);
    std::vector<Value> values;
    for (std::size_t i = 0; i < fields; ++i)
        values.push_back(call.args[i + 1].value_or(std::string()));
    if (call.sql("SELECT 1 FROM " + t + " WHERE RequestNum = ?", {request}).rows.empty()) {
        std::string names = "RequestNum";
        std::string marks = "?";
        for (std::size_t i = 0; i < fields; ++i) {
            names += ", " + all[i];
            marks += ", ?";
        }
        values.insert(values.begin(), request);
        call.sql("INSERT INTO " + t + " (" + names + ") VALUES (" + marks + ")", values);
    } else {
        std::string sets;
        for (std::size_t i = 0; i < fields; ++i)
            sets += (i ? ", " : "") + all[i] + " = ?";
        values.push_back(request);
        call.sql("UPDATE " + t + " SET " + sets + " WHERE RequestNum = ?", values);
    }
    return {};
}

ResultSet loadPage(ProcCall &call, const char *table)
{
    std::string names;
    for (const std::string &c : pageColumns(table))
        names += (names.empty() ? "" : ", ") + c;
    ResultSet rs = call.sql("SELECT " + names + " FROM " + call.t(Database::Laboratory, table) + " WHERE RequestNum = ?",
                            {keyArg(call, 0)});
    rs.columns = pageColumns(table);
    return rs;
}

// The twelve grid columns: item, package, test, then what each screen shows and edits.
const std::vector<std::string> kExecutiveGrid{"ItemCode", "PackageCode", "Test",    "LineNo", "Specimen", "Method",
                                              "Normal Values", "Unit", "Section", "Result", "Flag", "Remarks"};
const std::vector<std::string> kPanelGrid{"ItemCode", "PackageCode", "Test",          "LineNo",  "Flag",     "Remarks",
                                          "Result",   "Unit",        "Normal Values", "Method",  "Specimen", "Section"};

std::string executiveSelect(const std::string &result)
{
    return "SELECT p.ItemCode, p.PackageCode, p.TestName, p.LineNo, p.Specimen, p.Method, p.NormalValues, p.Unit, "
           "p.SectionName, " + result;
}

ResultSet searchExecutivePanel(ProcCall &call)
{
    ResultSet rs = call.sql(executiveSelect("'', '', ''") + " FROM " + call.t(Database::BuildFile, "tbCoLabPackageTest") +
                                " p WHERE p.PackageCode = ? ORDER BY p.LineNo",
                            {keyArg(call, 0)});
    rs.columns = kExecutiveGrid;
    return rs;
}

ResultSet searchOtherPanel(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT p.ItemCode, p.PackageCode, p.TestName, p.LineNo, '', '', '', p.Unit, p.NormalValues, "
                            "p.Method, p.Specimen, p.SectionName FROM " +
                                call.t(Database::BuildFile, "tbCoLabPackageTest") +
                                " p WHERE p.PackageCode = ? ORDER BY p.LineNo",
                            {keyArg(call, 0)});
    rs.columns = kPanelGrid;
    return rs;
}

// request, package: the stored rows with what the package says of each test; a row whose test
// the package no longer lists keeps its place after the others.
ResultSet getResultExecutivePanel(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT r.ItemCode, r.PackageCode, COALESCE(p.TestName, r.ItemCode), "
                            "COALESCE(p.LineNo, 9999), COALESCE(p.Specimen, ''), COALESCE(p.Method, ''), "
                            "COALESCE(p.NormalValues, ''), COALESCE(p.Unit, ''), COALESCE(p.SectionName, ''), "
                            "r.Result, r.Flag, r.Remarks FROM " +
                                call.t(Database::Laboratory, "tbLABResultExecutivePanel") + " r LEFT JOIN " +
                                call.t(Database::BuildFile, "tbCoLabPackageTest") +
                                " p ON p.PackageCode = r.PackageCode AND p.ItemCode = r.ItemCode"
                                " WHERE r.RequestNum = ? ORDER BY 4, 1",
                            {keyArg(call, 0)});
    rs.columns = kExecutiveGrid;
    return rs;
}

ResultSet getResultOtherPanel(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT r.ItemCode, r.PackageCode, COALESCE(p.TestName, r.ItemCode), "
                            "COALESCE(p.LineNo, 9999), '', '', r.Result, COALESCE(p.Unit, ''), "
                            "COALESCE(p.NormalValues, ''), COALESCE(p.Method, ''), COALESCE(p.Specimen, ''), "
                            "COALESCE(p.SectionName, '') FROM " +
                                call.t(Database::Laboratory, "tbLABResultOtherPanel") + " r LEFT JOIN " +
                                call.t(Database::BuildFile, "tbCoLabPackageTest") +
                                " p ON p.PackageCode = r.PackageCode AND p.ItemCode = r.ItemCode"
                                " WHERE r.RequestNum = ? ORDER BY 4, 1",
                            {keyArg(call, 0)});
    rs.columns = kPanelGrid;
    return rs;
}

// request, item, package, result, flag, remarks.
ResultSet saveResultExecutivePanel(ProcCall &call)
{
    call.savesResultOf(keyArg(call, 0));
    call.sql("INSERT INTO " + call.t(Database::Laboratory, "tbLABResultExecutivePanel") +
                 " (RequestNum, ItemCode, PackageCode, Result, Flag, Remarks) VALUES (?, ?, ?, ?, ?, ?)",
             {keyArg(call, 0), keyArg(call, 1), keyArg(call, 2), call.args[3].value_or(std::string()),
              call.args[4].value_or(std::string()), call.args[5].value_or(std::string())});
    return {};
}

// request, item, package, result.
ResultSet saveResultOtherPanel(ProcCall &call)
{
    call.savesResultOf(keyArg(call, 0));
    call.sql("INSERT INTO " + call.t(Database::Laboratory, "tbLABResultOtherPanel") +
                 " (RequestNum, ItemCode, PackageCode, Result) VALUES (?, ?, ?, ?)",
             {keyArg(call, 0), keyArg(call, 1), keyArg(call, 2), call.args[3].value_or(std::string())});
    return {};
}

} // namespace

void registerPackagesProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "sp_Search_ExecutivePanel", 1, 1, false, searchExecutivePanel});
    r.add({Database::Laboratory, "sp_Search_OtherPanel", 1, 1, false, searchOtherPanel});
    r.add({Database::Laboratory, "Lab_GetResultExecutivePanel", 2, 2, false, getResultExecutivePanel});
    r.add({Database::Laboratory, "Lab_GetResultOtherPanel", 2, 2, false, getResultOtherPanel});
    r.add({Database::Laboratory, "Lab_GetResultExecutiveCBC", 1, 1, false,
           [](ProcCall &c) { return loadPage(c, "tbLabResultExecutiveCBC"); }});
    r.add({Database::Laboratory, "Lab_GetResultExecutiveUrine", 1, 1, false,
           [](ProcCall &c) { return loadPage(c, "tbLabResultExecutiveUrine"); }});
    r.add({Database::Laboratory, "Lab_GetResultExecutiveStool", 1, 1, false,
           [](ProcCall &c) { return loadPage(c, "tbLabResultExecutiveStool"); }});
    r.add({Database::Laboratory, "LAB_Save_ResultExecutivePanel", 6, 6, true, saveResultExecutivePanel});
    r.add({Database::Laboratory, "LAB_Save_ResultOtherPanel", 4, 4, true, saveResultOtherPanel});
    r.add({Database::Laboratory, "Lab_Save_ResultExecutiveCBC", 17, 17, true,
           [](ProcCall &c) { return savePage(c, "tbLabResultExecutiveCBC"); }});
    r.add({Database::Laboratory, "Lab_Save_ResultPanelCBC", 22, 22, true,
           [](ProcCall &c) { return savePage(c, "tbLabResultExecutiveCBC"); }});
    r.add({Database::Laboratory, "LAB_Save_ResultExecutiveUrine", 22, 22, true,
           [](ProcCall &c) { return savePage(c, "tbLabResultExecutiveUrine"); }});
    r.add({Database::Laboratory, "LAB_Save_ResultExecutiveStool", 16, 16, true,
           [](ProcCall &c) { return savePage(c, "tbLabResultExecutiveStool"); }});
}

} // namespace labdb
