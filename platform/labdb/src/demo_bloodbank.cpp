// Demonstration data of the blood bank and immunology screens: the crossmatching pick lists, a
// compatible crossmatch with its transfusion, an incompatible one (a unit of the wrong group,
// caught at immediate spin and not issued), a breast receptor study, its HER2 score and an ANA panel.

#include "bloodbank_parts.h"
#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

struct ListEntries {
    int listNo;
    std::vector<const char *> usual;  // mode 0
    std::vector<const char *> others; // mode 1
};

// List 1 the blood components, list 2 the crossmatch results.
const std::vector<ListEntries> &crossmatchingLists()
{
    static const std::vector<ListEntries> lists{
        {1, {"PACKED RED BLOOD CELLS", "WHOLE BLOOD"},
         {"LEUKOREDUCED PACKED RBC", "WASHED RED CELLS", "FRESH FROZEN PLASMA", "PLATELET CONCENTRATE",
          "CRYOPRECIPITATE"}},
        {2, {"COMPATIBLE"}, {"INCOMPATIBLE", "LEAST INCOMPATIBLE", "SEE REMARKS"}},
    };
    return lists;
}

// Result slots as the crossmatch save writes them: 1-2 previous transfusion and reaction, 3 unit
// number, 4-5 time and date needed, 6-8 issue, 9-10 transfusion begun and completed, 11 amount,
// 12 transfused by, 13-16 patient and donor ABO and Rh, 17-19 and 21-23 vital signs before and
// after, 24 received by, 25 phases, 26 reaction, 20 result, 27 component, 28 remarks.
const WorkedRequest kCompatible{
    "R2603501", "R2603050", "CS-264501", "BB-0311",
    {{1, "0|1"}, {2, "0|1"}, {3, "BB-26-0311"}, {4, "03:30:00 AM"}, {5, "03/07/2026"}, {6, "Paolo Navarro, RMT"},
     {7, "03/07/2026"}, {8, "04:10:00 AM"}, {9, "04:25:00 AM"}, {10, "06:40:00 AM"}, {11, "250 mL"},
     {12, "Kristine Ramos, RN"}, {13, "O"}, {14, "POSITIVE"}, {15, "O"}, {16, "POSITIVE"}, {17, "36.8 C"},
     {18, "37.0 C"}, {19, "88"}, {21, "86"}, {22, "110/70"}, {23, "112/72"}, {24, "Kristine Ramos, RN"},
     {25, "1|1|1"}, {26, "0|1"}, {20, "COMPATIBLE"}, {27, "PACKED RED BLOOD CELLS"},
     {28, "Transfused over 2 hours 15 minutes without reaction."}}};

const WorkedRequest kIncompatible{
    "R2603502", "R2603050", "CS-264502", "BB-0312",
    {{1, "1|0"}, {2, "0|1"}, {3, "BB-26-0298"}, {4, "10:00:00 AM"}, {5, "03/07/2026"}, {6, ""},
     {7, "03/07/2026"}, {8, "09:30:00 AM"}, {9, "09:30:00 AM"}, {10, "09:30:00 AM"}, {11, ""}, {12, ""},
     {13, "A"}, {14, "POSITIVE"}, {15, "B"}, {16, "POSITIVE"}, {24, ""}, {25, "1|0|0"}, {26, "0|0"},
     {20, "INCOMPATIBLE"}, {27, "PACKED RED BLOOD CELLS"},
     {28, "Agglutination 3+ at immediate spin (saline phase). Donor unit regrouped as B Rh-positive against "
          "a label of A; unit quarantined and not issued, label discrepancy reported to the blood bank "
          "supervisor. A new unit is being crossmatched."}}};

} // namespace

void loadBloodBankDemo(Driver &db)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    for (const ListEntries &list : crossmatchingLists()) {
        int order = 0;
        for (int mode = 0; mode <= 1; ++mode) {
            for (const char *value : mode == 0 ? list.usual : list.others)
                db.run("INSERT INTO " + t("tbLabMicroscopyList") +
                           " (ListName, ListNo, Mode, SortOrder, ResultValue) VALUES ('Crossmatching', ?, ?, ?, ?)",
                       {std::to_string(list.listNo), std::to_string(mode), std::to_string(++order),
                        std::string(value)});
        }
    }

    insertWorkedRequest(db, kCompatible);
    insertWorkedRequest(db, kIncompatible);
    // The incompatible crossmatch belongs to another patient, a group A woman in intensive care.
    db.run("UPDATE " + t("tbLabMaster") +
               " SET HospNum = '10023454', IDNum = 'A26-00103', DoctorID = '1015', BloodType = 'A+' "
               "WHERE RequestNum = 'R2603502'",
           {});

    // Receptor, HER2 and ANA studies keep their results in rows of their own.
    insertWorkedRequest(db, {"R2603503", "R2603005", "CS-264503", "IHC-26-041", {}});
    insertWorkedRequest(db, {"R2603504", "R2603006", "CS-264504", "IHC-26-042", {}});
    insertWorkedRequest(db, {"R2603505", "R2603020", "CS-264505", "ANA-0217", {}});

    const char *const specimen = "Breast, left, modified radical mastectomy (S26-0412): invasive ductal carcinoma, "
                                 "grade 2; paraffin block A3 (tumour with adjacent normal ducts).";
    const std::string receptorColumns =
        " (RequestNum, SampleNum, DateReported, Submitted, LRALogbook, DateFinished, Specimen, Result1, Result2, "
        "Result3, Result4, Result5, Result6, Result7, Result8, Result9, Pathologist, EmployeeCode) VALUES "
        "(?, ?, '2026-03-07 09:45:00', '2026-03-07 08:15:00', '2026-03-07 08:20:00', '2026-03-07 09:40:00', ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, '0102')";
    db.run("INSERT INTO " + t("tbLabReceptorResult") + receptorColumns,
           {"R2603503", "IHC-26-041", specimen, "POSITIVE", "POSITIVE", "80", "40", "3", "2", "S26-0412 A3",
            "Normal breast ducts: positive", "Normal breast ducts: positive", "Maria Luisa R.  Santos, M.D."});
    db.run("INSERT INTO " + t("tbLabReceptorResult") + receptorColumns,
           {"R2603504", "IHC-26-042", specimen, "POSITIVE", "3+ (Positive)", "", "", "", "", "S26-0412 A3",
            "HER2 3+ breast carcinoma control: positive", "", "Grace U.  Lim, M.D."});

    db.run("INSERT INTO " + t("tbLabANAPanel") +
               " (RequestNum, NSubstrate, NResult, NPattern, NTiter, DSubstrate, DResult, DTiter, Sci70Result, "
               "JO1Result, SSAResult, SSBResult, SmResult, RNPResult, Others, LEPrep, EmployeeCode) VALUES "
               "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '0102')",
           {"R2603505", "HEP-2 CELLS", "POSITIVE", "SPECKLED", "1:320", "Crithidia luciliae", "NEGATIVE", "< 1:10",
            "NEGATIVE", "NEGATIVE", "POSITIVE", "POSITIVE", "NEGATIVE", "NEGATIVE",
            "Anti-centromere: negative; anti-histone: negative", "No LE cells seen"});
}

} // namespace labdb
