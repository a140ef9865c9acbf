// The demo analysers' test codes and the labels of the samples they run, so that demo messages
// sent to the receiver land on the chemistry requests.

#include "schema_parts.h"

namespace labdb {

namespace {

struct TestMap {
    const char *instrument, *test, *exam, *field, *unit, *factor;
};
constexpr TestMap kTestMap[] = {
    {"VIT250", "GLU", "136", "SI", "mmol/L", ""},
    {"VIT250", "Crea", "138", "SI", "umol/L", ""},
    {"VIT250", "TP", "255", "SI", "g/L", ""},
    // The AU480 reports uric acid in mg/dL; the laboratory stores SI.
    {"AU480", "UA", "150", "CONVENTIONAL", "mg/dL", ""},
};

struct Label {
    const char *sample, *request;
};
constexpr Label kLabels[] = {
    {"F-0311", "R2603031"}, {"K-0112", "R2603033"}, {"UP-0220", "R2603101"}, {"U-0150", "R2603045"},
};

} // namespace

void loadAnalyserDemo(Driver &db)
{
    for (const TestMap &m : kTestMap)
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabAnalyserTestMap") +
                   " (InstrumentID, TestCode, ExamCode, ResultField, Unit, Factor) VALUES (?, ?, ?, ?, ?, ?)",
               {m.instrument, m.test, m.exam, m.field, m.unit, m.factor});
    for (const Label &l : kLabels)
        db.run("INSERT INTO " + db.qualify(Database::Laboratory, "tbLabSampleLabel") +
                   " (SampleNum, RequestNum, LabelledAt) VALUES (?, ?, '2026-03-07 06:00:00')",
               {l.sample, l.request});
}

} // namespace labdb
