#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
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

bool ChildRace::start(const QString& mode, const QStringList& args)
{
    auto p = std::make_unique<QProcess>();
    p->start(selfPath(), QStringList{QStringLiteral("--child"), mode} + args + QStringList{m_go});
    if (!p->waitForStarted())
        return false;
    m_children.push_back(std::move(p));
    return true;
}

void ChildRace::release()
{
    QFile(m_go).open(QIODevice::WriteOnly);
}

bool waitForStartSignal(const QString& startSignalFile, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(startSignalFile)) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::usleep(500);
    }
    return true;
}

} // namespace testsupport
