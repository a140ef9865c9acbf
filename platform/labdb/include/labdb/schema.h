#pragma once
// The schema of the four databases, created and upgraded step by step.

#include "labdb/driver.h"

#include <vector>

namespace labdb {

// The version this build creates.
int schemaVersion();
// Version stored in the database (0 when empty).
int storedSchemaVersion(Driver &db);
// Brings the database up to schemaVersion(); each step runs in its own transaction.
void upgradeSchema(Driver &db);
// Up to the given version only, as an older program left it (tests of later steps' upgrades).
void upgradeSchema(Driver &db, int upTo);
// A table as this build creates it (name compared without regard to case); nullptr if unknown.
const TableDef *tableDefinition(Database db, std::string_view table);
// Every table as this build creates it, with the columns later steps added.
const std::vector<TableDef> &tableDefinitions();

// Fills an empty database with the demonstration data (hospital, staff, exams, requests ...).
void loadDemoData(Driver &db);

// A demo request for a screen its exam's format codes do not open by themselves: the host opens it
// with a selector (intResult) or by the screen's name. Listed so that tools and tests reach every
// screen the demo can show.
struct DemoOpening {
    const char *screen;
    const char *request;
    int selector; // 0 when opened by name
    bool byName;
    bool stored;  // the request has a stored result
};
const std::vector<DemoOpening> &demoOpenings();

} // namespace labdb
