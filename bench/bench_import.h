#pragma once
#include <QString>
#include <vector>

// The importer's times in seconds: the same run with the wizard shown and
// with it hidden, in alternating rounds, each over a fresh copy of the
// database; empty when a run failed.
struct ImportTimes {
    std::vector<double> shownS;
    std::vector<double> hiddenS;
    int logPaints = 0;   // times the shown log was painted in its last round
};

// Times the importer: a generated, full version 4.x installation carried
// into a copy of the database file at path (which must have an "ADMIN" and
// periods "P1".."P12") through the wizard as the user drives it, its two
// fixed waits left out.
ImportTimes BenchImport(const QString& databasePath, bool small);
