#include "setperfrm.h"

#include "DataModule.h"
#include "DateValue.h"
#include "DbError.h"
#include "LogonLook.h"
#include "Alerts.h"
#include "Text.h"
#include "Utilities.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace M = SetPeriodsMessages;

const std::array<const char*, Tsetperfrm::Slots> Tsetperfrm::ClearTimes = {
    "8:00:00 AM",  "9:00:00 AM",  "9:40:00 AM",  "10:20:00 AM", "11:00:00 AM", "11:50:00 AM",
    "12:30:00 PM", "1:10:00 PM",  "1:30:00 PM",  "2:20:00 PM",  "2:40:00 PM",  "3:00:00 PM"};

namespace {

constexpr int ColumnLeft[] = {8, 220, 432};
constexpr int SlotTop = 112;
constexpr int SlotHeight = 58;

} // namespace

QStringList ReadPeriodRows()
{
    Dataset& t = DM().PeriodsTable;
    t.requery();
    QStringList rows;
    const int n = t.recordCount();
    for (int i = 0; i < n; ++i) {
        const RowRef row(t, i);
        rows << row.asString(QStringLiteral("period")) + QChar(0x1f)
                    + QString::number(row.asInteger(QStringLiteral("order"))) + QChar(0x1f)
                    + row.asString(QStringLiteral("StartTime"));
    }
    return rows;
}

namespace {

// Names that stand for bookings while a rename is under way: unlike any
// period name, and within the column's width.
QString passingName(int index) { return QStringLiteral("\x01%1").arg(index); }

// The pairs of old and new names act as one mapping, each booking changed
// at most once; of two pairs whose old names differ only in letter case the
// first counts. A pair is renamed once no other pair still waits to rename
// its new name away, so nothing is renamed twice and the slot index holds at
// every step. Where only exchanges and rings are left, one pair of the ring
// first moves its bookings to a name of its own, which frees the rest.
void applyRenames(const QList<std::pair<QString, QString>>& pairs)
{
    struct Pending {
        QString from;
        QString to;
    };
    QList<Pending> pending;
    for (const auto& [from, to] : pairs) {
        const bool seen = std::any_of(pending.begin(), pending.end(),
                                      [&](const Pending& p) { return Text::sameName(p.from, from); });
        if (!seen)
            pending.append({from, to});
    }
    int parked = 0;
    while (!pending.isEmpty()) {
        auto ready = std::find_if(pending.begin(), pending.end(), [&](const Pending& p) {
            return std::none_of(pending.begin(), pending.end(), [&](const Pending& other) {
                return &other != &p && Text::sameName(other.from, p.to);
            });
        });
        if (ready == pending.end()) {
            // Every pair waits: set aside the bookings of one that another
            // pair waits for (one of a ring; never a pair already set aside).
            auto waitedFor = std::find_if(pending.begin(), pending.end(), [&](const Pending& p) {
                return std::any_of(pending.begin(), pending.end(), [&](const Pending& other) {
                    return &other != &p && Text::sameName(other.to, p.from);
                });
            });
            const QString aside = passingName(parked++);
            RenamePeriodInBookings(waitedFor->from, aside);
            waitedFor->from = aside;
            continue;
        }
        RenamePeriodInBookings(ready->from, ready->to);
        pending.erase(ready);
    }
}

} // namespace

void StorePeriods(const QList<PeriodSlot>& periodSlots, const QList<std::pair<QString, QString>>& renames,
                  const QStringList& readRows)
{
    Database& db = DM().ADOConnection;
    struct Reread {
        ~Reread()
        {
            try {
                DM().PeriodsTable.requery();
            } catch (...) {
            }
        }
    } reread;
    WriteTransaction tx(db);
    if (ReadPeriodRows() != readRows)
        throw PeriodsChanged();
    db.exec(QStringLiteral("DELETE FROM periods"));
    for (int k = 0; k < periodSlots.size(); ++k)
        db.exec(QStringLiteral("INSERT INTO periods (period, \"order\", StartTime) VALUES (?, ?, ?)"),
                {periodSlots.at(k).name, k + 1, DateValue::timeText(periodSlots.at(k).start)});
    applyRenames(renames);
    tx.commit();
}

