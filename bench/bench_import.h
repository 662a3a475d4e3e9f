#pragma once
#include <QString>

// Times the importer: a generated, full version 4.x installation carried
// into the database file at path (which must have an "ADMIN" and periods
// "P1".."P12"), the wizard's waits left out. Answers the seconds taken, or
// a negative number when the run failed.
double BenchImport(const QString& databasePath, bool small);
