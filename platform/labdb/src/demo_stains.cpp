// Demonstration stained smears: a Gram stain of sputum, a three-day AFB sputum series graded on
// the 0 to 3 scale, a urine Wright stain, and an open KOH mount, numbered from R2603901.

#include "schema_parts.h"
#include "stains_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

// The Gram stain findings, in the order of its table's columns (Specimen .. Remarks).
const std::vector<const char *> kSputumGramStain{
    "Sputum, expectorated (early morning)",
    "GRAM POSITIVE COCCI IN PAIRS\nPUS CELLS = MORE THAN 25/lpf\nEPITHELIAL CELLS = LESS THAN 10/lpf",
    "<10",
    ">25",
    "Few",
    "Rare",
    "Few",
    "Many (lancet-shaped diplococci)",
    "Rare",
    "None seen",
    "Good-quality specimen (Bartlett grade +3). Suggestive of Streptococcus pneumoniae; culture to follow.",
    "Yeast cells: none seen"};

struct AfbDay {
    const char *requestNum, *refNum, *accession, *day, *number, *appearance, *grade, *comment;
};
// The specimen number is the day of the series; results as the 0-3 scale of the TB programme.
const AfbDay kAfbSeries[] = {
    {"R2603902", "CS-264902", "AFB-0402", "2026-03-05", "1", "Mucopurulent", "2",
     "Specimen 1 of 3. 10 - 299 AFB seen in 300 visual fields."},
    {"R2603903", "CS-264903", "AFB-0403", "2026-03-06", "2", "Mucopurulent", "1",
     "Specimen 2 of 3. 7 AFB seen in 300 visual fields."},
    {"R2603904", "CS-264904", "AFB-0404", "2026-03-07", "3", "Salivary", "0",
     "Specimen 3 of 3. Salivary specimen; a repeat collection is advised."},
};

void run(Driver &db, const std::string &sql, std::vector<Value> values)
{
    db.run(sql, values);
}

} // namespace

void loadStainsDemo(Driver &db)
{
    const auto lab = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    const auto build = [&](const char *table) { return db.qualify(Database::BuildFile, table); };

    // The TB programme's direct sputum smear series, coded as the AFB screen expects, and a KOH
    // mount of skin scrapings on the Gram stain screen.
    run(db, "INSERT INTO " + build("tbCoLabSpecimen") + " (SpecimenID, Specimen) VALUES (?, ?)",
        {"21", "SPUTUM (DSSM SERIES)"});
    run(db, "INSERT INTO " + build("tbCoLabSpecimen") + " (SpecimenID, Specimen) VALUES (?, ?)",
        {"S13", "SKIN SCRAPINGS"});
    run(db,
        "INSERT INTO " + build("tbCoLabExam") +
            " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) VALUES "
            "('242', 'KOH MOUNT (FUNGAL ELEMENTS)', 'D', 'S13', 'H', 'K', '0', '', 'A')",
        {});
    run(db,
        "INSERT INTO " + lab("tbLabMaster") +
            " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, Dialysis, "
            "ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, Status, "
            "RequestDate, DateFinished, SendOuts) SELECT 'R2603906', HospNum, IDNum, '242', '', DoctorID, 'N', "
            "'CS-264906', ORNum, Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, "
            "PatientType, Method, BloodType, 'O', '2026-03-07 10:30:00', NULL, NULL FROM " +
            lab("tbLabMaster") + " WHERE RequestNum = 'R2603015'",
        {});

    // The Gram stain keeps its findings in its own table, not in the shared result row.
    insertWorkedRequest(db, {"R2603901", "R2603018", "CS-264901", "GS-0301", {}});
    run(db, "DELETE FROM " + lab("tbLabResult") + " WHERE RequestNum = 'R2603901'", {});
    std::string columns = "RequestNum, Specimen, Result, Pus1, Pus2, Epithelial1, Epithelial2, Organism, Seen, AFB, "
                          "Smear, KOH, Remarks, EmployeeCode, SavedAt";
    std::vector<Value> values{std::string("R2603901")};
    for (const char *v : kSputumGramStain)
        values.emplace_back(v);
    run(db,
        "INSERT INTO " + lab("tbLabGramStain") + " (" + columns +
            ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0102', '2026-03-07 09:45:00')",
        values);
    run(db, "UPDATE " + lab("tbLabMaster") + " SET SendOuts = 'N' WHERE RequestNum = 'R2603901'", {});

    for (const AfbDay &d : kAfbSeries) {
        insertWorkedRequest(db, {d.requestNum, "R2603023", d.refNum, d.accession,
                                 {{1, "SPUTUM"}, {2, d.number}, {3, d.appearance}, {4, d.grade}, {20, d.comment}}});
        run(db, "UPDATE " + lab("tbLabMaster") + " SET SpecimenID = '21', Method = 'Ziehl-Neelsen' WHERE RequestNum = ?",
            {d.requestNum});
        // Each day's early-morning specimen, read the same afternoon.
        const std::string day = d.day;
        for (const char *table : {"tbLabLogbook", "tbLabResult"})
            run(db,
                "UPDATE " + lab(table) +
                    " SET samplesubmitted = ?, lratime = ?, DateFinished = ?, ResultDate = ? WHERE RequestNum = ?",
                {day + " 07:30:00", day + " 07:45:00", day + " 14:00:00", day + " 14:20:00", d.requestNum});
    }

    // Color and clarity are the urinalysis lists 0 and 1.
    insertWorkedRequest(db, {"R2603905", "R2603009", "CS-264905", "UW-0117",
                             {{1, "Yellow"}, {2, "Slightly Hazy"}, {3, "12"}, {4, "6"}, {5, "82"},
                              {20, "Eosinophiluria (82% of urinary white cells): consider acute interstitial "
                                   "nephritis; correlate with the drug history."}}});
}

} // namespace labdb
