// Demonstration data: a small provincial hospital with its laboratory staff, the exam master and
// one open request for every way the result-entry component can treat an exam's format codes,
// so each screen (and each "not formatted" path) can be opened from a fresh database.

#include "labdb/schema.h"
#include "schema_parts.h"
#include "bloodbank_parts.h"
#include "examsets_parts.h"
#include "fluids_parts.h"
#include "packages_parts.h"
#include "serology_parts.h"
#include "clinical_parts.h"
#include "pathology_parts.h"
#include "microbiology_parts.h"
#include "stains_parts.h"
#include "interpretation_parts.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace labdb {

namespace {

struct Inserter {
    Driver &db;

    void operator()(Database where, const char *table, std::initializer_list<const char *> columns,
                    std::initializer_list<Value> values) const
    {
        std::string sql = "INSERT INTO " + db.qualify(where, table) + " (";
        std::string marks;
        bool first = true;
        for (const char *c : columns) {
            sql += (first ? "" : ", ") + std::string(c);
            marks += first ? "?" : ", ?";
            first = false;
        }
        db.run(sql + ") VALUES (" + marks + ")", std::vector<Value>(values));
    }
};

Value opt(const char *s)
{
    return s ? Value(s) : Value();
}

struct Doctor {
    const char *id, *last, *first, *middle, *specialization, *license;
};
// '84' marks a pathologist.
constexpr Doctor kDoctors[] = {
    {"1001", "Santos", "Maria Luisa", "Reyes", "84", "0081234"},
    {"1002", "Villanueva", "Antonio", "Cruz", "84", "0079561"},
    {"1003", "Lim", "Grace", "Uy", "84", "0093377"},
    {"1010", "Dela Cruz", "Jose", "Protacio", "12", "0068812"},
    {"1011", "Garcia", "Ana Marie", "Lim", "21", "0085540"},
    {"1012", "Mendoza", "Ricardo", "Bautista", "33", "0071209"},
    {"1013", "Reyes", "Carmela", "Santiago", "40", "0077465"},
    {"1014", "Tan", "Jonathan", "Uy", "15", "0090218"},
    {"1015", "Aquino", "Rosario", "Lopez", "18", "0074983"},
    {"1020", "Bautista", "Mark Anthony", "Perez", "90", "0112045"},
    {"1021", "Ramos", "Kristine Joy", "Dizon", "90", "0113871"},
};

struct Employee {
    const char *code, *last, *first, *middle, *license;
    int medTech;
    const char *position;
};
constexpr Employee kEmployees[] = {
    {"0101", "Castillo", "Liza Marie", "Santos", "0045123", 1, "Chief Medical Technologist"},
    {"0102", "Navarro", "Paolo Miguel", "Cruz", "0051987", 1, "Medical Technologist"},
    {"0103", "Fernandez", "Jessa Mae", "Ocampo", "0062340", 1, "Medical Technologist"},
    {"0104", "Soriano", "Kevin John", "Torres", "0070815", 1, "Medical Technologist"},
    {"0105", "Pascual", "Ramil", "Diaz", "", 0, "Laboratory Clerk"},
};

struct Section {
    const char *id, *name, *head;
};
constexpr Section kSections[] = {
    {"A", "CLINICAL CHEMISTRY", "1001"}, {"B", "HEMATOLOGY", "1002"},     {"C", "CLINICAL MICROSCOPY", "1001"},
    {"D", "MICROBIOLOGY", "1002"},       {"E", "SEROLOGY", "1001"},       {"F", "BLOOD BANK", "1002"},
    {"G", "HISTOPATHOLOGY", "1003"},     {"H", "CYTOLOGY", "1003"},
};

struct Specimen {
    const char *id, *name;
};
constexpr Specimen kSpecimens[] = {
    {"S01", "WHOLE BLOOD (EDTA)"}, {"S02", "SERUM"},         {"S03", "CITRATED PLASMA"},
    {"S04", "RANDOM URINE"},       {"S05", "STOOL"},         {"S06", "SPUTUM"},
    {"S07", "ARTERIAL BLOOD"},     {"S08", "SEMEN"},         {"S09", "TISSUE"},
    {"S10", "PLEURAL FLUID"},      {"S11", "CERVICOVAGINAL SMEAR"}, {"S12", "URINARY CALCULUS"},
};

struct Exam {
    const char *code, *name, *section, *specimen, *formType, *valueType;
    const char *withReagent; // nullptr: not set in the master
    const char *supExam;
};
// One exam for each row of the screen dispatch, the alternatives of a row included.
constexpr Exam kExams[] = {
    {"101", "APTT", "B", "S03", "H", "A", "1", ""},
    {"102", "STONE ANALYSIS", "C", "S12", "H", "B", "0", ""},
    {"103", "URINALYSIS", "C", "S04", "H", "U", "1", ""},
    {"104", "HISTOPATHOLOGY (SMALL SPECIMEN)", "G", "S09", "H", "H", "0", ""},
    {"105", "ESTROGEN/PROGESTERONE RECEPTOR", "G", "S09", "H", "H", "0", ""},
    {"106", "HER2/NEU (CERB-B2)", "G", "S09", "H", "H", "0", ""},
    {"107", "PAP SMEAR (BETHESDA)", "H", "S11", "H", "P", "0", ""},
    {"108", "CYTOLOGY (BODY FLUID)", "H", "S10", "H", "C", "0", ""},
    {"109", "URINE WRIGHT STAIN", "C", "S04", "H", "W", "0", ""},
    {"110", "ARTERIAL BLOOD GAS", "A", "S07", "H", "R", nullptr, ""},
    {"111", "STOOL EXAM (KATO THICK SMEAR)", "C", "S05", "H", "S", "0", ""},
    {"112", "BODY FLUID ANALYSIS", "C", "S10", "H", "L", "0", ""},
    {"113", "FECALYSIS", "C", "S05", "H", "T", "0", ""},
    {"114", "FECAL OCCULT BLOOD", "C", "S05", "H", "E", "0", ""},
    {"115", "STOOL OVA AND PARASITES", "C", "S05", "H", "O", "0", ""},
    {"116", "SEMEN ANALYSIS", "C", "S08", "H", "F", "0", ""},
    {"117", "PERIPHERAL BLOOD SMEAR", "B", "S01", "H", "2", "0", ""},
    {"118", "GRAM STAIN", "D", "S06", "H", "K", "1", ""},
    {"119", "THYROID FUNCTION TEST (FT3, FT4, TSH)", "E", "S02", "H", "X", "0", ""},
    {"120", "ANA PANEL", "E", "S02", "H", "Y", "0", ""},
    {"121", "EXECUTIVE CHECK-UP PACKAGE A", "A", "S02", "H", "Z", "0", ""},
    {"122", "PRE-EMPLOYMENT PANEL", "A", "S02", "H", "3", "0", ""},
    {"123", "AFB SMEAR (SPUTUM)", "D", "S06", "H", "4", "1", ""},
    {"124", "BONE MARROW ASPIRATION", "B", "S01", "H", "Q", "0", ""},
    {"130", "HBSAG SCREENING", "E", "S02", "P", "5", "0", ""},
    {"131", "DENGUE NS1 ANTIGEN", "E", "S02", "P", "D", "0", ""},
    {"132", "TYPHIDOT (IGM/IGG)", "E", "S02", "P", "I", "0", ""},
    {"133", "LIPID PROFILE", "A", "S02", "P", "2", "0", ""},
    {"134", "SERUM ELECTROLYTES (NA, K, CL)", "A", "S02", "P", "3", "0", ""},
    {"135", "LIVER FUNCTION PANEL", "A", "S02", "P", "6", "0", ""},
    {"136", "FASTING BLOOD SUGAR", "A", "S02", "P", "1", "1", "121"},
    {"137", "BLOOD UREA NITROGEN", "A", "S02", "P", "7", "0", "121"},
    {"138", "CREATININE", "A", "S02", "P", "8", "1", ""},
    {"139", "HBA1C", "A", "S01", "P", "B", "0", ""},
    {"140", "IRON STUDIES", "A", "S02", "P", "9", "0", ""},
    {"141", "DENGUE IGG/IGM", "E", "S02", "D", "", "0", ""},
    {"142", "URINE CULTURE AND SENSITIVITY", "D", "S04", "J", "", "0", ""},
    {"143", "COMPLETE BLOOD COUNT", "B", "S01", "2", "", "0", ""},
    {"144", "BLOOD CHEMISTRY PANEL", "A", "S02", "3", "", "0", ""},
    {"145", "CARDIAC ENZYMES (CK-MB, TROPONIN I)", "A", "S02", "6", "", "0", ""},
    {"146", "COAGULATION PROFILE (PT, APTT)", "B", "S03", "9", "", "0", ""},
    {"147", "ORAL GLUCOSE TOLERANCE TEST (75 G)", "A", "S02", "4", "", "0", ""},
    {"148", "SGPT (ALT)", "A", "S02", "1", "", "0", ""},
    {"149", "SGOT (AST)", "A", "S02", "7", "", "0", ""},
    {"150", "URIC ACID", "A", "S02", "8", "", "0", ""},
    {"151", "TOTAL CHOLESTEROL", "A", "S02", "B", "", "0", "121"},
    {"152", "RPR (SYPHILIS SCREENING)", "E", "S02", "5", "", "0", ""},
    {"153", "WIDAL TEST", "E", "S02", "W", "", "0", ""},
    {"154", "HIV 1/2 SCREENING", "E", "S02", "I", "", "0", ""},
    {"155", "CROSSMATCHING (PACKED RBC)", "F", "S01", "X", "1", "0", ""},
    {"156", "CROSSMATCHING (WHOLE BLOOD)", "F", "S01", "X", "2", "0", ""},
    {"157", "BLOOD TYPING (ABO/RH)", "F", "S01", "X", "3", "0", ""},
    {"158", "PROTIME WITH INR", "B", "S03", "K", "", "0", ""},
    {"159", "VITAMIN D, 25-HYDROXY (SEND-OUT)", "E", "S02", "Q", "", "0", ""},
    {"160", "SPECIMEN HANDLING FEE", "A", "S02", "Z", "", "0", ""},
    {"161", "MALARIAL SMEAR", "B", "S01", "h", "", "0", ""},
    {"162", "SPUTUM CYTOLOGY", "H", "S06", "", "", "0", ""},
};

struct Reagent {
    const char *code, *name;
};
// Reagent codes stay within five characters: screens key normal values on the last five.
constexpr Reagent kReagents[] = {
    {"R0101", "APTT REAGENT KIT"},         {"R0201", "GLUCOSE - VITROS 250"},
    {"R0202", "GLUCOSE - MANUAL (GOD-PAP)"}, {"R0301", "URINE REAGENT STRIP 10P"},
    {"R0401", "ZIEHL-NEELSEN STAIN KIT"},  {"R0402", "GRAM STAIN KIT"},
    {"R0501", "CREATININE - VITROS 250"},
};

struct ExamReagent {
    const char *exam, *reagent, *location, *qty;
};
constexpr ExamReagent kExamReagents[] = {
    {"101", "R0101", "LAB", "1"}, {"103", "R0301", "LAB", "1"}, {"118", "R0402", "LAB", "1"},
    {"123", "R0401", "LAB", "1"}, {"136", "R0201", "LAB", "1"}, {"136", "R0202", "LAB", "1"},
    {"138", "R0501", "LAB", "1"},
};

struct Patient {
    const char *hospNum, *last, *first, *middle, *sex, *birth, *civil, *address;
};
constexpr Patient kPatients[] = {
    {"10023451", "Dela Cruz", "Juan", "Santos", "M", "1968-04-12", "Married", "12 Mabini St., San Roque, Tarlac City"},
    {"10023452", "Reyes", "Maria Cristina", "Bautista", "F", "1985-09-30", "Married", "45 Rizal Ave., Capas, Tarlac"},
    {"10023453", "Bautista", "Angelo Miguel", "Ramos", "M", "2019-02-14", "Single", "7 Luna St., Concepcion, Tarlac"},
    {"10023454", "Villanueva", "Lourdes", "Garcia", "F", "1947-11-02", "Widowed", "88 Burgos St., Paniqui, Tarlac"},
    {"10023455", "Gonzales", "Ricardo", "Tan", "M", "1990-06-18", "Single", "3 Quezon Blvd., Tarlac City"},
    {"10023456", "Mercado", "Andrea Nicole", "Lim", "F", "2001-01-25", "Single", "21 Del Pilar St., Gerona, Tarlac"},
    {"10023457", "Castro", "Baby Boy", "Navarro", "M", "2025-12-20", "Single", "9 Aguinaldo St., Victoria, Tarlac"},
    {"10023458", "Santiago", "Rosalinda", "Manalo", "F", "1972-08-08", "Married", "64 Bonifacio St., Camiling, Tarlac"},
    {"10023459", "Ocampo", "Ferdinand", "Aquino", "M", "1958-03-03", "Married", "15 Jacinto St., La Paz, Tarlac"},
    {"10023460", "Domingo", "Kristel Ann", "Flores", "F", "1996-12-11", "Married", "30 Magsaysay Ave., Tarlac City"},
    {"10023461", "Pascual", "Nestor", "Villareal", "M", "1980-05-27", "Separated", "2 Osmena St., Bamban, Tarlac"},
    {"10023462", "Lopez", "Jasmine", "Rivera", "F", "2010-07-19", "Single", "18 Roxas St., Moncada, Tarlac"},
    {"10023463", "Torres", "Emmanuel", "Cruz", "M", "1966-10-05", "Married", "5 Laurel St., Santa Ignacia, Tarlac"},
    {"10023464", "Aguilar", "Mary Grace", "Salazar", "F", "1979-02-28", "Married", "77 Zamora St., Tarlac City"},
    {"10023465", "Navarro", "Baby Girl", "Perez", "F", "2026-02-27", "Single", "40 Gomez St., San Jose, Tarlac"},
    {"10023466", "Fernandez", "Rolando", "Medina", "M", "1952-09-14", "Married", "11 Silang St., Pura, Tarlac"},
};

struct Admission {
    const char *idNum, *hospNum, *date, *room, *cls, *ward, *type, *doctor;
};
constexpr Admission kAdmissions[] = {
    {"A26-00101", "10023451", "2026-03-01 09:15:00", "305-A", "PAY", "MEDICAL WARD 3F", "I", "1010"},
    {"A26-00102", "10023453", "2026-03-04 21:40:00", "PEDIA-2", "SERVICE", "PEDIA WARD", "I", "1011"},
    {"A26-00103", "10023454", "2026-02-28 03:05:00", "ICU-04", "PAY", "INTENSIVE CARE UNIT", "I", "1015"},
    {"A26-00104", "10023457", "2026-03-02 14:20:00", "NICU-1", "SERVICE", "NICU", "I", "1011"},
    {"A26-00105", "10023458", "2026-03-03 10:00:00", "412", "PAY", "SURGICAL WARD 4F", "I", "1012"},
    {"A26-00106", "10023460", "2026-03-05 06:30:00", "OB-203", "PAY", "OB WARD", "I", "1013"},
    {"A26-00107", "10023463", "2026-03-02 16:45:00", "306-B", "SERVICE", "MEDICAL WARD 3F", "I", "1010"},
    {"A26-00108", "10023465", "2026-02-27 23:55:00", "NURSERY-3", "PAY", "NURSERY", "I", "1011"},
    {"A26-00109", "10023466", "2026-03-01 11:10:00", "410", "PAY", "SURGICAL WARD 4F", "I", "1012"},
    {"O26-00201", "10023452", "2026-03-06 08:05:00", "", "PAY", "OPD", "O", "1013"},
    {"O26-00202", "10023455", "2026-03-06 08:40:00", "", "PAY", "OPD", "O", "1010"},
    {"O26-00203", "10023456", "2026-03-07 07:50:00", "", "PAY", "OPD", "O", "1010"},
    {"O26-00204", "10023459", "2026-03-06 06:00:00", "HD-07", "PHILHEALTH", "DIALYSIS CENTER", "O", "1014"},
    {"O26-00205", "10023462", "2026-03-07 09:20:00", "", "PAY", "OPD", "O", "1011"},
    {"O26-00206", "10023464", "2026-03-06 13:30:00", "", "PAY", "OPD", "O", "1013"},
    {"E26-00301", "10023461", "2026-03-07 02:15:00", "ER-3", "PAY", "EMERGENCY ROOM", "E", "1015"},
};

struct Request {
    const char *requestNum, *exam, *idNum, *doctor, *requestDate, *rush;
    const char *reader, *physician, *resident, *pathologist, *bloodType, *sendOuts;
};
// Walk-in (OPD) requests carry an official receipt; the others are charged to the admission.
constexpr Request kRequests[] = {
    {"R2603001", "101", "A26-00107", "1010", "2026-03-06 07:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603002", "102", "O26-00202", "1010", "2026-03-06 09:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603003", "103", "A26-00102", "1011", "2026-03-05 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603004", "104", "A26-00105", "1012", "2026-03-04 15:30:00", "N", "1002", "1012", "1020", "1003", "", nullptr},
    {"R2603005", "105", "A26-00105", "1012", "2026-03-04 15:30:00", "N", "1003", "1012", "1020", "", "", nullptr},
    {"R2603006", "106", "A26-00105", "1012", "2026-03-04 15:30:00", "N", "1003", "1012", "1021", "", "", nullptr},
    {"R2603007", "107", "O26-00206", "1013", "2026-03-06 13:45:00", "N", "1001", "1013", "", "", "", nullptr},
    {"R2603008", "108", "A26-00101", "1010", "2026-03-03 10:20:00", "N", "1002", "1010", "1021", "", "", nullptr},
    {"R2603009", "109", "A26-00109", "1012", "2026-03-05 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603010", "110", "A26-00103", "1015", "2026-03-07 04:30:00", "Y", "", "", "", "", "", nullptr},
    {"R2603011", "111", "O26-00205", "1011", "2026-03-07 09:35:00", "N", "", "", "", "", "", nullptr},
    {"R2603012", "112", "A26-00101", "1010", "2026-03-03 10:20:00", "N", "", "", "", "", "", nullptr},
    {"R2603013", "113", "A26-00102", "1011", "2026-03-05 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603014", "114", "A26-00107", "1010", "2026-03-06 07:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603015", "115", "O26-00205", "1011", "2026-03-07 09:35:00", "N", "", "", "", "", "", nullptr},
    {"R2603016", "116", "O26-00202", "1010", "2026-03-06 09:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603017", "117", "A26-00104", "1011", "2026-03-03 08:15:00", "N", "", "", "", "", "", nullptr},
    {"R2603018", "118", "A26-00103", "1015", "2026-03-01 05:40:00", "Y", "", "", "", "", "", nullptr},
    {"R2603019", "119", "O26-00206", "1013", "2026-03-06 13:45:00", "N", "", "", "", "", "", nullptr},
    {"R2603020", "120", "O26-00201", "1013", "2026-03-06 08:20:00", "N", "", "", "", "", "", nullptr},
    {"R2603021", "121", "O26-00203", "1010", "2026-03-07 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603022", "122", "O26-00203", "1010", "2026-03-07 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603023", "123", "A26-00107", "1015", "2026-03-06 07:10:00", "N", "", "", "", "", "", "N"},
    {"R2603024", "124", "A26-00109", "1012", "2026-03-05 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603025", "130", "A26-00106", "1013", "2026-03-05 07:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603026", "131", "A26-00102", "1011", "2026-03-05 06:00:00", "Y", "", "", "", "", "", nullptr},
    {"R2603027", "132", "E26-00301", "1015", "2026-03-07 02:40:00", "Y", "", "", "", "", "", nullptr},
    {"R2603028", "133", "O26-00202", "1010", "2026-03-06 09:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603029", "134", "A26-00103", "1015", "2026-03-07 04:30:00", "Y", "", "", "", "", "", nullptr},
    {"R2603030", "135", "A26-00101", "1010", "2026-03-03 10:20:00", "N", "", "", "", "", "", nullptr},
    {"R2603031", "136", "O26-00203", "1010", "2026-03-07 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603032", "137", "O26-00204", "1014", "2026-03-06 06:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603033", "138", "O26-00204", "1014", "2026-03-06 06:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603034", "139", "O26-00202", "1010", "2026-03-06 09:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603035", "140", "A26-00106", "1013", "2026-03-05 07:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603036", "141", "A26-00102", "1011", "2026-03-05 06:00:00", "Y", "", "", "", "", "", nullptr},
    {"R2603037", "142", "A26-00101", "1010", "2026-03-02 09:30:00", "N", "", "", "", "", "", nullptr},
    {"R2603038", "143", "A26-00108", "1011", "2026-03-01 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603039", "144", "A26-00107", "1010", "2026-03-06 07:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603040", "145", "E26-00301", "1015", "2026-03-07 02:40:00", "Y", "", "", "", "", "", nullptr},
    {"R2603041", "146", "A26-00105", "1012", "2026-03-04 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603042", "147", "A26-00106", "1013", "2026-03-06 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603043", "148", "A26-00109", "1012", "2026-03-05 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603044", "149", "A26-00109", "1012", "2026-03-05 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603045", "150", "O26-00202", "1010", "2026-03-06 09:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603046", "151", "O26-00203", "1010", "2026-03-07 08:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603047", "152", "A26-00106", "1013", "2026-03-05 07:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603048", "153", "A26-00102", "1011", "2026-03-05 06:00:00", "N", "", "", "", "", "", nullptr},
    {"R2603049", "154", "O26-00201", "1013", "2026-03-06 08:20:00", "N", "", "", "", "", "", nullptr},
    {"R2603050", "155", "E26-00301", "1015", "2026-03-07 03:00:00", "Y", "", "", "", "", "O+", nullptr},
    {"R2603051", "156", "A26-00106", "1013", "2026-03-06 05:50:00", "Y", "", "", "", "", "A+", nullptr},
    {"R2603052", "157", "A26-00104", "1011", "2026-03-03 08:15:00", "N", "", "", "", "", "", nullptr},
    {"R2603053", "158", "A26-00103", "1015", "2026-03-07 04:30:00", "Y", "", "", "", "", "", nullptr},
    {"R2603054", "159", "O26-00201", "1013", "2026-03-06 08:20:00", "N", "", "", "", "", "", "Y"},
    {"R2603055", "160", "O26-00206", "1013", "2026-03-06 13:45:00", "N", "", "", "", "", "", nullptr},
    {"R2603056", "161", "A26-00107", "1010", "2026-03-06 07:10:00", "N", "", "", "", "", "", nullptr},
    {"R2603057", "162", "A26-00101", "1010", "2026-03-03 10:20:00", "N", "", "", "", "", "", nullptr},
};

struct Instrument {
    const char *id, *instrumentId, *name, *maker, *model, *section, *location, *reagent;
};
constexpr Instrument kInstruments[] = {
    {"1", "VIT250", "VITROS 250", "Ortho Clinical Diagnostics", "VITROS 250", "A", "CHEMISTRY BENCH 1", "R0201"},
    {"2", "XN350", "SYSMEX XN-350", "Sysmex", "XN-350", "B", "HEMATOLOGY BENCH", ""},
    {"3", "ABL80", "RADIOMETER ABL80 FLEX", "Radiometer", "ABL80 FLEX", "A", "BLOOD GAS ROOM", ""},
    {"4", "CS1600", "SYSMEX CS-1600", "Sysmex", "CS-1600", "B", "COAGULATION BENCH", "R0101"},
};

const Admission *admissionOf(const char *idNum)
{
    for (const Admission &a : kAdmissions) {
        if (std::string_view(a.idNum) == idNum)
            return &a;
    }
    throw DbError("Demo request refers to an unknown admission " + std::string(idNum) + ".");
}

bool hasData(Driver &db, Database where, const char *table)
{
    return !db.run("SELECT 1 FROM " + db.qualify(where, table) + " LIMIT 1", {}).rows.empty();
}

} // namespace

