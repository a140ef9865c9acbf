// The anatomic pathology reports. Long descriptions are TEXT on both backends: a microscopic
// description of tens of thousands of characters is stored and read back unchanged.

#include "columns.h"
#include "pathology_parts.h"

namespace labdb {

using namespace columns;

std::vector<TableDef> pathologyTables()
{
    std::vector<TableDef> t;
    // Surgical pathology and cytology share one report row: the screens read both through the same
    // loader, the number under the name of either.
    t.push_back({Database::Laboratory,
                 "tbLabHistopath",
                 {key("RequestNum"),
                  textNN("FormKind"),    // "H" histopathology, "C" cytology: the screen that saved it
                  textNN("PathologyNum"), // histopathology or cytology number
                  textNN("Specimen"),
                  textNN("clinicaldiagnosis"),
                  textNN("GrossDescription"), // cytology: the findings
                  textNN("Diagnosis"),
                  textNN("Comments"),
                  textNN("microscopic"),
                  textNN("diagnosis1"), // pre-operative
                  textNN("diagnosis2"), // post-operative
                  textNN("Result1"),    // cytology sources: "<0|1>|<note>"
                  textNN("Result2"),
                  textNN("Result3"),
                  dateTime("ResultDate"),
                  textNN("ReaderID"),
                  textNN("PhysicianID"),
                  textNN("Physician"),
                  textNN("strRequestDate"),
                  dateTime("samplesubmitted"),
                  dateTime("lratime"),
                  textNN("ResidentID"),
                  textNN("Conforme"),
                  textNN("Signature"),
                  textNN("ConPathologist"),
                  textNN("EmployeeCode"), // who saved last
                  dateTime("SavedAt"),
                  dateTime("AmendedAt"), // set when a signed report is saved again
                  textNN("AmendedBy")},
                 {"RequestNum"}});

    t.push_back({Database::Laboratory,
                 "tbLabPapsmear",
                 {key("RequestNum"),
                  textNN("CytologyNum"),
                  textNN("LMP"),
                  textNN("Specimen"),        // "0|0|0|0": cervical, vaginal, endocervical, endometrial
                  textNN("SpAdequacy"),      // "1|0": satisfactory, unsatisfactory
                  textNN("Generalcategory"), // "1|0|": negative, epithelial cell abnormality
                  textNN("Remarks"),         // the descriptive interpretation
                  textNN("clinicaldiagnosis"),
                  dateTime("ResultDate"),
                  textNN("ReaderID"),
                  textNN("PhysicianID"),
                  textNN("Physician"),
                  textNN("ResidentID"),
                  textNN("SA1"),
                  textNN("SA2"),
                  textNN("SpecimenType"), // "0" conventional, "1" liquid based, "" not said
                  textNN("EmployeeCode"),
                  dateTime("SavedAt"),
                  dateTime("AmendedAt"),
                  textNN("AmendedBy")},
                 {"RequestNum"}});

    // The concurring pathologist and the scanned-signature choice of a report.
    t.push_back({Database::Laboratory,
                 "tbLabConforme",
                 {key("RequestNum"), textNN("Conforme"), textNN("Signature"), textNN("ConPathologist")},
                 {"RequestNum"}});
    return t;
}

} // namespace labdb
