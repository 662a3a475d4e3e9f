#include "TestSupport.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdio>

namespace testsupport {

static QHash<QString, ChildMode>& modes()
{
    static QHash<QString, ChildMode> m;
    return m;
}

ChildModeRegistrar::ChildModeRegistrar(const QString& name, ChildMode fn)
{
    modes().insert(name, std::move(fn));
}

int runChildMode(const QString& name, const QStringList& args)
{
    auto it = modes().constFind(name);
    if (it == modes().constEnd()) {
        std::fprintf(stderr, "unknown child mode %s\n", qPrintable(name));
        return 99;
    }
    return (*it)(args);
}

QString selfPath()
{
    return QCoreApplication::applicationFilePath();
}

} // namespace testsupport
