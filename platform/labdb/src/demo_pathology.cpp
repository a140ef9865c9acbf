// Demonstration pathology reports: a small-specimen histopathology with a long microscopic
// description, a body-fluid cytology and a Pap smear reported in Bethesda terms, each on a copy of
// the open demo request of its exam, so the open and the worked screen can be compared.

#include "labdb/schema.h"
#include "pathology_parts.h"

#include <string>
#include <vector>

namespace labdb {

namespace {

// A worked copy of an open request: its logbook row (number, reader) and a signed sign-off.
void copyRequest(Driver &db, const char *requestNum, const char *copyOf, const char *refNum, const char *number,
                 const Value &reader)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    db.run("INSERT INTO " + t("tbLabMaster") +
               " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
               "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, "
               "BloodType, Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ExamCode, "
               "SpecimenID, DoctorID, Rush, ?, ORNum, Transplant, Dialysis, ReaderID, PhysicianID, ResidentID, "
               "PathologistID, SupExamID, PatientType, Method, BloodType, 'F', RequestDate, ?, SendOuts FROM " +
               t("tbLabMaster") + " WHERE RequestNum = ?",
           {requestNum, refNum, "2026-03-06 16:30:00", copyOf});
    db.run("INSERT INTO " + t("tbLabLogbook") +
               " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, ReaderID, "
               "ResultDate, EntryMode, Remarks, Method, LoggedAt) VALUES (?, '', '0101', '2026-03-05 10:10:00', "
               "'2026-03-06 16:30:00', ?, ?, '2026-03-06 16:45:00', 0, '', '', '2026-03-06 16:45:00')",
           {requestNum, number, reader});
    db.run("INSERT INTO " + t("tbLabResultMedTech") +
               " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
               " VALUES (?, '0101', '2026-03-06 16:50:00', '', NULL, '', ?, 'W')",
           {requestNum, "Grace U. Lim, M.D."});
}

const char *const kMicroscopic =
    "Sections show fragments of endometrium in the secretory phase. The glands are tortuous with serrated "
    "luminal borders and contain intraluminal secretions; the lining cells show subnuclear and supranuclear "
    "vacuoles with basally placed, uniform round nuclei. Mitotic figures are not identified within the glandular "
    "epithelium.\n\n"
    "The stroma is oedematous in the superficial portions, with early predecidual change around the spiral "
    "arterioles. Scattered stromal granular lymphocytes are present. There is no stromal breakdown, and no "
    "plasma cells are identified on routine sections to suggest chronic endometritis.\n\n"
    "A separate fragment consists of a polypoid structure measuring 0.6 cm in greatest dimension, lined on three "
    "sides by surface epithelium. It is composed of irregularly distributed, variably dilated glands set in a "
    "fibrous stroma containing thick-walled blood vessels. The glands are lined by inactive to weakly "
    "proliferative epithelium without cytologic atypia.\n\n"
    "Fragments of benign endocervical mucosa with mucin-secreting columnar epithelium and squamous metaplasia "
    "are also seen. Strips of detached surface epithelium and blood clot are present.\n\n"
    "There is no evidence of atypical hyperplasia, endometrial intraepithelial neoplasia or malignancy in the "
    "sections examined. All tissue submitted was embedded (cassettes A1-A3); levels were examined on block A2.";

} // namespace

