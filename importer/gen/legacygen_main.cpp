// Writes a version 4.x installation made from a seed:
//   legacygen FOLDER [--seed N] [--users N] [--items N] [--bookings N] [--categories N]
//   legacygen --full FOLDER      200 users, 1000 items, 10000 bookings
//   legacygen --fuzz-seeds FOLDER  one input per reader for the fuzzer
#include "LegacyGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <exception>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: legacygen FOLDER [--seed N] [--users N] [--items N] [--bookings N] [--categories N]\n"
                 "       legacygen --full FOLDER\n"
                 "       legacygen --fuzz-seeds FOLDER\n");
    return 2;
}

void writeSeed(const QDir& dir, const QString& name, char kind, const QByteArray& body)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(QByteArray(1, kind) + body) < 0)
        throw std::runtime_error(("cannot write " + dir.filePath(name)).toStdString());
}

// The fuzzer's inputs start with a byte naming the reader: 'U', 'I', 'B'
// (one or more records), 'C' (category text) or 'L' (lock text).
void writeFuzzSeeds(const QString& folder)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    const LegacyInstall in = LegacyGen::generate(7, 3, 3, 3, 3);
    for (size_t i = 0; i < in.users.size(); ++i)
        writeSeed(dir, QStringLiteral("user%1").arg(i), 'U', LegacyGen::userRecord(in.users[i], char(0xFF)));
    for (size_t i = 0; i < in.items.size(); ++i)
        writeSeed(dir, QStringLiteral("item%1").arg(i), 'I', LegacyGen::itemRecord(in.items[i]));
    for (size_t i = 0; i < in.bookings.size(); ++i)
        writeSeed(dir, QStringLiteral("booking%1").arg(i), 'B', LegacyGen::bookingRecord(in.bookings[i]));
    writeSeed(dir, QStringLiteral("cat-crlf"), 'C', LegacyGen::categoryFile(in.categories));
    writeSeed(dir, QStringLiteral("cat-lf"), 'C', LegacyGen::categoryFile(in.categories, true));
    int n = 0;
    for (auto s : {LegacyGen::LockState::Locked, LegacyGen::LockState::LockedBare, LegacyGen::LockState::Released,
                   LegacyGen::LockState::Empty, LegacyGen::LockState::LowerCase,
                   LegacyGen::LockState::TrailingBlank})
        writeSeed(dir, QStringLiteral("lock%1").arg(n++), 'L', LegacyGen::lockText(s));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    try {
        if (args.size() == 2 && args[0] == QLatin1String("--fuzz-seeds")) {
            writeFuzzSeeds(args[1]);
            return 0;
        }
        if (args.size() == 2 && args[0] == QLatin1String("--full")) {
            LegacyGen::writeInstall(args[1], LegacyGen::generate(1, Legacy::UserCount, Legacy::ItemCount,
                                                                 Legacy::BookingCount));
            return 0;
        }
        if (args.isEmpty() || args[0].startsWith(QLatin1String("--")))
            return usage();
        const QString folder = args.takeFirst();
        quint64 seed = 1;
        int users = 20, items = 50, bookings = 500, categories = 8;
        while (args.size() >= 2) {
            const QString key = args.takeFirst();
            bool ok = false;
            const qlonglong value = args.takeFirst().toLongLong(&ok);
            if (!ok)
                return usage();
            if (key == QLatin1String("--seed"))
                seed = quint64(value);
            else if (key == QLatin1String("--users"))
                users = int(value);
            else if (key == QLatin1String("--items"))
                items = int(value);
            else if (key == QLatin1String("--bookings"))
                bookings = int(value);
            else if (key == QLatin1String("--categories"))
                categories = int(value);
            else
                return usage();
        }
        if (!args.isEmpty())
            return usage();
        LegacyGen::writeInstall(folder, LegacyGen::generate(seed, users, items, bookings, categories));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "legacygen: %s\n", e.what());
        return 1;
    }
}
