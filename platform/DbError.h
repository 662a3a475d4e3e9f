#pragma once
#include <QString>
#include <atomic>
#include <stdexcept>

// A database error: carries the engine's own text and, when the engine
// raised it, the engine's primary result code. Thrown by the dataset
// layer; the data routines catch it only where they say so, elsewhere it
// travels up to the program's top-level handler.
class DbError : public std::runtime_error {
public:
    // code: the engine's result code (extended codes are reduced to their
    // primary one); 0 for an error the data layer raises itself.
    explicit DbError(const QString& text, int code = 0)
        : std::runtime_error(text.toStdString()), m_text(text), m_code(code & 0xff)
    {
        if (!refusesRecord()) {
            s_lastFileError = {text, m_code};
            s_fileErrors.fetch_add(1, std::memory_order_relaxed);
        }
    }
    const QString& text() const { return m_text; }
    int code() const { return m_code; }

    // Whether the database refused what was written: a constraint, a
    // trigger's RAISE, a value of a type or size that the column does not
    // take, or one of the data layer's own checks. Any other error is the
    // file's and no one record's: the file full or unable to grow, an
    // input/output error, the file held by another program past the busy
    // timeout, a read-only or damaged file.
    bool refusesRecord() const
    {
        return m_code == 0 || m_code == TooBig || m_code == Constraint || m_code == Mismatch;
    }

    // Whether another connection held the file past the busy timeout: the
    // wait for it is over, and a statement tried after it waits again.
    bool fileHeld() const { return heldCode(m_code); }
    // Whether an engine result code (extended or primary) says so.
    static bool heldCode(int code) { return (code & 0xff) == Busy || (code & 0xff) == Locked; }

    // How many errors of the file this process has raised, so that a run of
    // many statements can compare the count before and after a step and
    // tell such an error also where a data routine caught it itself.
    static quint64 fileErrors() { return s_fileErrors.load(std::memory_order_relaxed); }
    // The last error of the file raised on this thread.
    static DbError lastFileError() { return DbError(s_lastFileError, Again{}); }

private:
    static constexpr int Busy = 5;          // SQLITE_BUSY
    static constexpr int Locked = 6;        // SQLITE_LOCKED
    static constexpr int TooBig = 18;       // SQLITE_TOOBIG
    static constexpr int Constraint = 19;   // SQLITE_CONSTRAINT
    static constexpr int Mismatch = 20;     // SQLITE_MISMATCH
    struct Raised {
        QString text;
        int code;
    };
    struct Again {};
    // The same error once more, not counted again.
    DbError(const Raised& raised, Again)
        : std::runtime_error(raised.text.toStdString()), m_text(raised.text), m_code(raised.code)
    {
    }

    QString m_text;
    int m_code = 0;
    static inline std::atomic<quint64> s_fileErrors{0};
    static inline thread_local Raised s_lastFileError{QString(), 0};
};
