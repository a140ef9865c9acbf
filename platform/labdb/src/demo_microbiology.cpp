// Demonstration data of microbiology: the antibiotic and organism master files, the antibiotic
// panels by organism group, and culture requests: a urine culture growing E. coli (final), a
// sputum culture with two organisms (preliminary) and one still open, a wound culture with four
// organisms, and a urine culture with no growth.

#include "microbiology_parts.h"

#include <string>
#include <tuple>
#include <vector>

namespace labdb {

namespace {

struct Antibiotic {
    const char *code, *description, *status, *drugClass;
};
// Disc-diffusion antibiotics of the bench; chloramphenicol is kept but no longer tested routinely.
constexpr Antibiotic kAntibiotics[] = {
    {"AMK", "Amikacin", "A", "Aminoglycoside"},
    {"AMC", "Amoxicillin-clavulanate", "A", "Penicillin + inhibitor"},
    {"AMP", "Ampicillin", "A", "Penicillin"},
    {"SAM", "Ampicillin-sulbactam", "A", "Penicillin + inhibitor"},
    {"CZO", "Cefazolin", "A", "Cephalosporin I"},
    {"FEP", "Cefepime", "A", "Cephalosporin IV"},
    {"CAZ", "Ceftazidime", "A", "Cephalosporin III"},
    {"CRO", "Ceftriaxone", "A", "Cephalosporin III"},
    {"CXM", "Cefuroxime", "A", "Cephalosporin II"},
    {"CHL", "Chloramphenicol", "I", "Phenicol"},
    {"CIP", "Ciprofloxacin", "A", "Fluoroquinolone"},
    {"CLI", "Clindamycin", "A", "Lincosamide"},
    {"ERY", "Erythromycin", "A", "Macrolide"},
    {"GEN", "Gentamicin", "A", "Aminoglycoside"},
    {"IPM", "Imipenem", "A", "Carbapenem"},
    {"LVX", "Levofloxacin", "A", "Fluoroquinolone"},
    {"LNZ", "Linezolid", "A", "Oxazolidinone"},
    {"MEM", "Meropenem", "A", "Carbapenem"},
    {"NIT", "Nitrofurantoin", "A", "Nitrofuran"},
    {"OXA", "Oxacillin", "A", "Penicillin (stable)"},
    {"PEN", "Penicillin", "A", "Penicillin"},
    {"TZP", "Piperacillin-tazobactam", "A", "Penicillin + inhibitor"},
    {"TCY", "Tetracycline", "A", "Tetracycline"},
    {"SXT", "Trimethoprim-sulfamethoxazole", "A", "Folate pathway inhibitor"},
    {"VAN", "Vancomycin", "A", "Glycopeptide"},
};

struct Organism {
    const char *code, *name, *group;
};
constexpr Organism kOrganisms[] = {
    {"ECO", "Escherichia coli", "Enterics"},
    {"KPN", "Klebsiella pneumoniae", "Enterics"},
    {"PMI", "Proteus mirabilis", "Enterics"},
    {"PAE", "Pseudomonas aeruginosa", "Enterics"},
    {"ABA", "Acinetobacter baumannii", "Enterics"},
    {"SAU", "Staphylococcus aureus", "Staphylococcus/Enterococcus"},
    {"SEP", "Staphylococcus epidermidis", "Staphylococcus/Enterococcus"},
    {"EFA", "Enterococcus faecalis", "Staphylococcus/Enterococcus"},
    {"SPN", "Streptococcus pneumoniae", "Streptococcus"},
    {"SPY", "Streptococcus pyogenes", "Streptococcus"},
};

struct Panel {
    const char *list, *letter;
    std::vector<const char *> antibiotics;
};
// Lists 1 and 2: enterics; 3 and 4: staphylococci and enterococci; 5 and 6: streptococci.
const std::vector<Panel> &panels()
{
    static const std::vector<Panel> all{
        {"1", "A", {"AMP", "CZO", "GEN"}},
        {"1", "B", {"AMC", "SAM", "CXM", "CRO", "CIP", "LVX", "SXT", "TZP", "IPM", "MEM", "AMK"}},
        {"1", "C", {"FEP", "CAZ", "TCY"}},
        {"1", "U", {"NIT"}},
        {"2", "A", {"CAZ", "GEN"}},
        {"2", "B", {"AMK", "FEP", "CIP", "LVX", "IPM", "MEM", "TZP"}},
        {"3", "A", {"OXA", "PEN", "ERY", "CLI", "SXT"}},
        {"3", "B", {"VAN", "LNZ", "TCY"}},
        {"3", "C", {"CIP", "GEN", "CHL"}},
        {"3", "U", {"NIT"}},
        {"4", "A", {"AMP", "PEN"}},
        {"4", "B", {"VAN", "LNZ"}},
        {"4", "C", {"GEN"}},
        {"4", "U", {"NIT", "CIP", "TCY"}},
        {"5", "A", {"ERY", "PEN", "SXT"}},
        {"5", "B", {"CRO", "VAN", "LVX", "CLI"}},
        {"5", "C", {"CHL", "TCY"}},
        {"6", "A", {"CLI", "ERY"}},
        {"6", "B", {"PEN", "CRO", "VAN"}},
        {"6", "C", {"CHL", "LVX"}},
    };
    return all;
}

struct Code {
    const char *antibiotic, *organism, *result, *zone;
};

struct Culture {
    const char *requestNum, *exam, *idNum, *doctor, *requestDate, *accession;
    const char *final;
    const char *specimen, *result, *microscopy, *colonyCount;
    const char *org[4];
    const char *additional;
    std::vector<Code> codes;
};

const std::vector<Culture> &cultures()
{
    static const std::vector<Culture> all{
        {"R2603801", "142", "O26-00206", "1013", "2026-03-04 08:30:00", "MB-0481", "Y",
         "Urine, midstream clean-catch",
         "Escherichia coli isolated.\nColony count above 100,000 CFU/mL: significant bacteriuria.",
         "Gram-negative bacilli seen. Pus cells 15-20 /hpf.", ">100,000 CFU/mL",
         {"Escherichia coli", "", "", ""},
         "Extended-spectrum beta-lactamase screen negative.",
         {{"AMP", "1", "R", "6"},  {"AMC", "1", "I", "15"}, {"CZO", "1", "R", "10"},
          {"CXM", "1", "S", "19"}, {"CRO", "1", "S", "28"}, {"CIP", "1", "R", "12"},
          {"LVX", "1", "R", "13"}, {"GEN", "1", "S", "18"}, {"AMK", "1", "S", "21"},
          {"IPM", "1", "S", "27"}, {"MEM", "1", "S", "29"}, {"NIT", "1", "S", "20"},
          {"SXT", "1", "R", "8"},  {"TZP", "1", "S", "23"}}},
        {"R2603802", "801", "A26-00103", "1015", "2026-03-05 06:40:00", "MB-0482", "N",
         "Sputum, expectorated (Bartlett grade +2)",
         "Moderate growth of Klebsiella pneumoniae and light growth of Staphylococcus aureus.",
         "Gram stain: many pus cells, few epithelial cells; gram-negative bacilli and gram-positive cocci in clusters.",
         "",
         {"Klebsiella pneumoniae", "Staphylococcus aureus", "", ""},
         "Preliminary report; final report to follow.",
         {{"AMC", "1", "S", "20"}, {"CRO", "1", "S", "27"}, {"CIP", "1", "S", "25"},
          {"GEN", "1", "S", "19"}, {"SXT", "1", "S*", "17"}, {"AMP", "1", "R", "6"},
          {"MEM", "1", "S", "30"}, {"OXA", "2", "S", "14"}, {"PEN", "2", "R", "18"},
          {"ERY", "2", "I", "17"}, {"CLI", "2", "S", "24"}, {"SXT", "2", "S", "19"},
          {"VAN", "2", "S", "17"}}},
        {"R2603804", "802", "A26-00109", "1012", "2026-03-03 11:30:00", "MB-0484", "N",
         "Wound swab, left foot (diabetic ulcer)",
         "Mixed growth of four organisms.",
         "Gram stain: many pus cells; gram-negative bacilli, gram-positive cocci in clusters and in pairs.",
         "Heavy growth",
         {"Pseudomonas aeruginosa", "Staphylococcus aureus", "Enterococcus faecalis", "Proteus mirabilis"},
         "Methicillin-resistant Staphylococcus aureus: contact precautions advised.",
         {{"CAZ", "1", "S", "21"}, {"FEP", "1", "S", "22"}, {"CIP", "1", "R", "14"},
          {"GEN", "1", "S", "16"}, {"MEM", "1", "S", "24"}, {"TZP", "1", "S", "22"},
          {"OXA", "2", "R", "9"},  {"VAN", "2", "S", "16"}, {"CLI", "2", "R*", "12"},
          {"SXT", "2", "S", "20"}, {"LNZ", "2", "S", "25"}, {"AMP", "3", "S", "19"},
          {"VAN", "3", "S", "18"}, {"PEN", "3", "S", "17"}, {"AMP", "4", "S", "20"},
          {"CRO", "4", "S", "27"}, {"CIP", "4", "I", "19"}, {"SXT", "4", "R", "9"},
          {"GEN", "4", "S", "18"}}},
        {"R2603805", "142", "O26-00201", "1013", "2026-03-05 09:10:00", "MB-0485", "Y",
         "Urine, midstream clean-catch",
         "No growth after 48 hours of incubation.",
         "No bacteria seen. Pus cells 0-2 /hpf.", "",
         {"", "", "", ""}, "", {}},
    };
    return all;
}

void insertRequest(Driver &db, const char *requestNum, const char *exam, const char *idNum, const char *doctor,
                   const char *requestDate, bool worked)
{
    const std::string master = db.qualify(Database::Laboratory, "tbLabMaster");
    const std::string admission = db.qualify(Database::PatientData, "tbAdmission");
    db.run("INSERT INTO " + master +
               " (RequestNum, HospNum, IDNum, ExamCode, SpecimenID, DoctorID, Rush, RefNum, ORNum, Transplant, "
               "Dialysis, ReaderID, PhysicianID, ResidentID, PathologistID, SupExamID, PatientType, Method, BloodType, "
               "Status, RequestDate, DateFinished, SendOuts) SELECT ?, HospNum, IDNum, ?, '', ?, 'N', ?, "
               "CASE WHEN PatientType = 'O' THEN ? ELSE '' END, 'N', 'N', '', '', '', '', '', '', ?, '', ?, ?, ?, "
               "NULL FROM " + admission + " WHERE IDNum = ?",
           {std::string(requestNum), std::string(exam), std::string(doctor),
            "CS-26" + std::string(requestNum).substr(5), "OR-" + std::string(requestNum).substr(5),
            std::string(worked ? "Kirby-Bauer disc diffusion" : ""), std::string(worked ? "F" : "O"),
            std::string(requestDate), worked ? Value("2026-03-07 10:30:00") : Value(), std::string(idNum)});
}

void insertCulture(Driver &db, const Culture &c)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    insertRequest(db, c.requestNum, c.exam, c.idNum, c.doctor, c.requestDate, true);
    db.run("INSERT INTO " + t("tbLabLogbook") +
               " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, lratime, ResultDate,"
               " EntryMode, Remarks, Method, LoggedAt) VALUES (?, '', '0103', '2026-03-05 09:20:00', "
               "'2026-03-07 10:30:00', ?, '2026-03-05 09:25:00', '2026-03-07 10:45:00', 0, '', '', "
               "'2026-03-05 09:30:00')",
           {std::string(c.requestNum), std::string(c.accession)});
    db.run("INSERT INTO " + t("tbLabResultCS") +
               " (RequestNum, FinalResult, ResultDate, Specimen, Organism, InoculationDate, microscopy, Remarks, "
               "Additional, AccessionNum, samplesubmitted, lratime, ColonyCount, Org1, Org2, Org3, Org4, Method, "
               "DateFinished, EmployeeCode, SavedAt) VALUES (?, ?, '2026-03-07 10:45:00', ?, ?, '2026-03-05 00:00:00', "
               "?, '', ?, ?, '2026-03-05 09:20:00', '2026-03-05 09:25:00', ?, ?, ?, ?, ?, 'Kirby-Bauer disc diffusion', "
               "'2026-03-07 10:30:00', '0103', '2026-03-07 10:45:00')",
           {std::string(c.requestNum), std::string(c.final), std::string(c.specimen), std::string(c.result),
            std::string(c.microscopy), std::string(c.additional), std::string(c.accession),
            std::string(c.colonyCount), std::string(c.org[0]), std::string(c.org[1]), std::string(c.org[2]),
            std::string(c.org[3])});
    for (const Code &code : c.codes)
        db.run("INSERT INTO " + t("tbLabResultCSCodes") +
                   " (RequestNum, Code, OrganismNo, Result, Zone) VALUES (?, ?, ?, ?, ?)",
               {std::string(c.requestNum), std::string(code.antibiotic), std::string(code.organism),
                std::string(code.result), std::string(code.zone)});
    db.run("INSERT INTO " + t("tbLabResultMedTech") +
               " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
               " VALUES (?, '0103', '2026-03-07 10:46:00', ?, ?, '', '', 'H')",
           {std::string(c.requestNum), std::string(*c.final == 'Y' ? "0101" : ""),
            *c.final == 'Y' ? Value("2026-03-07 11:02:00") : Value()});
}

// A blood culture growing S. aureus, reported on the bacteriology report with the antibiotics of
// the staphylococcal panels; and a second blood culture not yet worked.
void loadBacteriologyDemo(Driver &db)
{
    const auto t = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    insertRequest(db, "R2603806", "803", "A26-00103", "1015", "2026-03-05 02:10:00", true);
    insertRequest(db, "R2603807", "803", "E26-00301", "1015", "2026-03-07 03:20:00", false);
    db.run("INSERT INTO " + t("tbLabLogbook") +
               " (RequestNum, ExamID, EmployeeCode, samplesubmitted, DateFinished, AccessionNum, lratime, ResultDate,"
               " EntryMode, Remarks, Method, LoggedAt) VALUES ('R2603806', '', '0104', '2026-03-05 02:30:00', "
               "'2026-03-07 08:00:00', 'BC-0212', '2026-03-05 02:35:00', '2026-03-07 08:10:00', 0, '', '', "
               "'2026-03-05 02:40:00')",
           {});
    db.run("INSERT INTO " + t("tbLABResultMicrobiology") +
               " (RequestNum, Isolate, Culture, PreSpecimen, PreTest, PreSite, PreOther1, PreOther2, PreReport, "
               "FinalSpecimen, FinalTest, FinalSite, FinalOther1, FinalOther2, FinalReport, FormType, Others, "
               "EmployeeCode, SavedAt) VALUES ('R2603806', ?, '1|0|0|1|0|0|0|0|0|0', '0|0|0|1|0|0|0', "
               "'1|1|1|0|0|0|0', 'Left antecubital vein', '', '', ?, '0|0|0|1|0|0|0', '1|1|0|0|0|0|0', "
               "'Left antecubital vein', '', '', ?, '1', '', '0104', '2026-03-07 08:10:00')",
           {std::string("Staphylococcus aureus"),
            std::string("Gram-positive cocci in clusters seen in the aerobic bottle after 18 hours of incubation."),
            std::string("Staphylococcus aureus isolated from the aerobic bottle after 24 hours of incubation. "
                        "Anaerobic bottle: no growth after 5 days.")});
    for (const auto &[list, letter, code, result] :
         {std::tuple{"3", "A", "OXA", "S"}, std::tuple{"3", "A", "PEN", "R"}, std::tuple{"3", "A", "ERY", "S"},
          std::tuple{"3", "A", "CLI", "S"}, std::tuple{"3", "A", "SXT", "S"}, std::tuple{"3", "B", "VAN", "S"},
          std::tuple{"3", "B", "TCY", "I"}})
        db.run("INSERT INTO " + t("tbLABResultMicrobiologyAdd") +
                   " (RequestNum, ListNo, GroupLetter, AntibioticCode, Result) VALUES ('R2603806', ?, ?, ?, ?)",
               {std::string(list), std::string(letter), std::string(code), std::string(result)});
    db.run("INSERT INTO " + t("tbLabResultMedTech") +
               " (RequestNum, MedTechID, MedTechAt, VerifiedBy, VerifiedAt, PathologistID, Pathologist, PaperSize)"
               " VALUES ('R2603806', '0104', '2026-03-07 08:12:00', '', NULL, '', '', '')",
           {});
}

} // namespace

