#pragma once
#include "Forms.h"

#include <QString>
#include <QStringList>
#include <QTime>

#include <exception>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace SetPeriodsMessages {
inline const QString Caption = QStringLiteral("Setup Periods");
inline const QString Explanation = QStringLiteral(
    "This is where you define the periods in your day. Its best to use abbreviations as these names will be "
    "used on all tables. The system will automatically assume that the first blank named period it comes "
    "across is the end of the day. EG Period 5 has a name but period 6 doesn't therefore the system assumes "
    "that period 5 is the last period of that day.");
inline const QString FirstNameBlank = QStringLiteral(
    "You must have atleast one period per day. Make sure \"Period 1 Name\" is not blank");
// %1 the period's number, %2 the text of its time edit.
inline const QString BadTime = QStringLiteral(
    "The start time of period %1 (\"%2\") is not a time of day. Write it as for example 9:40:00 AM or 13:20. "
    "Nothing has been saved.");
// %1 the name, %2 and %3 the numbers of the two periods.
inline const QString SameName = QStringLiteral(
    "Periods %2 and %3 are both named \"%1\". Every period needs a name of its own. Nothing has been saved.");
inline const QString Stale = QStringLiteral(
    "Another user has changed the periods since this window was opened. Nothing has been saved. Close this "
    "window and open it again to see the periods as they are now.");
inline const QString Collision = QStringLiteral(
    "The new names would put two bookings of one item into the same period of a day (bookings remain of a "
    "period that no longer exists, under a name given now). Nothing has been saved.");
// %1 the database's own words.
inline const QString SaveFailed = QStringLiteral("The periods could not be saved. Nothing has been changed.\n\n%1");
} // namespace SetPeriodsMessages

// The periods of the day: up to twelve names with their start times. Saving
// rewrites the whole table and carries every changed name over into the
// bookings of that period.
class Tsetperfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tsetperfrm(QWidget* parent = nullptr);

    static constexpr int Slots = 12;
    // The times of "Clear All Names", slot 1 to 12.
    static const std::array<const char*, Slots> ClearTimes;

    QLabel* Label1;
    std::array<QLineEdit*, Slots> PerName{};   // Per1Name .. Per12Name
    std::array<QLineEdit*, Slots> PerTime{};   // per1time .. per12time
    QPushButton* Button1;   // "Save Changes"
    QPushButton* Button2;   // "Cancel"
    QPushButton* Button3;   // "Clear All Names"

    // The names the slots showed when the window was opened.
    QStringList OldNames;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool save();

    QStringList m_readRows;   // the table as it was read when the window was opened
};

Tsetperfrm* SetPeriodsForm();

// The periods of the day as stored: the name and start time of order 1, 2, ...
struct PeriodSlot {
    QString name;
    QTime start;
};
// Another client changed the periods since they were read.
class PeriodsChanged : public std::exception {};
// The text of every periods row, in the order the rows were made, to tell
// later whether the table is still as it was read.
QStringList ReadPeriodRows();
// Rewrites the periods table with the given periods (orders 1, 2, ...) and gives the
// bookings of every old name of the pairs its new name, each booking changed
// at most once; all in one write transaction. Throws PeriodsChanged when the
// table no longer holds readRows, DbError when the database refuses any
// part; either way nothing is changed.
void StorePeriods(const QList<PeriodSlot>& periodSlots, const QList<std::pair<QString, QString>>& renames,
                  const QStringList& readRows);

// Gives every booking of the period oldName (in any letter case) the name newName.
void RenamePeriodInBookings(const QString& oldName, const QString& newName);
