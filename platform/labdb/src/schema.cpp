// The schema of the four databases as a list of upgrade steps: step N brings a database from
// version N-1 to N. Each step runs in its own transaction and re-reads the version under a lock
// first, so two workstations upgrading the same database at once do the work only once.

#include "labdb/schema.h"

#include "bloodbank_parts.h"
#include "examsets_parts.h"
#include "fluids_parts.h"
#include "packages_parts.h"
#include "columns.h"
#include "schema_parts.h"
#include "pathology_parts.h"
#include "microbiology_parts.h"
#include "microscopy_parts.h"
#include "stains_parts.h"
#include "interpretation_parts.h"
#include "serology_parts.h"
#include "clinical_parts.h"
#include "delta_parts.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace labdb {

namespace {

using namespace columns;

constexpr const char *kVersionTable = "tbSchemaVersion";

TableDef versionTable()
{
    return {Database::Laboratory, kVersionTable, {integerNN("Version")}, {}};
}

std::vector<TableDef> laboratoryTables()
{
    std::vector<TableDef> t;

    // One row per request whose result was entered; written on the first save.
    t.push_back({Database::Laboratory,
                 "tbLabLogbook",
                 {key("RequestNum"),
                  textNN("ExamID"),       // second argument of the logbook insert, always sent empty
                  textNN("EmployeeCode"), // who saved first
                  dateTime("samplesubmitted"),
                  dateTime("DateFinished"), // pathology screens send the LRA time here
                  textNN("AccessionNum"),   // sample, histopathology or cytology number
                  text("ReaderID"),         // seventh value of the pathology screens; Null from Pap smears
                  dateTime("lratime"),
                  dateTime("ResultDate"),
                  integerNN("EntryMode"),
                  textNN("Remarks"),
                  textNN("Method"),
                  text("InstrumentID"),
                  text("MethodAgeValue"),
                  text("VerifiedBy"),
                  dateTime("VerifiedAt"),
                  text("LastEditBy"),
                  dateTime("LastEditAt"),
                  dateTime("LoggedAt")},
                 {"RequestNum"}});

    // The laboratory requests: one exam of one patient visit.
    t.push_back({Database::Laboratory,
                 "tbLabMaster",
                 {key("RequestNum"),
                  textNN("HospNum"),
                  textNN("IDNum"),
                  textNN("ExamCode"),
                  textNN("SpecimenID"), // empty: the exam's usual specimen
                  textNN("DoctorID"),   // requesting doctor
                  textNN("Rush"),
                  textNN("RefNum"), // charge reference number
                  textNN("ORNum"),  // official receipt of walk-in patients
                  textNN("Transplant"),
                  textNN("Dialysis"),
                  textNN("ReaderID"),
                  textNN("PhysicianID"),
                  textNN("ResidentID"),
                  textNN("PathologistID"), // empty: the head of the exam's section
                  textNN("SupExamID"),     // package the exam was ordered in
                  textNN("PatientType"),   // empty: the admission's type
                  textNN("Method"),
                  textNN("BloodType"),
                  textNN("Status"),
                  dateTime("RequestDate"),
                  dateTime("DateFinished"),
                  text("SendOuts")}, // "Y"/"N"; Null reads as "N"
                 {"RequestNum"}});

    // Generic result row of the screens whose loader reads results by position: column i holds
    // result<i>, so the save procedures route each argument to the slot its screen reads back.
    {
        TableDef r{Database::Laboratory, "tbLabResult", {key("RequestNum")}, {"RequestNum"}};
        for (int i = 1; i <= 40; ++i)
            r.columns.push_back(text("result" + std::to_string(i)));
        for (ColumnDef c : {textNN("AccessionNum"), dateTime("ResultDate"), dateTime("samplesubmitted"),
                            dateTime("lratime"), dateTime("DateFinished"), textNN("EmployeeCode")})
            r.columns.push_back(std::move(c));
        t.push_back(std::move(r));
    }

    // Sign-off of a request: performing med tech, verifier, pathologist and the paper chosen.
    t.push_back({Database::Laboratory,
                 "tbLabResultMedTech",
                 {key("RequestNum"),
                  textNN("MedTechID"),
                  dateTime("MedTechAt"),
                  textNN("VerifiedBy"),
                  dateTime("VerifiedAt"),
                  textNN("PathologistID"),
                  textNN("Pathologist"), // the display text the dialog sends
                  textNN("PaperSize")},
                 {"RequestNum"}});

    t.push_back({Database::Laboratory,
                 "tbLabEmployee",
                 {key("EmployeeCode"),
                  textNN("LastName"),
                  textNN("FirstName"),
                  textNN("MiddleName"),
                  textNN("License"), // professional licence number
                  integerNN("IsMedTech"),
                  textNN("Position"),
                  textNN("Status")},
                 {"EmployeeCode"}});

    // The instrument lookup binds this table to a grid and reads it by position, counting from 0:
    // InstrumentID at 1, InstrumentName at 2 and ReagentCode at 7, so the column order matters.
    t.push_back({Database::Laboratory,
                 "tbLabInstrumentName",
                 {integerNN("ID"),
                  key("InstrumentID"),
                  textNN("InstrumentName"),
                  textNN("Manufacturer"),
                  textNN("Model"),
                  textNN("SectionID"),
                  textNN("Location"),
                  textNN("ReagentCode")},
                 {"InstrumentID"}});

    t.push_back({Database::Laboratory,
                 "tbAuditTrail",
                 {serial("AuditID"), dateTime("AuditTime"), textNN("EmployeeCode"), textNN("CommandText")},
                 {}});
    return t;
}

std::vector<TableDef> patientTables()
{
    std::vector<TableDef> t;
    t.push_back({Database::PatientData,
                 "tbHospitalInfo",
                 {integerNN("HospitalID"),
                  text("Title"),
                  textNN("Company"), // upper-cased into report headings; a Null there is an error
                  text("address1"),
                  text("address2"),
                  text("TelNo"),
                  text("FaxNo"),
                  text("Email")},
                 {"HospitalID"}});
    t.push_back({Database::PatientData,
                 "tbPatientMaster",
                 {key("HospNum"),
                  textNN("LastName"),
                  textNN("FirstName"),
                  textNN("MiddleName"),
                  textNN("Sex"), // "M" or "F"
                  dateTime("BirthDate"),
                  textNN("CivilStatus"),
                  textNN("Address")},
                 {"HospNum"}});
    t.push_back({Database::PatientData,
                 "tbAdmission",
                 {key("IDNum"),
                  textNN("HospNum"),
                  dateTime("AdmissionDate"),
                  textNN("RoomID"),
                  textNN("Class"),
                  textNN("Ward"),
                  textNN("PatientType"), // "I" inpatient, "O" outpatient, "E" emergency
                  textNN("AttendingDoctorID")},
                 {"IDNum"}});
    return t;
}

std::vector<TableDef> buildFileTables()
{
    std::vector<TableDef> t;
    t.push_back({Database::BuildFile,
                 "tbCoLabExam",
                 {key("Code"),
                  textNN("ExamName"),
                  textNN("SectionID"),
                  textNN("SpecimenID"), // usual specimen
                  textNN("FormType"),   // the two codes that choose the result-entry screen
                  textNN("ValueType"),
                  integer("WithReagent"),
                  textNN("SupExamID"),
                  textNN("Status")},
                 {"Code"}});
    t.push_back({Database::BuildFile,
                 "tbCoLabSection",
                 {key("SectionID"), textNN("LabSection"), textNN("SectionHead")}, // head: a pathologist's DoctorID
                 {"SectionID"}});
    t.push_back({Database::BuildFile,
                 "tbCoLabSpecimen",
                 {key("SpecimenID"), textNN("Specimen")},
                 {"SpecimenID"}});
    t.push_back({Database::BuildFile,
                 "tbCoDoctor",
                 {key("DoctorID"),
                  textNN("LastName"),
                  textNN("FirstName"),
                  textNN("MiddleName"),
                  textNN("specializationid"), // '84' is pathology
                  textNN("LicenseNo")},
                 {"DoctorID"}});
    t.push_back({Database::BuildFile,
                 "tbcoLabExamReagent",
                 {key("LabExamID"), key("ReagentID"), textNN("LocationID"), realNN("ReagentQty")},
                 {"LabExamID", "ReagentID"}});
    t.push_back({Database::BuildFile,
                 "TbCoLabReagents",
                 {key("ReagentCode"), textNN("Reagent")},
                 {"ReagentCode"}});
    return t;
}

std::vector<TableDef> inventoryTables()
{
    std::vector<TableDef> t;
    // One stock-card line per item moved; the columns follow the order of the stock-card call.
    t.push_back({Database::Inventory,
                 "tbInvStockCard",
                 {serial("StockCardID"),
                  textNN("TransType"),     // 1
                  textNN("SourceCode"),    // 2: "M" + reagent code for laboratory consumption
                  textNN("ReferenceNum"),  // 3: request number + "L"
                  textNN("ItemCode"),      // 4
                  dateTime("TransDate"),   // 5
                  textNN("ChargeRefNum"),  // 6
                  realNN("Quantity"),      // 7
                  realNN("QtyReturned"),   // 8
                  realNN("Amount"),        // 9
                  textNN("EmployeeCode"),  // 10
                  textNN("PriceType"),     // 11
                  textNN("Remarks"),       // 12
                  textNN("Direction"),     // 13
                  textNN("UserID"),        // 14
                  textNN("LocationID"),    // 15
                  textNN("FromLocationID"), // 16
                  textNN("Department"),    // 17
                  textNN("HospNum"),       // 18
                  textNN("IDNum"),         // 19
                  textNN("Status"),        // 20
                  integerNN("IsPosted"),   // 21
                  realNN("Factor"),        // 22
                  textNN("BatchNum"),      // 23
                  realNN("Discount"),      // 24
                  textNN("ExpiryDate"),    // 25
                  textNN("LotNum"),        // 26
                  textNN("SupplierCode"),  // 27
                  realNN("UnitQty"),       // 28
                  integerNN("IsReturned"), // 29
                  textNN("Spare1"),        // 30
                  textNN("Spare2"),        // 31
                  textNN("Spare3"),        // 32
                  dateTime("PostedAt")},
                 {}});
    t.push_back({Database::Inventory,
                 "tbInvStockLevel",
                 {key("ItemCode"),
                  key("LocationID"),
                  realNN("OnHand"),
                  realNN("UnitCost"),
                  realNN("ReorderLevel"),
                  dateTime("LastMovement")},
                 {"ItemCode", "LocationID"}});
    return t;
}

using TableGroup = std::vector<TableDef> (*)();

struct AddedColumn {
    Database db;
    const char *table;
    ColumnDef column;
};

// What one upgrade step creates. The steps together are the schema's catalogue, so a table is
// described once and both its creation and the tools that read its columns follow from it.
struct AddedIndex {
    Database db;
    const char *table, *name, *columns;
};

struct Step {
    std::vector<TableGroup> creates;
    std::vector<AddedColumn> adds = {};
    std::vector<AddedIndex> indexes = {};
    // Data an upgraded database moves, after the step's tables and columns exist.
    void (*moves)(Driver &) = nullptr;
};

const std::vector<Step> &steps()
{
    static const std::vector<Step> all{
        {{laboratoryTables, patientTables, buildFileTables, inventoryTables}}, // 1
        {{reagentTables, signOffTables}},                                     // 2: shared services
        {{resultTables}},                                                     // 3: result-entry screens
        // 4: every save of a request advances its logbook row's version, so a screen can tell
        // that another workstation saved while it was open; who and when travel with it.
        {{},
         {{Database::Laboratory, "tbLabLogbook", integerNN("RowVersion")},
          {Database::Laboratory, "tbLabLogbook", text("SavedBy")},
          {Database::Laboratory, "tbLabLogbook", text("SavedByName")},
          {Database::Laboratory, "tbLabLogbook", dateTime("SavedAt")}}},
        {{pathologyTables}},                                                  // 5: anatomic pathology
        {{microscopyTables}},                                                 // 6: urinalysis and fecalysis lists, urinalysis reference ranges
        {{chemistryTables}},                                                  // 7: result formats and normal values of the chemistry screens
        // 8: analyser results arrive by themselves: what each was sent as, and which rerun replaced it.
        {{analyserTables},
         {{Database::Laboratory, "tbLabInstrumentResult", textNN("Unit")},
          {Database::Laboratory, "tbLabInstrumentResult", textNN("Flags")},
          {Database::Laboratory, "tbLabInstrumentResult", textNN("Status")},
          {Database::Laboratory, "tbLabInstrumentResult", textNN("ResultTime")},
          {Database::Laboratory, "tbLabInstrumentResult", textNN("MessageKey")},
          {Database::Laboratory, "tbLabInstrumentResult", textNN("SentValue")},
          {Database::Laboratory, "tbLabInstrumentResult", integerNN("Superseded")}},
         // The receiver and the screens look results up by sample; samples are known by accession.
         {{Database::Laboratory, "tbLabInstrumentResult", "ixInstrumentResultSample", "SampleNum, TestCode"},
          {Database::Laboratory, "tbLabLogbook", "ixLogbookAccession", "AccessionNum"}}},
        {{microbiologyTables}},                                               // 9: antibiotics, organisms, panels; culture and bacteriology results
        {{stainsTables}},                                                     // 10: the Gram stain findings
        {{bloodBankTables}},                                                  // 11: receptor studies and ANA panels
        // 12: exam sets keep one result per exam line; the logbook row keeps the batch it was run in.
        {{examSetTables}, {{Database::Laboratory, "tbLabLogbook", text("BatchNum")}}},
        {{interpretationTables}},                                             // 13: interpretation, normal-range and custom results
        {{fluidsTables}},                                                     // 14: body fluid and semen references, result summaries
        {{packagesTables}},                                                   // 15: package tests; their grid rows, blood counts, urinalyses, stool
        {{serologyTables}},                                                   // 16: cut-off and threshold formats, cut-off and short-form results
        {{clinicalTables}},                                                   // 17: reference intervals, critical limits, judged results, critical calls
        {{}, {}, {}, moveUrinalysisRanges},                                   // 18: the urinalysis ranges become rows of the interval master
        {{deltaTables}},                                                      // 19: delta rules and the deltas saves saw
    };
    return all;
}

void runStep(Driver &db, const Step &step)
{
    for (TableGroup group : step.creates) {
        for (const TableDef &table : group())
            db.runScript(db.createTableSql(table));
    }
    for (const AddedColumn &add : step.adds)
        db.runScript(db.addColumnSql(add.db, add.table, add.column));
    for (const AddedIndex &index : step.indexes)
        db.runScript(db.createIndexSql(index.db, index.table, index.name, index.columns));
    if (step.moves)
        step.moves(db);
}

std::string versionTableName(Driver &db)
{
    return db.qualify(Database::Laboratory, kVersionTable);
}

int highestVersion(const ResultSet &rs)
{
    int version = 0;
    for (const Row &row : rs.rows) {
        if (!row.empty() && row[0])
            version = std::max(version, std::stoi(*row[0]));
    }
    return version;
}

// The version table holds one row; creating it races with other workstations on a new database.
void ensureVersionTable(Driver &db)
{
    if (db.tableExists(Database::Laboratory, kVersionTable))
        return;
    try {
        Transaction tx(db);
        db.runScript(db.createTableSql(versionTable()));
        const std::string name = versionTableName(db);
        db.run("INSERT INTO " + name + " (Version) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM " + name + ")", {});
        tx.commit();
    } catch (const DbError &) {
        // Another workstation created it between our test and our statement.
        if (!db.tableExists(Database::Laboratory, kVersionTable))
            throw;
    }
}

} // namespace

