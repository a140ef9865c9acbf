// Demonstration reference intervals and critical limits of the coagulation, blood-gas and
// transfusion-monitoring fields, a stored coagulation result with values out of range, one with a
// critical value already called to the ward, and a transfusion stopped for a febrile reaction.

#include "clinical_parts.h"
#include "schema_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

struct Interval {
    const char *exam, *field, *sex;
    int ageFrom;
    const char *ageUnit;
    const char *ageTo; // nullptr: no end
    const char *low, *high, *unit, *printed;
};

// Coagulation (101): result2 PT, result4 INR, result5 activity, result6 APTT, result8 fibrinogen,
// result9 bleeding time, result10 clotting time. Blood gas (110): result1 pH .. result7 O2
// saturation, result10 hemoglobin.
const std::vector<Interval> kIntervals{
    {"101", "result2", "B", 0, "Y", nullptr, "11.0", "13.5", "sec", ""},
    {"101", "result4", "B", 0, "Y", nullptr, "0.8", "1.2", "", ""},
    {"101", "result5", "B", 0, "Y", nullptr, "70", "120", "%", ""},
    {"101", "result6", "B", 0, "M", "6", "25.0", "45.0", "sec", ""},
    {"101", "result6", "B", 6, "M", nullptr, "25.0", "35.0", "sec", ""},
    {"101", "result8", "B", 0, "Y", nullptr, "200", "400", "mg/dL", ""},
    {"101", "result9", "B", 0, "Y", nullptr, "1", "3", "min", ""},
    {"101", "result10", "B", 0, "Y", nullptr, "4", "10", "min", ""},
    {"110", "result1", "B", 0, "Y", nullptr, "7.35", "7.45", "", ""},
    {"110", "result2", "B", 0, "Y", nullptr, "35", "45", "mmHg", ""},
    {"110", "result3", "B", 0, "Y", nullptr, "80", "100", "mmHg", ""},
    {"110", "result4", "B", 0, "Y", nullptr, "22", "26", "mmol/L", ""},
    {"110", "result5", "B", 0, "Y", nullptr, "23", "29", "mmol/L", ""},
    {"110", "result6", "B", 0, "Y", nullptr, "-2", "2", "mmol/L", "-2 \u2013 +2"},
    {"110", "result7", "B", 0, "Y", nullptr, "95", "100", "%", ""},
    {"110", "result10", "M", 0, "Y", nullptr, "13.5", "17.5", "g/dL", ""},
    {"110", "result10", "F", 0, "Y", nullptr, "12.0", "15.5", "g/dL", ""},
    // Crossmatching (155 packed cells, 156 whole blood), the monitoring of the transfusion:
    // result17/result18 temperature before and after, result19/result21 pulse, by age.
    {"155", "result17", "B", 0, "Y", nullptr, "36.5", "37.5", "\u00b0C", ""},
    {"155", "result18", "B", 0, "Y", nullptr, "36.5", "37.5", "\u00b0C", ""},
    {"155", "result19", "B", 0, "Y", "1", "100", "160", "/min", ""},
    {"155", "result19", "B", 1, "Y", "12", "70", "120", "/min", ""},
    {"155", "result19", "B", 12, "Y", nullptr, "60", "100", "/min", ""},
    {"155", "result21", "B", 0, "Y", "1", "100", "160", "/min", ""},
    {"155", "result21", "B", 1, "Y", "12", "70", "120", "/min", ""},
    {"155", "result21", "B", 12, "Y", nullptr, "60", "100", "/min", ""},
    {"156", "result17", "B", 0, "Y", nullptr, "36.5", "37.5", "\u00b0C", ""},
    {"156", "result18", "B", 0, "Y", nullptr, "36.5", "37.5", "\u00b0C", ""},
    {"156", "result19", "B", 0, "Y", "1", "100", "160", "/min", ""},
    {"156", "result19", "B", 1, "Y", "12", "70", "120", "/min", ""},
    {"156", "result19", "B", 12, "Y", nullptr, "60", "100", "/min", ""},
    {"156", "result21", "B", 0, "Y", "1", "100", "160", "/min", ""},
    {"156", "result21", "B", 1, "Y", "12", "70", "120", "/min", ""},
    {"156", "result21", "B", 12, "Y", nullptr, "60", "100", "/min", ""},
};

