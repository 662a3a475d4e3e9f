#pragma once
// A fresh database per test, made from the delivered schema in a temporary
// folder, with the data module installed, a frozen clock and helpers that
// write rows straight into the tables.
#include "Clock.h"
#include "DataModule.h"
#include "Database.h"
#include "Random.h"
#include "Schema.h"
#include "Session.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

struct UserSpec {
    QString name;
    int level = 10;
    bool canBook = true;
    bool canModify = false;
    bool admin = false;
    bool overrideLimit = false;
    QString authCode = QStringLiteral("abcdef");
};

class DataFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("data.mdb"));
        CreateDatabaseFile(path);
        dm = std::make_unique<DataModule>();
        dm->connectTo(path);
        dm->openTables();
        SetDM(dm.get());
        ResetSession();
        Clock::freeze(QDateTime(QDate(2026, 3, 4), QTime(9, 30)));   // a Wednesday
        Random::setScript(nullptr);
        Random::seed(42);
    }

    void TearDown() override
    {
        SetDM(nullptr);
        other.reset();
        dm.reset();
        Clock::reset();
        Random::setScript(nullptr);
        ResetSession();
    }

    Database& db() { return dm->ADOConnection; }

    // A second client on the same file.
    DataModule& second()
    {
        if (!other) {
            other = std::make_unique<DataModule>();
            other->connectTo(path);
            other->openTables();
        }
        return *other;
    }

    void addUser(const UserSpec& u)
    {
        db().exec(QStringLiteral(
                      "INSERT INTO Users (username, FullName, accesslevel, canMakeBookings, "
                      "canModifyBookings, isAdministrator, canOverrideBookingLimit, AuthCode) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                  {u.name, u.name + QStringLiteral(" Full"), u.level, u.canBook ? 1 : 0,
                   u.canModify ? 1 : 0, u.admin ? 1 : 0, u.overrideLimit ? 1 : 0, u.authCode});
    }

    void addItem(const QString& name, int minSecurity = 1, const QString& manager = QString(),
                 const QString& category = QStringLiteral("Miscellaneous"),
                 const QString& authCode = QStringLiteral("123456"))
    {
        db().exec(QStringLiteral("INSERT INTO items (ItemName, Manager, Catergory, minSecurity, AuthCode, isAvailable) "
                                 "VALUES (?, ?, ?, ?, ?, 1)"),
                  {name, manager, category, minSecurity, authCode});
    }

    // Periods "1".."n" starting at 08:50 and then every 40 minutes... except
    // the second, which starts at 09:00.
    void addPeriods(int n = 6)
    {
        QTime t(8, 50);
        for (int i = 1; i <= n; ++i) {
            db().exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                      {QString::number(i), i, t.toString(QStringLiteral("HH:mm:ss"))});
            t = (i == 1) ? QTime(9, 0) : t.addSecs(40 * 60);
        }
    }

    void addBooking(const QString& item, const QDate& date, const QString& period,
                    const QString& bookedBy, const QString& reason = QStringLiteral("lesson"))
    {
        db().exec(QStringLiteral("INSERT INTO bookings (ItemBooked, Date, Period, BookedBy, forReason, AuthCode) "
                                 "VALUES (?, ?, ?, ?, ?, 'xxxxxx')"),
                  {item, date.toString(QStringLiteral("yyyy-MM-dd")), period, bookedBy, reason});
    }

    int count(const QString& sql, const QVariantList& values = {})
    {
        return db().scalar(sql, values).toInt();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<DataModule> dm;
    std::unique_ptr<DataModule> other;
};
