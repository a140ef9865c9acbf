// What the analyser receiver needs beside the analyser results table: which laboratory exam an
// analyser's test reports, the sample labels the laboratory knows, the messages already stored (so
// a retransmission is stored once), and the results it could not place yet.

#include "columns.h"
#include "schema_parts.h"

#include <vector>

namespace labdb {

using namespace columns;

std::vector<TableDef> analyserTables()
{
    std::vector<TableDef> t;

    // (analyser, its test code) -> exam. ResultField "SI" stores the value as SI; "CONVENTIONAL"
    // converts it by the exam's format factor first. Factor, when set, multiplies the value sent.
    t.push_back({Database::Laboratory,
                 "tbLabAnalyserTestMap",
                 {key("InstrumentID"),
                  key("TestCode"),
                  textNN("ExamCode"),
                  textNN("ResultField"),
                  textNN("Unit"),
                  textNN("Factor")},
                 {"InstrumentID", "TestCode"}});

    // Sample labels printed at collection, so a result can be told to belong to a request before
    // anyone has typed its sample number.
    t.push_back({Database::Laboratory,
                 "tbLabSampleLabel",
                 {key("SampleNum"), textNN("RequestNum"), dateTime("LabelledAt")},
                 {"SampleNum"}});

    t.push_back({Database::Laboratory,
                 "tbLabAnalyserMessage",
                 {key("InstrumentID"), key("MessageKey"), integerNN("Results"), integerNN("Quarantined"),
                  dateTime("ReceivedAt")},
                 {"InstrumentID", "MessageKey"}});

    // Nothing an analyser sends is dropped: what cannot be stored yet waits here with the reason.
    t.push_back({Database::Laboratory,
                 "tbLabAnalyserQuarantine",
                 {serial("QuarantineID"),
                  textNN("InstrumentID"),
                  textNN("MessageKey"),
                  textNN("SampleNum"),
                  textNN("TestCode"),
                  textNN("Value"),
                  textNN("Unit"),
                  textNN("Flags"),
                  textNN("Status"),
                  textNN("ResultTime"),
                  textNN("RawRecord"),
                  textNN("Reason"),
                  dateTime("ReceivedAt"),
                  dateTime("StoredAt")},
                 {}});
    return t;
}

} // namespace labdb
