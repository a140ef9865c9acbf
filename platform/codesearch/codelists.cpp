#include "codesearch/codelists.h"

#include <QStringLiteral>

#include <vector>

namespace kestrix {

namespace {

CodeColumn col(const char *field, const char *heading, int widthChars = 0)
{
    return {QString::fromLatin1(field), QString::fromLatin1(heading), widthChars};
}

const std::vector<CodeList> &lists()
{
    static const std::vector<CodeList> all{
        {1, QStringLiteral("Laboratory Exams"), false,
         {col("LabExamID", "Code", 8), col("LabExam", "Exam"), col("LabSection", "Section", 22)}},
        {2, QStringLiteral("Specimens"), false, {col("SpecimenID", "Code", 8), col("Specimen", "Specimen")}},
        {3, QStringLiteral("Companies"), false,
         {col("CompanyID", "Code", 8), col("Company", "Company", 34), col("Address", "Address")}},
        {5, QStringLiteral("Exam Specimens"), false,
         {col("LabExamID", "Exam Code", 10), col("LabExam", "Exam", 30), col("Specimen", "Specimen")}},
        {6, QStringLiteral("Doctors"), false,
         {col("DoctorID", "Code", 8), col("Doctor", "Doctor", 30), col("Specialization", "Specialization")}},
        {7, QStringLiteral("Remarks"), false, {col("RemarkID", "Code", 8), col("Description", "Description")}},
        {8, QStringLiteral("Reagents"), false, {col("ReagentCode", "Code", 9), col("Reagent", "Reagent")}},
        {9, QStringLiteral("Normal Values by Reagent"), true,
         {col("Reagent", "Reagent", 26), col("sNValue", "Normal (SI)", 13), col("sUnit", "Unit", 8),
          col("CNValue", "Normal (Conv.)", 13), col("CUnit", "Unit")}},
        {10, QStringLiteral("Age Groups"), true,
         {col("BandNo", "No.", 4), col("Age", "Age Group", 26), col("RangeValue", "Normal Value", 13),
          col("Unit", "Unit")}},
        {27, QStringLiteral("Result Codes"), true, {col("code", "Code", 8), col("Description", "Description")}},
        {28, QStringLiteral("Interpretations"), true,
         {col("InterpretationID", "Code", 6), col("Interpretation", "Interpretation")}},
    };
    return all;
}

} // namespace

const CodeList *codeList(qint32 kind)
{
    for (const CodeList &list : lists()) {
        if (list.kind == kind)
            return &list;
    }
    return nullptr;
}

QList<qint32> codeListKinds()
{
    QList<qint32> kinds;
    for (const CodeList &list : lists())
        kinds.append(list.kind);
    return kinds;
}

} // namespace kestrix
