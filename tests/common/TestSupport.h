#pragma once
// Small helpers shared by every test binary.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include <QProcess>

struct sqlite3;

namespace testsupport {

// Runs `act` once, as the watched connection starts its nth statement whose
// text holds `text`: another client's change landing at that very moment.
class OnStatementStart {
public:
    OnStatementStart(sqlite3* watched, const char* text, int nth, std::function<void()> act);
    ~OnStatementStart();
    Q_DISABLE_COPY(OnStatementStart)
    bool fired() const { return !m_act; }

private:
    static int traced(unsigned, void* self, void*, void* sql);
    sqlite3* m_db;
    const char* m_text;
    int m_left;
    std::function<void()> m_act;
};

// A child mode is a function run instead of the tests when the binary is
// started as "<binary> --child <name> args...". Its return value is the exit code.
using ChildMode = std::function<int(const QStringList& args)>;

struct ChildModeRegistrar {
    ChildModeRegistrar(const QString& name, ChildMode fn);
};

int runChildMode(const QString& name, const QStringList& args);

// Path of the running test binary (for re-launching it as a child).
QString selfPath();

// Children that start together: each copy of this binary runs the child mode
// with its own arguments followed by the path of a start-signal file, and
// waits (waitForStartSignal) until release() makes that file.
class ChildRace {
public:
    explicit ChildRace(const QString& startSignalFile) : m_go(startSignalFile) {}
    // Starts one child; false when it could not be started.
    bool start(const QString& mode, const QStringList& args);
    void release();
    std::vector<std::unique_ptr<QProcess>>& children() { return m_children; }

private:
    QString m_go;
    std::vector<std::unique_ptr<QProcess>> m_children;
};

// In a child: waits for the start signal; false after timeoutMs.
bool waitForStartSignal(const QString& startSignalFile, int timeoutMs = 30000);

} // namespace testsupport