void loadPathologyDemo(Driver &db)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };

    // Endometrial curettings: a small specimen, reported and signed.
    copyRequest(db, "R2603701", "R2603004", "CS-264701", "S26-0142", std::string("1002"));
    db.run("INSERT INTO " + t("tbLabHistopath") +
               " (RequestNum, FormKind, PathologyNum, Specimen, clinicaldiagnosis, GrossDescription, Diagnosis, "
               "Comments, microscopic, diagnosis1, diagnosis2, ResultDate, ReaderID, PhysicianID, Physician, "
               "strRequestDate, samplesubmitted, lratime, ResidentID, Conforme, Signature, ConPathologist, "
               "EmployeeCode, SavedAt) VALUES (?, 'H', 'S26-0142', ?, ?, ?, ?, ?, ?, ?, ?, '2026-03-06 16:45:00', "
               "'1002', '1012', 'Ricardo B. Mendoza, M.D.', '03/04/2026 03:30 PM', '2026-03-05 10:10:00', "
               "'2026-03-06 16:30:00', '1020', '1', '1', 'Grace U. Lim, M.D.', '0101', '2026-03-06 16:45:00')",
           {"R2603701", "Endometrial curettings",
            "Abnormal uterine bleeding, 3 months; on no hormonal therapy.",
            "Received in formalin, labeled with the patient's name and \"endometrial curettings\", are multiple "
            "fragments of tan-red, soft tissue admixed with blood clot, measuring 2.5 x 2.0 x 0.5 cm in aggregate. "
            "Entirely submitted in three cassettes (A1-A3).",
            "ENDOMETRIUM, CURETTAGE:\n- Secretory phase endometrium.\n- Benign endometrial polyp.\n"
            "- Negative for atypical hyperplasia and malignancy.",
            "Clinical correlation is advised.", kMicroscopic, "Abnormal uterine bleeding, rule out endometrial polyp",
            "Endometrial polyp"});

    // Pleural fluid cytology: reported, not yet signed.
    copyRequest(db, "R2603702", "R2603008", "CS-264702", "C26-0088", std::string("1002"));
    db.run("DELETE FROM " + t("tbLabResultMedTech") + " WHERE RequestNum = ?", {"R2603702"});
    db.run("INSERT INTO " + t("tbLabHistopath") +
               " (RequestNum, FormKind, PathologyNum, Specimen, clinicaldiagnosis, GrossDescription, Diagnosis, "
               "Result1, Result2, Result3, ResultDate, ReaderID, PhysicianID, Physician, strRequestDate, "
               "samplesubmitted, lratime, ResidentID, Conforme, Signature, ConPathologist, EmployeeCode, SavedAt) "
               "VALUES (?, 'C', 'C26-0088', ?, ?, ?, ?, ?, '0|', '0|', '2026-03-06 16:45:00', '1002', '1010', "
               "'Jose P. Dela Cruz, M.D.', '03/03/2026 10:20 AM', '2026-03-05 10:10:00', '2026-03-06 16:30:00', "
               "'1021', '0', '0', '', '0101', '2026-03-06 16:45:00')",
           {"R2603702", "Pleural fluid, right, 120 mL, straw-coloured, slightly turbid",
            "Right pleural effusion; rule out malignancy.",
            "Cytospin and cell block preparations are moderately cellular, composed of reactive mesothelial cells "
            "singly and in small clusters, with abundant small mature lymphocytes and scattered macrophages. No "
            "malignant cells are seen.",
            "NEGATIVE FOR MALIGNANT CELLS.\nReactive mesothelial cells and lymphocytosis.",
            "1|Pleural fluid, right; thoracentesis"});

    // Cervical Pap smear in Bethesda terms, signed with the conforme of a second pathologist.
    copyRequest(db, "R2603703", "R2603007", "CS-264703", "P26-0311", Value());
    db.run("INSERT INTO " + t("tbLabPapsmear") +
               " (RequestNum, CytologyNum, LMP, Specimen, SpAdequacy, Generalcategory, Remarks, clinicaldiagnosis, "
               "ResultDate, ReaderID, PhysicianID, Physician, ResidentID, SA1, SA2, SpecimenType, EmployeeCode, "
               "SavedAt) VALUES (?, 'P26-0311', '02/20/2026', '1|0|1|0', '1|0', '0|1|', ?, ?, "
               "'2026-03-06 16:45:00', '1001', '1013', 'Carmela S. Reyes, M.D.', '', "
               "'Endocervical/transformation zone component present', '', '0', '0101', '2026-03-06 16:45:00')",
           {"R2603703",
            "EPITHELIAL CELL ABNORMALITY, SQUAMOUS CELL:\n"
            "Atypical squamous cells of undetermined significance (ASC-US).\n\n"
            "Other: Shift in flora suggestive of bacterial vaginosis.\n\n"
            "Recommendation: HPV testing; repeat cytology in 12 months if HPV-negative.",
            "Post-coital bleeding; G2P2."});
    db.run("INSERT INTO " + t("tbLabConforme") + " (RequestNum, Conforme, Signature, ConPathologist) VALUES "
               "(?, '1', '0', 'Maria L. Santos, M.D.')",
           {"R2603703"});
}

} // namespace labdb
