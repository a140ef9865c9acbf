// Demonstration data of clinical microscopy: the urinalysis and fecalysis pick lists, the
// urinalysis reference ranges, and worked results (a normal and an abnormal urinalysis, a
// fecalysis with parasites, a Kato thick smear).

#include "clinical_parts.h"
#include "microscopy_parts.h"
#include "schema_parts.h"

#include <iterator>

#include <string>
#include <vector>

namespace labdb {

namespace {

struct PickList {
    const char *listName;
    int listNo;
    std::vector<const char *> usual;  // mode 0
    std::vector<const char *> others; // mode 1
};

const std::vector<PickList> &pickLists()
{
    static const std::vector<PickList> lists{
        {"Urinalysis", 0, {"Light Yellow", "Yellow", "Straw"},
         {"Dark Yellow", "Amber", "Orange", "Red", "Reddish Brown", "Brown", "Colorless"}},
        {"Urinalysis", 1, {"Clear"}, {"Slightly Hazy", "Hazy", "Slightly Turbid", "Turbid", "Cloudy"}},
        {"Urinalysis", 2, {"5.0", "5.5", "6.0", "6.5", "7.0", "7.5"}, {"4.5", "8.0", "8.5", "9.0"}},
        {"Urinalysis", 3, {"1.005", "1.010", "1.015", "1.020", "1.025", "1.030"}, {"1.000", "1.035", "1.040"}},
        {"Urinalysis", 4, {"Negative"}, {"Trace", "+", "++", "+++", "++++"}},
        {"Urinalysis", 5, {"Negative"}, {"Trace", "+", "++", "+++", "++++"}},
        // Shared by the WBC and RBC fields.
        {"Urinalysis", 6, {"0-1", "0-2", "1-2", "1-3", "2-4", "3-5"},
         {"5-8", "8-10", "10-15", "15-20", "20-30", "30-50", "50-100", "TNTC"}},
        {"Urinalysis", 8, {"None", "Rare", "Few"}, {"Moderate", "Many"}},
        {"Urinalysis", 9, {"None", "Rare", "Few"}, {"Moderate", "Many"}},
        {"Urinalysis", 10, {"None", "Rare", "Few"}, {"Moderate", "Many"}},
        {"Urinalysis", 11, {"None", "Rare", "Few"}, {"Moderate", "Many"}},
        {"Urinalysis", 12, {"None", "Rare", "Few"}, {"Moderate", "Many"}},
        {"Urinalysis", 13, {"None"}, {"Rare", "Few", "Moderate", "Many"}},
        {"Urinalysis", 15, {"Negative"}, {"Trace", "1+", "2+", "3+"}},
        {"Urinalysis", 16, {"Negative"}, {"Positive"}},
        {"Urinalysis", 17, {"Normal", "0.2 mg/dL", "1 mg/dL"}, {"2 mg/dL", "4 mg/dL", "8 mg/dL"}},
        {"Urinalysis", 18, {"Negative"}, {"Trace", "1+", "2+", "3+"}},
        {"Urinalysis", 19, {"Negative"}, {"Trace", "1+", "2+", "3+"}},
        {"Urinalysis", 20, {"Negative"}, {"1+", "2+", "3+"}},
        {"Fecalysis", 0, {"Brown", "Light Brown", "Yellowish Brown"},
         {"Dark Brown", "Yellow", "Green", "Black", "Tarry", "Red", "Clay-colored"}},
        {"Fecalysis", 1, {"Formed", "Semi-formed", "Soft"}, {"Mushy", "Loose", "Watery", "Mucoid", "Hard"}},
        {"Fecalysis", 2, {"Negative"}, {"Positive"}},
        {"Fecalysis", 3, {"Present (normal)"}, {"Increased", "Decreased", "Absent"}},
        {"Fecalysis", 4, {"Negative"}, {"Positive"}},
        {"Fecalysis", 5, {"None seen", "0-2 /hpf"}, {"3-5 /hpf", "5-10 /hpf", "10-20 /hpf", "Many"}},
        {"Fecalysis", 6, {"None seen", "0-2 /hpf"}, {"3-5 /hpf", "5-10 /hpf", "10-20 /hpf", "Many"}},
        {"Fecalysis", 7, {"None", "Rare"}, {"Few", "Moderate", "Many"}},
        {"Fecalysis", 8, {"No ova or parasites seen"}, {"Ova seen", "Cysts seen", "Ova and cysts seen"}},
        {"Fecalysis", 9, {"Negative", "Few fat globules"}, {"Moderate fat globules", "Many fat globules"}},
    };
    return lists;
}

// Male and female, in the order of the reference-range dialog.
constexpr const char *kRefRanges[20] = {
    "0-2",         "0-3",          // RBC /hpf
    "0-5",         "0-8",          // WBC /hpf
    "None to few", "None to few",  // bacteria /hpf
    "Few",         "Few to moderate", // epithelial cells /hpf
    "0-2 hyaline", "0-2 hyaline",  // casts /hpf
    "0.0-17.0",    "0.0-25.0",     // RBC /ul
    "0.0-25.0",    "0.0-39.0",     // WBC /ul
    "0.0-385.0",   "0.0-385.0",    // bacteria /ul
    "0.0-5.7",     "0.0-31.0",     // epithelial cells /ul
    "0.0-2.4",     "0.0-2.4",      // casts /ul
};

// Result slots as the urinalysis save writes them: 1-14 physical and microscopic lists, 15-17
// others, crystals, casts, 18 remarks, 19 method, 21-26 dipstick, 27-31 counts per microlitre.
const WorkedRequest kNormalUrinalysis{
    "R2603611", "R2603003", "CS-264611", "U-0311",
    {{1, "Yellow"}, {2, "Clear"}, {3, "6.0"}, {4, "1.015"}, {5, "Negative"}, {6, "Negative"}, {7, "0-2"},
     {8, "0-1"}, {9, "Few"}, {10, "Rare"}, {11, "Few"}, {12, "None"}, {13, "None"}, {14, "None"}, {15, ""},
     {16, "None seen"}, {17, "None seen"}, {18, ""}, {19, "Reagent strip; manual microscopy"}, {21, "Negative"},
     {22, "Negative"}, {23, "0.2 mg/dL"}, {24, "Negative"}, {25, "Negative"}, {26, "Negative"}, {27, "8.2"},
     {28, "12.5"}, {29, "40.3"}, {30, "2.1"}, {31, "0.4"}}};

const WorkedRequest kAbnormalUrinalysis{
    "R2603612", "R2603003", "CS-264612", "U-0312",
    {{1, "Dark Yellow"}, {2, "Turbid"}, {3, "6.5"}, {4, "1.025"}, {5, "Trace"}, {6, "++"}, {7, "20-30"},
     {8, "5-8"}, {9, "Many"}, {10, "Moderate"}, {11, "Moderate"}, {12, "Few"}, {13, "None"}, {14, "Few"},
     {15, "Ascorbic acid: negative"}, {16, "Calcium oxalate: few\nUric acid: rare"},
     {17, "WBC casts: 0-2 /lpf\nGranular casts: rare"},
     {18, "Findings suggest urinary tract infection; urine culture advised."},
     {19, "Reagent strip; manual microscopy"}, {21, "3+"}, {22, "Positive"}, {23, "1 mg/dL"}, {24, "1+"},
     {25, "Negative"}, {26, "Negative"}, {27, "45.6"}, {28, "812.3"}, {29, "5410.0"}, {30, "18.2"}, {31, "3.1"}}};

// 1-10 the lists (the hidden chemistry ones left empty), 11-14 findings, 19 method, 20 remarks.
const WorkedRequest kFecalysisWithParasites{
    "R2603621", "R2603013", "CS-264621", "F-0121",
    {{1, "Brown"}, {2, "Mushy"}, {3, ""}, {4, ""}, {5, ""}, {6, "0-2 /hpf"}, {7, "5-10 /hpf"}, {8, "Few"},
     {9, ""}, {10, ""}, {11, "Ascaris lumbricoides ova: 2-4 /lpf"}, {12, "Entamoeba histolytica cysts: 1-2 /hpf"},
     {13, "E. histolytica trophozoites: rare"}, {14, "Charcot-Leyden crystals: few\nBlastocystis hominis: few"},
     {19, "Direct smear (saline and iodine)"},
     {20, "Positive for intestinal parasites. Please correlate clinically."}}};

// 1-7 the lists, 8-10 flagellates, blood parasites, filaria, 11-28 the helminth table (name, wet
// mount, concentration per row), 29 comments.
const WorkedRequest kKatoThickSmear{
    "R2603622", "R2603011", "CS-264622", "S-0122",
    {{1, "Brown"}, {2, "Formed"}, {3, "Negative"}, {4, "Present (normal)"}, {5, "Negative"}, {6, "0-2 /hpf"},
     {7, "None seen"}, {8, "Giardia lamblia: none seen"}, {9, "Not requested"}, {10, "Not requested"},
     {11, "Ascaris"}, {12, "2 ova /smear"}, {13, "1,248 EPG (moderate)"}, {14, "T.Trichiura"}, {15, "1 ovum /smear"},
     {16, "96 EPG (light)"}, {17, "Hookworm"}, {18, "None seen"}, {19, "None seen"}, {20, "Pinworm"},
     {21, "None seen"}, {22, "None seen"}, {23, "Taenia sp."}, {24, "None seen"}, {25, "None seen"}, {26, ""},
     {27, ""}, {28, ""},
     {29, "Kato-Katz thick smear, 41.7 mg template. Intensity by WHO classes (eggs per gram)."}}};

} // namespace

void loadMicroscopyDemo(Driver &db)
{
    const std::string lists = db.qualify(Database::Laboratory, "tbLabMicroscopyList");
    for (const PickList &list : pickLists()) {
        int order = 0;
        for (int mode = 0; mode <= 1; ++mode) {
            for (const char *value : mode == 0 ? list.usual : list.others)
                db.run("INSERT INTO " + lists + " (ListName, ListNo, Mode, SortOrder, ResultValue) VALUES (?, ?, ?, ?, ?)",
                       {std::string(list.listName), std::to_string(list.listNo), std::to_string(mode),
                        std::to_string(++order), std::string(value)});
        }
    }

    writeUrinalysisRanges(db, std::vector<std::string>(std::begin(kRefRanges), std::end(kRefRanges)));

    const std::string logbook = db.qualify(Database::Laboratory, "tbLabLogbook");
    for (const WorkedRequest *w : {&kNormalUrinalysis, &kAbnormalUrinalysis, &kFecalysisWithParasites, &kKatoThickSmear})
        insertWorkedRequest(db, *w);
    // Judged as a save judges them, so the abnormal one prints its flags.
    for (const WorkedRequest *w : {&kNormalUrinalysis, &kAbnormalUrinalysis})
        judgeStoredResult(db, w->requestNum);
    // The urinalysis screen shows the method kept with the result.
    for (const WorkedRequest *w : {&kNormalUrinalysis, &kAbnormalUrinalysis})
        db.run("UPDATE " + logbook + " SET Method = ? WHERE RequestNum = ?",
               {std::string("Reagent strip; manual microscopy"), std::string(w->requestNum)});
}

} // namespace labdb
