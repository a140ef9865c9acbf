#pragma once
// Table groups that later schema steps create, each kept beside the procedures that use it.

#include "labdb/driver.h"

#include <utility>
#include <vector>

namespace labdb {

std::vector<TableDef> reagentTables();  // step 2: reagent items, stock postings
std::vector<TableDef> signOffTables();  // step 2: med techs' sign-off and the code lists of lookups
std::vector<TableDef> resultTables();   // step 3: what the result-entry screens store and offer
std::vector<TableDef> microscopyTables(); // step 6: urinalysis and fecalysis lists, urinalysis ranges
std::vector<TableDef> chemistryTables(); // step 7: result formats, normal values, analyser results
std::vector<TableDef> analyserTables();  // step 8: analyser test map, sample labels, received messages, quarantine

// Demonstration rows of the same groups, run inside the demo loader's transaction.
void loadReagentDemo(Driver &db);
void loadSignOffDemo(Driver &db);
void loadResultDemo(Driver &db);
void loadMicroscopyDemo(Driver &db);

// A request already worked on: a copy of an open demo request with its result entered, signed and
// logged, so that the worklist and the screens show what a stored result looks like.
struct WorkedRequest {
    const char *requestNum;
    const char *copyOf;
    const char *refNum;
    const char *accession;
    std::vector<std::pair<int, const char *>> results; // result slot, value
};
// Without result slots no shared result row is written: the screen keeps its results elsewhere.
void insertWorkedRequest(Driver &db, const WorkedRequest &w);
// A request not yet worked on: a copy of an open demo request under a new number.
void insertOpenRequest(Driver &db, const char *requestNum, const char *copyOf, const char *refNum);
void loadChemistryDemo(Driver &db);
void loadAnalyserDemo(Driver &db);

} // namespace labdb