const std::vector<DemoOpening> &demoOpenings()
{
    static const std::vector<DemoOpening> openings{
        {"frmERAPRA", "R2603503", 12, false, true},        {"frmERAPRA", "R2603005", 12, false, false},
        {"frmCerb", "R2603504", 605, false, true},         {"frmCerb", "R2603006", 605, false, false},
        {"frmMicrobiology", "R2603806", 0, true, true},    {"frmMicrobiology", "R2603807", 0, true, false},
        {"frmSpermCount", "R2604305", 0, true, true},      {"frmSpermCount", "R2604306", 0, true, false},
    };
    return openings;
}

void loadDemoData(Driver &db)
{
    upgradeSchema(db);
    Transaction tx(db);
    // Serialises two loaders on a new database the same way schema upgrades are serialised.
    db.run("SELECT Version FROM " + db.qualify(Database::Laboratory, "tbSchemaVersion") + db.lockClause(), {});
    // A configured hospital, demo or real, is never mixed with demonstration data.
    if (hasData(db, Database::PatientData, "tbHospitalInfo") || hasData(db, Database::BuildFile, "tbCoLabExam"))
        return;

    const Inserter insert{db};
    insert(Database::PatientData, "tbHospitalInfo",
           {"HospitalID", "Title", "Company", "address1", "address2", "TelNo", "Email"},
           {"1", "San Isidro Doctors Hospital", "San Isidro Doctors Hospital, Inc.",
            "123 MacArthur Highway, San Isidro, Tarlac City 2300", "Tarlac, Philippines", "(045) 982-1234",
            "laboratory@sidh.example.ph"});

    for (const Doctor &d : kDoctors)
        insert(Database::BuildFile, "tbCoDoctor",
               {"DoctorID", "LastName", "FirstName", "MiddleName", "specializationid", "LicenseNo"},
               {d.id, d.last, d.first, d.middle, d.specialization, d.license});
    for (const Employee &e : kEmployees)
        insert(Database::Laboratory, "tbLabEmployee",
               {"EmployeeCode", "LastName", "FirstName", "MiddleName", "License", "IsMedTech", "Position", "Status"},
               {e.code, e.last, e.first, e.middle, e.license, std::to_string(e.medTech), e.position, "A"});
    for (const Section &s : kSections)
        insert(Database::BuildFile, "tbCoLabSection", {"SectionID", "LabSection", "SectionHead"},
               {s.id, s.name, s.head});
    for (const Specimen &s : kSpecimens)
        insert(Database::BuildFile, "tbCoLabSpecimen", {"SpecimenID", "Specimen"}, {s.id, s.name});
    for (const Exam &e : kExams)
        insert(Database::BuildFile, "tbCoLabExam",
               {"Code", "ExamName", "SectionID", "SpecimenID", "FormType", "ValueType", "WithReagent", "SupExamID",
                "Status"},
               {e.code, e.name, e.section, e.specimen, e.formType, e.valueType, opt(e.withReagent), e.supExam, "A"});
    for (const Reagent &r : kReagents)
        insert(Database::BuildFile, "TbCoLabReagents", {"ReagentCode", "Reagent"}, {r.code, r.name});
    for (const ExamReagent &r : kExamReagents)
        insert(Database::BuildFile, "tbcoLabExamReagent", {"LabExamID", "ReagentID", "LocationID", "ReagentQty"},
               {r.exam, r.reagent, r.location, r.qty});
    for (const Instrument &i : kInstruments)
        insert(Database::Laboratory, "tbLabInstrumentName",
               {"ID", "InstrumentID", "InstrumentName", "Manufacturer", "Model", "SectionID", "Location",
                "ReagentCode"},
               {i.id, i.instrumentId, i.name, i.maker, i.model, i.section, i.location, i.reagent});

    for (const Patient &p : kPatients)
        insert(Database::PatientData, "tbPatientMaster",
               {"HospNum", "LastName", "FirstName", "MiddleName", "Sex", "BirthDate", "CivilStatus", "Address"},
               {p.hospNum, p.last, p.first, p.middle, p.sex, std::string(p.birth) + " 00:00:00", p.civil, p.address});
    for (const Admission &a : kAdmissions)
        insert(Database::PatientData, "tbAdmission",
               {"IDNum", "HospNum", "AdmissionDate", "RoomID", "Class", "Ward", "PatientType", "AttendingDoctorID"},
               {a.idNum, a.hospNum, a.date, a.room, a.cls, a.ward, a.type, a.doctor});

    int serial = 0;
    for (const Request &r : kRequests) {
        ++serial;
        const Admission &a = *admissionOf(r.idNum);
        const bool walkIn = std::string_view(a.type) == "O";
        const std::string number = std::to_string(4180 + serial);
        const bool dialysis = std::string_view(a.ward) == "DIALYSIS CENTER";
        insert(Database::Laboratory, "tbLabMaster",
               {"RequestNum", "HospNum", "IDNum", "ExamCode", "SpecimenID", "DoctorID", "Rush", "RefNum", "ORNum",
                "Transplant", "Dialysis", "ReaderID", "PhysicianID", "ResidentID", "PathologistID", "SupExamID",
                "PatientType", "Method", "BloodType", "Status", "RequestDate", "DateFinished", "SendOuts"},
               {r.requestNum, a.hospNum, r.idNum, r.exam, "", r.doctor, r.rush, "CS-26" + number,
                walkIn ? "OR-" + number : std::string(), "N", dialysis ? "Y" : "N", r.reader, r.physician,
                r.resident, r.pathologist, "", "", "", r.bloodType, "O", r.requestDate, Value(), opt(r.sendOuts)});
    }
    loadReagentDemo(db);
    loadSignOffDemo(db);
    loadResultDemo(db);
    loadPathologyDemo(db);
    loadMicroscopyDemo(db);
    loadChemistryDemo(db);
    loadAnalyserDemo(db);
    loadMicrobiologyDemo(db);
    loadStainsDemo(db);
    loadBloodBankDemo(db);
    loadExamSetDemo(db);
    loadInterpretationDemo(db);
    loadFluidsDemo(db);
    loadPackagesDemo(db);
    loadSerologyDemo(db);
    loadClinicalDemo(db);
    tx.commit();
}

} // namespace labdb