void loadMicrobiologyDemo(Driver &db)
{
    const auto b = [&](const char *table) { return db.qualify(Database::BuildFile, table); };
    for (const Antibiotic &a : kAntibiotics)
        db.run("INSERT INTO " + b("tbCoAntibiotic") + " (Code, Description, Status, DrugClass) VALUES (?, ?, ?, ?)",
               {std::string(a.code), std::string(a.description), std::string(a.status), std::string(a.drugClass)});
    for (const Organism &o : kOrganisms)
        db.run("INSERT INTO " + b("tbCoOrganism") + " (Code, Organism, OrganismGroup, Status) VALUES (?, ?, ?, 'A')",
               {std::string(o.code), std::string(o.name), std::string(o.group)});
    for (const Panel &p : panels()) {
        int order = 0;
        for (const char *code : p.antibiotics)
            db.run("INSERT INTO " + b("tbCoAntibioticPanel") +
                       " (ListNo, GroupLetter, AntibioticCode, SortOrder) VALUES (?, ?, ?, ?)",
                   {std::string(p.list), std::string(p.letter), std::string(code), std::to_string(++order)});
    }
    const auto l = [&](const char *table) { return db.qualify(Database::Laboratory, table); };
    for (const char *d : {"Blood (aerobic bottle)", "Catheter tip", "Cerebrospinal fluid", "Ear discharge",
                          "Eye discharge", "Pleural fluid", "Tissue"})
        db.run("INSERT INTO " + l("tbLab_BuildCulture") + " (Description) VALUES (?)", {std::string(d)});
    for (const char *d : {"Acid-fast stain", "Gram stain", "India ink preparation", "KOH mount"})
        db.run("INSERT INTO " + l("tbLab_BuildMicroTesting") + " (Description) VALUES (?)", {std::string(d)});

    db.run("INSERT INTO " + db.qualify(Database::BuildFile, "tbCoLabSpecimen") + " (SpecimenID, Specimen) VALUES (?, ?)",
           {std::string("S81"), std::string("WOUND SWAB")});
    for (const auto &[code, name, specimen] : {std::tuple{"801", "SPUTUM CULTURE AND SENSITIVITY", "S06"},
                                               std::tuple{"802", "WOUND CULTURE AND SENSITIVITY", "S81"}})
        db.run("INSERT INTO " + b("tbCoLabExam") +
                   " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
                   "VALUES (?, ?, 'D', ?, 'J', '', 0, '', 'A')",
               {std::string(code), std::string(name), std::string(specimen)});
    // Reported on the bacteriology report, which no format code opens.
    db.run("INSERT INTO " + b("tbCoLabExam") +
               " (Code, ExamName, SectionID, SpecimenID, FormType, ValueType, WithReagent, SupExamID, Status) "
               "VALUES ('803', 'BLOOD CULTURE (BACTERIOLOGY REPORT)', 'D', 'S01', 'M', '', 0, '', 'A')",
           {});

    for (const Culture &c : cultures())
        insertCulture(db, c);
    // A sputum culture received and not yet worked.
    insertRequest(db, "R2603803", "801", "A26-00107", "1010", "2026-03-07 06:15:00", false);
    loadBacteriologyDemo(db);
}

} // namespace labdb