const std::vector<TableDef> &tableDefinitions()
{
    static const std::vector<TableDef> catalogue = [] {
        std::vector<TableDef> all{versionTable()};
        for (const Step &step : steps()) {
            for (TableGroup group : step.creates) {
                for (TableDef &t : group())
                    all.push_back(std::move(t));
            }
            for (const AddedColumn &add : step.adds) {
                for (TableDef &t : all) {
                    if (t.db == add.db && iequals(t.name, add.table))
                        t.columns.push_back(add.column);
                }
            }
        }
        return all;
    }();
    return catalogue;
}

const TableDef *tableDefinition(Database db, std::string_view table)
{
    for (const TableDef &t : tableDefinitions()) {
        if (t.db == db && iequals(t.name, table))
            return &t;
    }
    return nullptr;
}

int schemaVersion()
{
    return static_cast<int>(steps().size());
}

int storedSchemaVersion(Driver &db)
{
    if (!db.tableExists(Database::Laboratory, kVersionTable))
        return 0;
    return highestVersion(db.run("SELECT Version FROM " + versionTableName(db), {}));
}

void upgradeSchema(Driver &db)
{
    upgradeSchema(db, schemaVersion());
}

void upgradeSchema(Driver &db, int upTo)
{
    const int newest = schemaVersion();
    const int target = std::min(upTo, newest);
    const auto tooNew = [&](int stored) {
        return DbError("The laboratory database has schema version " + std::to_string(stored) +
                       ", newer than this program's " + std::to_string(newest) + ".");
    };
    int stored = storedSchemaVersion(db);
    if (stored > newest)
        throw tooNew(stored);
    if (stored >= target)
        return;

    ensureVersionTable(db);
    const std::string name = versionTableName(db);
    for (int next = stored + 1; next <= target; ++next) {
        Transaction tx(db);
        // Holding the version row makes a concurrent upgrader wait here, then see our result.
        stored = highestVersion(db.run("SELECT Version FROM " + name + db.lockClause(), {}));
        if (stored > newest)
            throw tooNew(stored);
        if (stored >= next) { // done by another workstation; nothing of ours to commit
            next = stored;
            continue;
        }
        runStep(db, steps()[static_cast<std::size_t>(next - 1)]);
        db.run("UPDATE " + name + " SET Version = ?", {std::to_string(next)});
        tx.commit();
    }
}

} // namespace labdb
