#pragma once
// The columns of Lab_Get_PatientInformation in the order the server returns them.

#include <string>
#include <vector>

namespace testsupport {

inline const std::vector<std::string> kPatientInfoColumns{
    "HospNum",    "IDNum",       "PatientName", "Sex",        "Age",       "CivilStatus", "RoomID",
    "Class",      "Ward",        "requestdate", "Doctor",     "Rush",      "RefNum",      "Transplant",
    "Dialysis",   "ORNum",       "ExamName",    "LabSection", "SectionID", "code",        "FormType",
    "ValueType",  "Pathologist", "SpecimenID",  "Specimen",   "Reader",    "ReaderID",    "Physician",
    "PhysicianID", "SupExamID",  "SupExam",     "ResidentId", "Resident",  "WithReagent", "PatientType",
    "Method",     "BloodType",   "DateFinished"};

} // namespace testsupport
