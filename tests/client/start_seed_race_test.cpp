// Several clients start at the same moment on a new database: each default
// row is made once.
#include "DataFixture.h"
#include "DbError.h"
#include "Seeding.h"
#include "TestSupport.h"

#include <QProcess>

#include <cstdio>

namespace {

constexpr int kClients = 6;

// Child: waits for the start signal, then runs every seeding step and prints
// what each did.
int seedingClient(const QStringList& args)
{
    const QString path = args.value(0);
    const QString go = args.value(1);
    try {
        DataModule dm;
        dm.connectTo(path);
        dm.openTables();
        SetDM(&dm);
        if (!testsupport::waitForStartSignal(go))
            return 3;
        const int results[] = {static_cast<int>(SeedAdministrator()), static_cast<int>(SeedProfileUser()),
                               static_cast<int>(SeedPeriods()), static_cast<int>(SeedMiscellaneous())};
        std::printf("%d %d %d %d\n", results[0], results[1], results[2], results[3]);
        SetDM(nullptr);
    } catch (const DbError& e) {
        std::fprintf(stderr, "seeding client: %s\n", e.what());
        return 2;
    }
    std::fflush(stdout);
    return 0;
}

testsupport::ChildModeRegistrar registrar(QStringLiteral("seed"), seedingClient);

} // namespace

using SeedRace = DataFixture;

TEST_F(SeedRace, EachDefaultRowIsMadeOnce)
{
    testsupport::ChildRace race(dir.filePath(QStringLiteral("go")));
    for (int c = 0; c < kClients; ++c)
        ASSERT_TRUE(race.start(QStringLiteral("seed"), {path}));
    race.release();
    int created[4] = {0, 0, 0, 0};
    for (auto& p : race.children()) {
        ASSERT_TRUE(p->waitForFinished(60000));
        ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QStringList fields = QString::fromLatin1(p->readAllStandardOutput()).simplified().split(QLatin1Char(' '));
        ASSERT_EQ(fields.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const auto r = static_cast<SeedResult>(fields[i].toInt());
            EXPECT_NE(r, SeedResult::Failed) << "step " << i;
            created[i] += r == SeedResult::Created ? 1 : 0;
        }
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(created[i], 1) << "step " << i;
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = 'ADMIN' AND accesslevel = 250")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users WHERE username = ? AND Hide = 1"), {ProfileUserName}), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Users")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM periods")), 12);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM catergories")), 1);
}
