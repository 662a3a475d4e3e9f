#pragma once
#include <QString>
#include <array>
#include <functional>

class Database;

// What the wizard's steps chose for an import.
struct ImportChoices {
    QString legacyFolder;   // the version 4.x installation
    bool overwriteUsers = true;
    bool overwriteItems = true;
    bool overwriteBookings = true;
    // The 5.0 period that each 4.x code (in the order of Legacy::PeriodCodes)
    // is imported to; empty for a code that is not imported.
    std::array<QString, 12> periods;
};

// The import itself, as the wizard runs it once its checks have passed, on
// the data module's connection: the users locked out through the control
// row, the categories, users, inventory and bookings of the 4.x files
// carried over record by record, and the users let back in.
//
// The records are committed in batches, each record a write scope of its
// own inside its batch: a record whose writes the database refuses undoes
// itself alone, is logged as refused, and the run goes on. An error that is
// no one record's (the file held by another program past the busy timeout,
// a full disk, an unreadable 4.x file) stops the run where it is, the users
// still locked out; a batch lost with it is logged with the record from
// which the file holds nothing of the run.
class ImportRun {
public:
    explicit ImportRun(ImportChoices choices);
    ~ImportRun();
    ImportRun(const ImportRun&) = delete;
    ImportRun& operator=(const ImportRun&) = delete;

    // What the run tells whoever drives it, and asks of it.
    std::function<void(const QString& line)> log;
    // The run's position after each of its steps (it may pass the bar's
    // maximum).
    std::function<void(int position)> progress;
    // Asked once before each record: lets the window live, and answers
    // whether the user asked the run to stop.
    std::function<bool()> stopRequested;
    // The two waits of the lock-out.
    std::function<void(int seconds)> wait;
    // Test seam: run after each stored record's work, inside its write
    // scope; an error from it stops the run.
    std::function<void(const QString& file, int record)> afterRecord;

    enum class Outcome {
        Completed,   // the users are let back in
        Stopped,     // the user stopped it between two records
        Failed,      // an error stopped it; error() says which
    };
    Outcome run();

    const QString& error() const { return m_error; }
    int position() const { return m_position; }
    // Records refused during the run.
    int refusals() const { return m_refusals; }

private:
    class Batch;
    struct Fitted;
    struct Stopped {};

    static Fitted fitted(QString text, int width);
    void noteCut(const Fitted& text, const QString& what);

    void step();
    void refused(const QString& what);
    void stopOnFileError() const;
    void lockOut();
    void ImportCategories();
    void ImportUsers();
    void ImportInventory();
    void ImportBookings();
    template <typename Body>
    void eachRecord(const QString& file, int count, Body body);
    QString mapPeriod(const QString& code) const;

    ImportChoices m_choices;
    Database& m_db;
    Batch* m_batch = nullptr;
    QString m_record;      // the record being imported, as its refusal names it
    QString m_stoppedAt;   // where an error stopped the record loops
    QString m_error;
    int m_position = 1;
    int m_refusals = 0;
    quint64 m_fileErrorsAtRecord = 0;   // DbError::fileErrors() as the record began
};
