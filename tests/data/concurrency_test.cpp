// Several client processes place bookings on the same slots of one file at
// the same moment. Afterwards every slot holds exactly one booking and every
// attempt got an answer the rules allow.
#include "Bookings.h"
#include "DataFixture.h"
#include "DbError.h"
#include "TestSupport.h"

#include <QProcess>

#include <cstdio>

namespace {

constexpr int kDays = 3;
constexpr int kPeriods = 4;
constexpr int kClients = 6;

QString userOf(int client) { return QStringLiteral("CLIENT%1").arg(client); }

// Child: book every slot of ROOM1 on the next kDays days, print one line per
// attempt: "<day> <period> <code> <message>".
int bookingClient(const QStringList& args)
{
    const QString path = args.value(0);
    const int client = args.value(1).toInt();
    const QString go = args.value(2);
    try {
        DataModule dm;
        dm.connectTo(path);
        dm.openTables();
        SetDM(&dm);
        CurrentUser = userOf(client);
        const bool force = client % 2 == 0;
        // Wait for the start signal so that every client begins together.
        if (!testsupport::waitForStartSignal(go))
            return 3;
        const QDate first = Clock::today().addDays(1);
        for (int d = 0; d < kDays; ++d) {
            for (int p = 1; p <= kPeriods; ++p) {
                const BookingResultCode code =
                    PlaceBooking(QStringLiteral("ROOM1"), QString::number(p), CurrentUser,
                                 QDateTime(first.addDays(d), QTime(0, 0)), QStringLiteral("Race"), force,
                                 CurrentUser, false);
                std::printf("%d %d %d %s\n", d, p, code, qPrintable(LastBookingResult.message));
            }
        }
        SetDM(nullptr);
    } catch (const DbError& e) {
        std::fprintf(stderr, "client %d: %s\n", client, e.what());
        return 2;
    }
    std::fflush(stdout);
    return 0;
}

testsupport::ChildModeRegistrar registrar(QStringLiteral("book"), bookingClient);

} // namespace

using Concurrency = DataFixture;

TEST_F(Concurrency, EverySlotEndsWithExactlyOneBooking)
{
    Clock::reset();
    for (int c = 0; c < kClients; ++c) {
        UserSpec u{userOf(c), 10 + 10 * c, true, true};
        addUser(u);
    }
    addItem(QStringLiteral("ROOM1"), 1);
    addPeriods(kPeriods);

    testsupport::ChildRace race(dir.filePath(QStringLiteral("go")));
    for (int c = 0; c < kClients; ++c)
        ASSERT_TRUE(race.start(QStringLiteral("book"), {path, QString::number(c)}));
    race.release();

    int inserted = 0, overwritten = 0, refused = 0, failed = 0;
    for (auto& p : race.children()) {
        ASSERT_TRUE(p->waitForFinished(120000));
        ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), kDays * kPeriods);
        for (const QString& line : lines) {
            const QStringList f = line.split(' ');
            const int code = f.at(2).toInt();
            const QString message = f.mid(3).join(' ');
            switch (code) {
            case 0: ++inserted; break;
            case 1: ++overwritten; break;
            case -2: case -3: ++refused; break;
            case -1:
                ++failed;
                EXPECT_EQ(message, BookingMessages::DatabaseProblem) << "only a real failure may give -1";
                break;
            default: ADD_FAILURE() << "unexpected code " << code;
            }
        }
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM bookings")), kDays * kPeriods);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM bookings GROUP BY ItemBooked, Date, Period "
                                   "HAVING count(*) > 1)")), 0);
    EXPECT_EQ(inserted, kDays * kPeriods) << "each slot was made once";
    EXPECT_EQ(inserted + overwritten + refused + failed, kClients * kDays * kPeriods);
    RecordProperty("overwritten", overwritten);
    RecordProperty("refused", refused);
    RecordProperty("failed", failed);
}
