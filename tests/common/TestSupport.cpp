#include "TestSupport.h"

#include <sqlite3.h>
#include <cstring>
#include <utility>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QHash>
#include <cstdio>

namespace testsupport {

OnStatementStart::OnStatementStart(sqlite3* watched, const char* text, int nth, std::function<void()> act)
    : m_db(watched), m_text(text), m_left(nth), m_act(std::move(act))
{
    sqlite3_trace_v2(m_db, SQLITE_TRACE_STMT, &OnStatementStart::traced, this);
}

OnStatementStart::~OnStatementStart() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }

int OnStatementStart::traced(unsigned, void* self, void*, void* sql)
{
    auto& hook = *static_cast<OnStatementStart*>(self);
    const char* text = static_cast<const char*>(sql);
    // A trigger's statements are traced as comments; they are not counted.
    if (hook.m_act && std::strncmp(text, "--", 2) != 0 && std::strstr(text, hook.m_text) && --hook.m_left == 0)
        std::exchange(hook.m_act, nullptr)();
    return 0;
}

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
