// Sign-off and lookup procedures: who performed and who verified a result, the default
// pathologist, the med-tech and doctor searches, the exam search of the master files, and the
// code lists the search windows show.

#include "labdb/procedures.h"
#include "prochelpers.h"

#include <string>
#include <utility>
#include <vector>

namespace labdb {

namespace {

using namespace helpers;



// "Navarro, Paolo Miguel Cruz": how the sign-off dialog names a med tech.
std::string medTechName(const Value &last, const Value &first, const Value &middle)
{
    if (!last && !first)
        return {};
    std::string out = textOf(last) + ", " + textOf(first);
    if (!textOf(middle).empty())
        out += " " + textOf(middle);
    return out;
}


// One med tech as the sign-off queries return it: code, name, licence.
ResultSet medTechRows(ProcCall &call, const std::string &code, const char *codeColumn)
{
    ResultSet rs;
    rs.columns = {codeColumn, "MedTech", "license"};
    if (code.empty())
        return rs;
    const ResultSet e = call.sql("SELECT EmployeeCode, LastName, FirstName, MiddleName, License FROM " +
                                     call.t(Database::Laboratory, "tbLabEmployee") + " WHERE EmployeeCode = ?",
                                 {code});
    if (e.rows.empty()) // a code nobody knows any more still names the sign-off
        rs.rows.push_back({code, std::string(), std::string()});
    else
        rs.rows.push_back({trimmed(textOf(e.rows[0][0])), medTechName(e.rows[0][1], e.rows[0][2], e.rows[0][3]),
                           e.rows[0][4]});
    return rs;
}

// The signed-in employee, when a med tech still working here.
ResultSet activeMedTech(ProcCall &call, const char *codeColumn)
{
    ResultSet rs;
    rs.columns = {codeColumn, "MedTech", "license"};
    const ResultSet e = call.sql("SELECT EmployeeCode, LastName, FirstName, MiddleName, License FROM " +
                                     call.t(Database::Laboratory, "tbLabEmployee") +
                                     " WHERE EmployeeCode = ? AND IsMedTech <> 0 AND Status = 'A'",
                                 {trimmed(call.arg(0))});
    for (const Row &r : e.rows)
        rs.rows.push_back({trimmed(textOf(r[0])), medTechName(r[1], r[2], r[3]), r[4]});
    return rs;
}

std::string signOffValue(ProcCall &call, const std::string &requestNum, const char *column)
{
    const ResultSet r = call.sql("SELECT " + std::string(column) + " FROM " +
                                     call.t(Database::Laboratory, "tbLabResultMedTech") + " WHERE RequestNum = ?",
                                 {requestNum});
    return r.rows.empty() ? std::string() : trimmed(textOf(r.rows[0][0]));
}

ResultSet getSelectedMedTech(ProcCall &call)
{
    const std::string requestNum = trimmed(call.arg(0));
    return medTechRows(call, signOffValue(call, requestNum, "MedTechID"), "MedTechID");
}

// The sign-off's verifier; a result verified while saving and not yet signed shows who did it.
ResultSet getVerifiedMedTech(ProcCall &call)
{
    const std::string requestNum = trimmed(call.arg(0));
    std::string verifier = signOffValue(call, requestNum, "VerifiedBy");
    if (verifier.empty()) {
        const ResultSet lb = call.sql("SELECT VerifiedBy FROM " + call.t(Database::Laboratory, "tbLabLogbook") +
                                          " WHERE RequestNum = ?",
                                      {requestNum});
        if (!lb.rows.empty())
            verifier = trimmed(textOf(lb.rows[0][0]));
    }
    return medTechRows(call, verifier, "VerifyID");
}

// The pathologist named on the sign-off, else the request's own, else the head of its section.
ResultSet getDefaultPatho(ProcCall &call)
{
    const std::string requestNum = trimmed(call.arg(0));
    ResultSet rs;
    rs.columns = {"SECTIONHEAD"};
    const std::string recorded = signOffValue(call, requestNum, "Pathologist");
    if (!recorded.empty()) {
        rs.rows.push_back({recorded});
        return rs;
    }
    const ResultSet r = call.sql(
        "SELECT d.FirstName, d.MiddleName, d.LastName FROM " + call.t(Database::Laboratory, "tbLabMaster") +
            " m LEFT JOIN " + call.t(Database::BuildFile, "tbCoLabExam") + " e ON e.Code = m.ExamCode LEFT JOIN " +
            call.t(Database::BuildFile, "tbCoLabSection") + " s ON s.SectionID = e.SectionID LEFT JOIN " +
            call.t(Database::BuildFile, "tbCoDoctor") +
            " d ON d.DoctorID = COALESCE(NULLIF(m.PathologistID, ''), s.SectionHead) WHERE m.RequestNum = ?",
        {requestNum});
    for (const Row &row : r.rows) {
        const std::string name = doctorName(textOf(row[0]), textOf(row[1]), textOf(row[2]));
        rs.rows.push_back({name.empty() ? Value() : Value(name)});
    }
    return rs;
}

void requireRequest(ProcCall &call, const std::string &requestNum)
{
    if (requestNum.empty())
        throw DbError("The sign-off needs a request number.");
    call.requireRequest(requestNum);
}

void requireEmployee(ProcCall &call, const std::string &code, const char *role)
{
    if (code.empty())
        throw DbError(std::string("The sign-off names no ") + role + ".");
    if (call.sql("SELECT 1 FROM " + call.t(Database::Laboratory, "tbLabEmployee") + " WHERE EmployeeCode = ?", {code})
            .rows.empty())
        throw DbError("Employee " + code + " (" + role + ") does not exist.");
}

// Writes the sign-off row of a request: columns and values given, stamped by the server clock.
void upsertSignOff(ProcCall &call, const std::string &requestNum,
                   const std::vector<std::pair<std::string, std::string>> &values,
                   const std::vector<std::string> &stamps)
{
    const std::string table = call.t(Database::Laboratory, "tbLabResultMedTech");
    const std::string now = call.db.nowExpr();
    std::string set;
    std::vector<Value> params;
    for (const auto &[column, value] : values) {
        set += (set.empty() ? "" : ", ") + column + " = ?";
        params.emplace_back(value);
    }
    for (const std::string &column : stamps)
        set += ", " + column + " = " + now;
    params.emplace_back(requestNum);
    if (call.sql("UPDATE " + table + " SET " + set + " WHERE RequestNum = ?", params).rowsAffected > 0)
        return;

    std::string columns = "RequestNum";
    std::string marks = "?";
    std::vector<Value> insertParams{requestNum};
    for (const auto &[column, value] : values) {
        columns += ", " + column;
        marks += ", ?";
        insertParams.emplace_back(value);
    }
    for (const std::string &column : stamps) {
        columns += ", " + column;
        marks += ", " + now;
    }
    call.sql("INSERT INTO " + table + " (" + columns + ") VALUES (" + marks + ")", insertParams);
}

// Arguments: request, performing med tech, pathologist text.
ResultSet updateMedTech(ProcCall &call)
{
    const std::string requestNum = trimmed(call.arg(0));
    const std::string medTech = trimmed(call.arg(1));
    requireRequest(call, requestNum);
    requireEmployee(call, medTech, "med tech");
    upsertSignOff(call, requestNum, {{"MedTechID", medTech}, {"Pathologist", trimmed(call.arg(2))}}, {"MedTechAt"});
    return ResultSet{{}, {}, 1};
}

// Arguments: request, performing med tech, verifier, pathologist text. The logbook row, when the
// result has one, carries the verifier too: some screens verify only through the sign-off.
ResultSet updateVerified(ProcCall &call)
{
    const std::string requestNum = trimmed(call.arg(0));
    const std::string medTech = trimmed(call.arg(1));
    const std::string verifier = trimmed(call.arg(2));
    requireRequest(call, requestNum);
    requireEmployee(call, medTech, "med tech");
    requireEmployee(call, verifier, "verifier");
    upsertSignOff(call, requestNum,
                  {{"MedTechID", medTech}, {"VerifiedBy", verifier}, {"Pathologist", trimmed(call.arg(3))}},
                  {"MedTechAt", "VerifiedAt"});
    call.sql("UPDATE " + call.t(Database::Laboratory, "tbLabLogbook") + " SET VerifiedBy = ?, VerifiedAt = " +
                 call.db.nowExpr() + " WHERE RequestNum = ?",
             {verifier, requestNum});
    return ResultSet{{}, {}, 1};
}

// Active med techs whose last name starts with the text.
ResultSet searchMedTech(ProcCall &call)
{
    ResultSet rs = call.sql("SELECT EmployeeCode, LastName, FirstName, MiddleName, License FROM " +
                                call.t(Database::Laboratory, "tbLabEmployee") +
                                " WHERE IsMedTech <> 0 AND Status = 'A' AND LastName LIKE ?"
                                " ORDER BY LastName, FirstName, EmployeeCode",
                            {trimmed(call.arg(0)) + "%"});
    rs.columns = {"EmployeeID", "LastName", "FirstName", "MiddleName", "License"};
    return rs;
}

constexpr const char *kPathologistSpecialization = "84";

// Mode '2' searches pathologists only, any other mode every doctor. The text matches the start
// of the last or first name, or the whole code.
ResultSet searchDoctor(ProcCall &call)
{
    const bool pathologists = trimmed(call.arg(0)) == "2";
    const std::string text = trimmed(call.arg(1));
    std::string sql = "SELECT d.DoctorID, COALESCE(sp.Specialization, d.specializationid), d.LastName, d.FirstName, "
                      "d.MiddleName FROM " +
                      call.t(Database::BuildFile, "tbCoDoctor") + " d LEFT JOIN " +
                      call.t(Database::BuildFile, "tbCoSpecialization") +
                      " sp ON sp.SpecializationID = d.specializationid"
                      " WHERE (d.LastName LIKE ? OR d.FirstName LIKE ? OR d.DoctorID = ?)";
    std::vector<Value> params{text + "%", text + "%", text};
    if (pathologists) {
        sql += " AND d.specializationid = ?";
        params.emplace_back(kPathologistSpecialization);
    }
    ResultSet rs = call.sql(sql + " ORDER BY d.LastName, d.FirstName, d.DoctorID", params);
    rs.columns = {"DoctorID", "Specialization", "LastName", "FirstName", "MiddleName"};
    return rs;
}

const std::vector<std::string> kExamColumns{"LabExamID", "LabExam",    "SectionID", "LabSection",
                                            "SpecimenID", "Specimen", "FormType",  "ValueType"};

std::string examSelect(ProcCall &call)
{
    return "SELECT e.Code, e.ExamName, e.SectionID, COALESCE(s.LabSection, ''), e.SpecimenID, "
           "COALESCE(sp.Specimen, ''), e.FormType, e.ValueType FROM " +
           call.t(Database::BuildFile, "tbCoLabExam") + " e LEFT JOIN " +
           call.t(Database::BuildFile, "tbCoLabSection") + " s ON s.SectionID = e.SectionID LEFT JOIN " +
           call.t(Database::BuildFile, "tbCoLabSpecimen") + " sp ON sp.SpecimenID = e.SpecimenID";
}

// Mode '2': the exam with this code; any other mode: active exams whose code or name holds the text.
ResultSet globalSearchLabExam(ProcCall &call)
{
    const std::string text = trimmed(call.arg(0));
    ResultSet rs = trimmed(call.arg(1)) == "2"
                       ? call.sql(examSelect(call) + " WHERE e.Code = ?", {text})
                       : call.sql(examSelect(call) + " WHERE e.Status = 'A' AND (e.Code = ? OR e.ExamName LIKE ?)"
                                                     " ORDER BY e.ExamName",
                                  {text, "%" + text + "%"});
    rs.columns = kExamColumns;
    return rs;
}

// The lists of the code-search window, by list kind. The second argument narrows a list: a
// section for exams and remarks, an exam for specimens, reagents and the exam-bound lists
// (normal values, age groups, result codes, interpretations), a specialization for doctors
// ("A" or empty: all). Every field is text; the window returns them by these names.
ResultSet searchCodeList(ProcCall &call)
{
    const std::string kindText = trimmed(call.arg(0));
    const std::string narrow = trimmed(call.arg(1));
    int kind = -1;
    try {
        kind = std::stoi(kindText);
    } catch (const std::exception &) {
    }
    const auto lab = [&](const char *table) { return call.t(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return call.t(Database::BuildFile, table); };
    // An empty narrowing text leaves the list whole.
    const auto where = [&](const std::string &condition) { return narrow.empty() ? std::string() : condition; };
    const std::vector<Value> narrowed = narrow.empty() ? std::vector<Value>{} : std::vector<Value>{narrow};

    ResultSet rs;
    switch (kind) {
    case 1:
        rs = call.sql(examSelect(call) + " WHERE e.Status = 'A'" + where(" AND e.SectionID = ?") +
                          " ORDER BY e.ExamName",
                      narrowed);
        rs.columns = kExamColumns;
        break;
    case 2:
        rs = call.sql("SELECT SpecimenID, Specimen FROM " + build("tbCoLabSpecimen") + " ORDER BY Specimen");
        rs.columns = {"SpecimenID", "Specimen"};
        break;
    case 3:
        rs = call.sql("SELECT CompanyID, Company, Address FROM " + build("tbCoCompany") +
                      " WHERE Status = 'A' ORDER BY Company");
        rs.columns = {"CompanyID", "Company", "Address"};
        break;
    case 5:
        // Every exam on its usual specimen, and on the others it accepts.
        rs = call.sql("SELECT e.Code, e.ExamName, sp.SpecimenID, sp.Specimen, e.ExamName || ' - ' || sp.Specimen"
                      " FROM " +
                          build("tbCoLabExam") + " e JOIN (SELECT Code AS LabExamID, SpecimenID FROM " +
                          build("tbCoLabExam") + " UNION SELECT LabExamID, SpecimenID FROM " +
                          build("tbCoLabExamSpecimen") + ") x ON x.LabExamID = e.Code JOIN " +
                          build("tbCoLabSpecimen") + " sp ON sp.SpecimenID = x.SpecimenID"
                          " WHERE e.Status = 'A'" + where(" AND e.Code = ?") + " ORDER BY e.ExamName, sp.Specimen",
                      narrowed);
        rs.columns = {"LabExamID", "LabExam", "SpecimenID", "Specimen", "ExamSpecimen"};
        break;
    case 6: {
        const bool all = narrow.empty() || narrow == "A";
        const ResultSet d = call.sql(
            "SELECT d.DoctorID, d.FirstName, d.MiddleName, d.LastName,"
            " COALESCE(sp.Specialization, d.specializationid) FROM " +
                build("tbCoDoctor") + " d LEFT JOIN " + build("tbCoSpecialization") +
                " sp ON sp.SpecializationID = d.specializationid" + (all ? "" : " WHERE d.specializationid = ?") +
                " ORDER BY d.LastName, d.FirstName",
            all ? std::vector<Value>{} : narrowed);
        rs.columns = {"DoctorID", "Doctor", "LastName", "FirstName", "MiddleName", "Specialization"};
        for (const Row &r : d.rows)
            rs.rows.push_back({r[0], doctorName(textOf(r[1]), textOf(r[2]), textOf(r[3])), r[3], r[1], r[2], r[4]});
        break;
    }
    case 7:
        rs = call.sql("SELECT RemarkID, Description, SectionID FROM " + lab("tbLabRemarks") +
                          where(" WHERE SectionID = '' OR SectionID = ?") + " ORDER BY RemarkID",
                      narrowed);
        rs.columns = {"RemarkID", "Description", "SectionID"};
        break;
    case 8:
        rs = call.sql("SELECT r.ReagentCode, r.Reagent FROM " + build("TbCoLabReagents") + " r" +
                          where(" WHERE EXISTS (SELECT 1 FROM " + build("tbcoLabExamReagent") +
                                " x WHERE x.ReagentID = r.ReagentCode AND x.LabExamID = ?)") +
                          " ORDER BY r.Reagent",
                      narrowed);
        rs.columns = {"ReagentCode", "Reagent"};
        break;
    case 9:
        rs = call.sql("SELECT n.ExamCode, n.ReagentCode, COALESCE(r.Reagent, n.ReagentCode), n.sNValue, n.sMinValue, "
                      "n.sMaxValue, n.sUnit, n.CNValue, n.CMinValue, n.CMaxValue, n.CUnit FROM " +
                          lab("tbLabReagentNValue") + " n LEFT JOIN " +
                          build("TbCoLabReagents") + " r ON r.ReagentCode = n.ReagentCode"
                          " WHERE n.ExamCode = ? ORDER BY n.ReagentCode",
                      {narrow});
        rs.columns = {"ExamCode", "ReagentCode", "Reagent", "sNValue", "sMin", "sMax",
                      "sUnit",    "CNValue",     "CMin",    "CMax",    "CUnit"};
        break;
    case 10:
        rs = call.sql("SELECT ExamCode, BandNo, Age, RangeValue, MinValue, MaxValue, Unit, CRangeValue, CMinValue, "
                      "CMaxValue, ConversionUnit, ConversionFactor FROM " + lab("tbLabAgeBand") +
                          " WHERE ExamCode = ? ORDER BY BandNo",
                      {narrow});
        rs.columns = {"ExamCode",    "BandNo",    "Age",       "RangeValue",     "MinValue",        "MaxValue",
                      "Unit",        "CRangeValue", "CMinValue", "CMaxValue", "ConversionUnit", "ConversionFactor"};
        break;
    case 27:
        rs = call.sql("SELECT ExamCode, code, Description FROM " + lab("tbLabResultCode") +
                          " WHERE ExamCode = ? ORDER BY SortOrder, code",
                      {narrow});
        rs.columns = {"ExamCode", "code", "Description"};
        break;
    case 28:
        rs = call.sql("SELECT ExamCode, InterpretationID, Interpretation FROM " + lab("tbLabInterpretation") +
                          " WHERE ExamCode = ? ORDER BY SortOrder, InterpretationID",
                      {narrow});
        rs.columns = {"ExamCode", "InterpretationID", "Interpretation"};
        break;
    default:
        throw DbError("There is no code list of kind '" + kindText + "'.");
    }
    return rs;
}

} // namespace

void registerSignOffProcedures(ProcedureRegistry &r)
{
    r.add({Database::Laboratory, "Lab_GetSelectedMedtech", 1, 1, false, &getSelectedMedTech});
    r.add({Database::Laboratory, "Lab_GetSelectedMedtech_New", 1, 1, false,
           [](ProcCall &call) { return activeMedTech(call, "MedTechID"); }});
    r.add({Database::Laboratory, "Lab_GetVerifiedMedtech", 1, 1, false, &getVerifiedMedTech});
    // Returns the code as MedTechID, like its sibling; the dialog takes it as the verifier's.
    r.add({Database::Laboratory, "Lab_GetVerifiedMedtech_new", 1, 1, false,
           [](ProcCall &call) { return activeMedTech(call, "MedTechID"); }});
    r.add({Database::Laboratory, "Lab_GetDefaultPatho", 1, 1, false, &getDefaultPatho});
    r.add({Database::Laboratory, "Lab_UpdateMedTech", 3, 3, true, &updateMedTech});
    r.add({Database::Laboratory, "Lab_UpdateVerified", 4, 4, true, &updateVerified});
    r.add({Database::Laboratory, "Lab_SearchMedTech", 1, 1, false, &searchMedTech});
    r.add({Database::Laboratory, "Lab_SearchDoctor", 2, 2, false, &searchDoctor});
    r.add({Database::Laboratory, "Lab_SearchCodeList", 2, 2, false, &searchCodeList});
    r.add({Database::BuildFile, "global_SearchLABExam", 2, 2, false, &globalSearchLabExam});
}

} // namespace labdb
