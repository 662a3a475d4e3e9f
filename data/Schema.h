#pragma once
#include <QString>

class Database;

// The SQL script that makes a newly delivered database.
QString SchemaScript();

// Makes a new database file at path with the delivered tables and rows.
// Throws DbError when the file exists or cannot be made.
void CreateDatabaseFile(const QString& path);
