#pragma once
// Small helpers shared by every test binary.
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

// A child mode is a function run instead of the tests when the binary is
// started as "<binary> --child <name> args...". Its return value is the exit code.
using ChildMode = std::function<int(const QStringList& args)>;

struct ChildModeRegistrar {
    ChildModeRegistrar(const QString& name, ChildMode fn);
};

int runChildMode(const QString& name, const QStringList& args);

// Path of the running test binary (for re-launching it as a child).
QString selfPath();

} // namespace testsupport