Tsetperfrm::Tsetperfrm(QWidget* parent) : TFormBase(parent)
{
    setObjectName(QStringLiteral("setperfrm"));
    setWindowTitle(M::Caption);
    setFixedSize(640, 388);
    // The log-on dialogs' bold cream text and deep blue edits. The cream
    // text stands on their deep blue too (the background picture covers it
    // when there is one): on the system's light window colour it could not
    // be read. The buttons keep the system's colours.
    ApplyLogonLook(this);
    {
        QPalette pal = palette();
        const QPalette system = QApplication::palette();
        for (const auto role : {QPalette::Button, QPalette::ButtonText})
            pal.setColor(role, system.color(role));
        setPalette(pal);
        setAutoFillBackground(false);
    }
    QFont timeFont = font();
    timeFont.setPixelSize(13);

    Label1 = new QLabel(M::Explanation, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(8, 8, 624, 96);
    QFont smaller = font();
    smaller.setPixelSize(14);
    Label1->setFont(smaller);

    for (int k = 0; k < Slots; ++k) {
        const int left = ColumnLeft[k / 4];
        const int top = SlotTop + (k % 4) * SlotHeight;
        auto* caption = new QLabel(QStringLiteral("Per. %1 Name/Start Time").arg(k + 1), this);
        caption->setGeometry(left, top, 204, 20);
        caption->setFont(timeFont);

        auto* name = new QLineEdit(this);
        name->setObjectName(QStringLiteral("Per%1Name").arg(k + 1));
        name->setMaxLength(10);
        name->setGeometry(left, top + 22, 100, 26);
        caption->setBuddy(name);
        PerName[k] = name;

        auto* time = new QLineEdit(QStringLiteral("12:00 PM"), this);
        time->setObjectName(QStringLiteral("per%1time").arg(k + 1));
        time->setGeometry(left + 104, top + 22, 96, 26);
        time->setFont(timeFont);
        PerTime[k] = time;
    }

    Button1 = new QPushButton(QStringLiteral("Save Changes"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 354, 150, 27);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(166, 354, 110, 27);
    Button3 = new QPushButton(QStringLiteral("Clear All Names"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(482, 354, 150, 27);
    for (QPushButton* b : {Button1, Button2, Button3})
        b->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &Tsetperfrm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tsetperfrm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tsetperfrm::Button3Click);
}

void Tsetperfrm::showEvent(QShowEvent* event)
{
    TFormBase::showEvent(event);
    CentreOnScreen(this);
    FormShow();
}

void Tsetperfrm::FormShow()
{
    // A slot the table has no row for shows no name and its time of
    // "Clear All Names", so nothing typed at an earlier opening stays.
    for (int k = 0; k < Slots; ++k) {
        PerName[k]->clear();
        PerTime[k]->setText(QLatin1String(ClearTimes[k]));
    }
    m_readRows = ReadPeriodRows();
    Dataset& t = DM().PeriodsTable;
    for (t.first(); !t.eof(); t.next()) {
        const int k = t.asInteger(QStringLiteral("order"));
        if (k < 1 || k > Slots)
            continue;
        PerName[k - 1]->setText(t.asString(QStringLiteral("period")));
        PerTime[k - 1]->setText(FormatLongTime(t.asTime(QStringLiteral("StartTime"))));
    }
    OldNames.clear();
    for (QLineEdit* e : PerName)
        OldNames << e->text();
    PerName[0]->setFocus();
}

void Tsetperfrm::Button1Click()
{
    if (save())
        done(mrOk);
}

bool Tsetperfrm::save()
{
    if (PerName[0]->text().isEmpty()) {
        ShowAlert(M::FirstNameBlank);
        return false;
    }
    // The day ends at the first slot without a name.
    int stored = 0;
    while (stored < Slots && !PerName[stored]->text().isEmpty())
        ++stored;

    // Everything that will be stored is checked before anything is written.
    QList<PeriodSlot> periodSlots;
    for (int k = 0; k < stored; ++k) {
        const QTime t = ParseTimeText(PerTime[k]->text());
        if (!t.isValid()) {
            ShowAlert(M::BadTime.arg(k + 1).arg(PerTime[k]->text()));
            PerTime[k]->setFocus();
            return false;
        }
        periodSlots.append({PerName[k]->text(), t});
    }
    for (int a = 0; a < stored; ++a) {
        for (int b = a + 1; b < stored; ++b) {
            if (Text::sameName(PerName[a]->text(), PerName[b]->text())) {
                ShowAlert(M::SameName.arg(PerName[b]->text()).arg(a + 1).arg(b + 1));
                PerName[b]->setFocus();
                return false;
            }
        }
    }

    // Every slot whose name changed carries its bookings along, also a slot
    // that is not stored and a name that was cleared.
    QList<std::pair<QString, QString>> renames;
    for (int k = 0; k < Slots; ++k) {
        const QString now = PerName[k]->text();
        if (!OldNames.value(k).isEmpty() && OldNames.value(k) != now)
            renames.append({OldNames.value(k), now});
    }

    try {
        StorePeriods(periodSlots, renames, m_readRows);
    } catch (const PeriodsChanged&) {
        ShowAlert(M::Stale);
        return false;
    } catch (const DbError& e) {
        // A slot clash can only come from a rename: the stored names differ.
        const QString why = e.text();
        ShowAlert(why.contains(QLatin1String("UNIQUE constraint failed: bookings"), Qt::CaseInsensitive)
                      ? M::Collision
                      : M::SaveFailed.arg(why));
        return false;
    }
    return true;
}

void Tsetperfrm::Button2Click() { done(mrCancel); }

void Tsetperfrm::Button3Click()
{
    for (int k = 0; k < Slots; ++k) {
        PerName[k]->clear();
        PerTime[k]->setText(QLatin1String(ClearTimes[k]));
    }
}

Tsetperfrm* SetPeriodsForm() { return SharedForm<Tsetperfrm>(); }

void RenamePeriodInBookings(const QString& oldName, const QString& newName)
{
    Dataset& q = DM().UpdateQuery;
    q.close();
    q.execSql(QStringLiteral("UPDATE bookings SET Period = ?\nWHERE Period = ?"), QVariantList{newName, oldName});
}