struct Critical {
    const char *exam, *field, *low, *high;
};
const std::vector<Critical> kCriticals{
    {"101", "result4", nullptr, "5.0"},
    {"101", "result6", nullptr, "100"},
    {"101", "result8", "100", nullptr},
    {"110", "result1", "7.20", "7.60"},
    {"110", "result2", "20", "70"},
    {"110", "result3", "40", nullptr},
};

Value optionalText(const char *text)
{
    return text ? Value(std::string(text)) : Value();
}

} // namespace

void loadClinicalDemo(Driver &db)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    for (const Interval &i : kIntervals)
        db.run("INSERT INTO " + t("tbLabReferenceInterval") +
                   " (ExamCode, Field, Sex, AgeFrom, AgeUnit, AgeTo, LowValue, HighValue, Unit, PrintedText) VALUES "
                   "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               {i.exam, i.field, i.sex, std::to_string(i.ageFrom), i.ageUnit, optionalText(i.ageTo), i.low, i.high,
                i.unit, i.printed});
    for (const Critical &c : kCriticals)
        db.run("INSERT INTO " + t("tbLabCriticalLimit") +
                   " (ExamCode, Field, Sex, AgeFrom, AgeUnit, AgeTo, CriticalLow, CriticalHigh) VALUES "
                   "(?, ?, 'B', 0, 'Y', NULL, ?, ?)",
               {c.exam, c.field, optionalText(c.low), optionalText(c.high)});

    // A prolonged PT and APTT with low fibrinogen, none critical.
    const WorkedRequest flagged{"R2605101", "R2603001", "CS-265101", "A26-51010",
                                {{1, "Photo-optical clot detection"}, {2, "15.2"}, {3, "12.0"}, {4, "1.4"},
                                 {5, "62"}, {6, "41.8"}, {7, "30.1"}, {8, "165"}, {20, "Patient on warfarin."}}};
    // An APTT past its critical limit, called to the ward and read back.
    const WorkedRequest critical{"R2605102", "R2603001", "CS-265102", "A26-51020",
                                 {{1, "Photo-optical clot detection"}, {2, "12.8"}, {3, "12.0"}, {4, "1.1"},
                                  {6, ">120"}, {7, "30.4"}, {8, "310"}, {20, "Heparin infusion running."}}};
    for (const WorkedRequest *w : {&flagged, &critical}) {
        insertWorkedRequest(db, *w);
        judgeStoredResult(db, w->requestNum);
    }
    // A transfusion stopped for a febrile reaction: temperature and pulse after it are high.
    const WorkedRequest reaction{
        "R2605103", "R2603050", "CS-265103", "BB-0313",
        {{1, "0|1"}, {2, "0|1"}, {3, "BB-26-0322"}, {4, "01:00:00 PM"}, {5, "03/07/2026"}, {6, "Paolo Navarro, RMT"},
         {7, "03/07/2026"}, {8, "01:20:00 PM"}, {9, "01:30:00 PM"}, {10, "02:05:00 PM"}, {11, "120 mL"},
         {12, "Kristine Ramos, RN"}, {13, "O"}, {14, "POSITIVE"}, {15, "O"}, {16, "POSITIVE"}, {17, "36.9 C"},
         {18, "38.6 C"}, {19, "84"}, {21, "118"}, {22, "110/70"}, {23, "100/60"}, {24, "Kristine Ramos, RN"},
         {25, "1|1|1"}, {26, "1|0"}, {20, "COMPATIBLE"}, {27, "PACKED RED BLOOD CELLS"},
         {28, "Chills and fever 30 minutes into the transfusion; transfusion stopped, unit returned to the blood "
              "bank for a reaction work-up."}}};
    insertWorkedRequest(db, reaction);
    // It and the blood bank's uneventful one, judged as their saves would have judged them.
    for (const char *request : {"R2605103", "R2603501"})
        judgeStoredResult(db, request);
    db.run("INSERT INTO " + t("tbLabCriticalCall") +
               " (RequestNum, ExamCode, Field, FieldName, ResultValue, LimitText, NotifiedPerson, WardRole, CallTime, "
               "ReadBack, EmployeeCode, RecordedAt) VALUES ('R2605102', '101', 'result6', 'APTT, patient', '>120', "
               "'> 100', 'Nurse Ana Reyes', 'MEDICAL WARD 3F', '2026-03-07 09:35:00', 1, '0102', '2026-03-07 09:36:00')",
           {});
}

} // namespace labdb
