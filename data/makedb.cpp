// Makes a fresh, empty "data.mdb" from the schema script.
#include "DbError.h"
#include "Schema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makedb <new database file>\n");
        return 2;
    }
    try {
        CreateDatabaseFile(QString::fromLocal8Bit(argv[1]));
    } catch (const DbError& e) {
        std::fprintf(stderr, "makedb: %s\n", e.what());
        return 1;
    }
    return 0;
}
