#pragma once
#include <QString>

// Names compare without regard to letter case, the way the database's
// NOCASE collation does: only the letters a..z fold. One helper, so that
// the program and the database agree on what "the same name" is.
namespace Text {

QString upper(const QString& s);
bool sameName(const QString& a, const QString& b);
// How many characters a text has, as the file's widths count them: a
// character outside the Basic Multilingual Plane (two UTF-16 units) is one.
qsizetype characters(const QString& s);

} // namespace Text
