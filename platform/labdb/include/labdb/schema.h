#pragma once
// The schema of the four databases, created and upgraded step by step.

#include "labdb/driver.h"

namespace labdb {

// The version this build creates.
int schemaVersion();
// Version stored in the database (0 when empty).
int storedSchemaVersion(Driver &db);
// Brings the database up to schemaVersion(); each step runs in its own transaction.
void upgradeSchema(Driver &db);

// Fills an empty database with the demonstration data (hospital, staff, exams, requests ...).
void loadDemoData(Driver &db);

} // namespace labdb
