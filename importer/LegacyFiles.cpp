#include "LegacyFiles.h"
#include "IoError.h"
#include "lockfrm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QThread>

namespace {

QString g_programFolder;
std::function<void(int)> g_pause;

void pause(int ms)
{
    if (g_pause)
        g_pause(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

QString lockName(char kind)
{
    switch (kind) {
    case 'U': return Legacy::UserLockName;
    case 'I': return Legacy::InventoryLockName;
    case 'B': return Legacy::BookingLockName;
    default: return QString();
    }
}

// Reads count records of size bytes from the folder's file, trying a
// bounded number of times.
QByteArray readWhole(const QString& folder, const QString& name, qint64 bytes)
{
    QString problem;
    for (int attempt = 0; attempt < LegacySeams::ReadTries; ++attempt) {
        if (attempt > 0)
            pause(50);
        const QString path = FindFileNoCase(folder, name);
        if (path.isEmpty()) {
            problem = QStringLiteral("the file is missing");
            continue;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            problem = f.errorString();
            continue;
        }
        QByteArray data = f.read(bytes);
        if (data.size() == bytes)
            return data;
        problem = QStringLiteral("it holds %1 of its %2 bytes").arg(data.size()).arg(bytes);
    }
    throw IoError(QStringLiteral("The Tavrell 4.x file \"%1\" in \"%2\" cannot be read: %3")
                      .arg(name, QDir::toNativeSeparators(folder), problem));
}

void waitWhileLocked(char kind)
{
    Tlockfrm* w = LockForm();
    // Hidden on every way out, an error from the lock file's look too.
    const auto hide = qScopeGuard([w] { w->hide(); });
    while (IsLocked(kind)) {
        if (!w->isVisible())
            w->show();
        w->repaint();
        QCoreApplication::processEvents();
    }
}

template <typename Record, typename Parse>
void readTable(std::vector<Record>& table, const QString& folder, const QString& name, int count,
               int size, Parse parse)
{
    const QByteArray data = readWhole(folder, name, qint64(count) * size);
    std::vector<Record> fresh;
    fresh.reserve(count);
    for (int i = 0; i < count; ++i)
        fresh.push_back(parse(QByteArrayView(data).sliced(qsizetype(i) * size, size)));
    table = std::move(fresh);
}

} // namespace

TLegacyTables& LegacyTables()
{
    static TLegacyTables tables;
    return tables;
}

QString LegacyProgramFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    const QString path = QCoreApplication::applicationFilePath();
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut + 1);
}

QString FindFileNoCase(const QString& folder, const QString& name)
{
    // Only a regular file (or a link to one) counts: opening a FIFO or a
    // device named like a 4.x file would block for ever, so such an entry is
    // as good as missing.
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0 && QFileInfo(dir.filePath(e)).isFile())
            return dir.filePath(e);
    }
    return QString();
}

QString LegacyFileProblem(const QString& folder, const QString& name, qint64 minimumSize)
{
    const QString path = FindFileNoCase(folder, name);
    if (path.isEmpty())
        return QStringLiteral("\"%1\" is missing").arg(name);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("\"%1\" cannot be read: %2").arg(name, f.errorString());
    if (f.size() < minimumSize)
        return QStringLiteral("\"%1\" holds %2 of its %3 bytes").arg(name).arg(f.size()).arg(minimumSize);
    return QString();
}

QString CategoryFileProblem(const QString& folder)
{
    const QString problem = LegacyFileProblem(folder, Legacy::CategoryFileName, 0);
    if (!problem.isEmpty())
        return problem;
    QFile f(FindFileNoCase(folder, Legacy::CategoryFileName));
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    try {
        ReadCategoryText(f);
    } catch (const IoError& e) {
        return e.text();
    }
    return QString();
}

bool IsLocked(char kind)
{
    const QString name = lockName(kind);
    for (int attempt = 0;; ++attempt) {
        const QString path = FindFileNoCase(LegacyProgramFolder(), name);
        if (path.isEmpty())
            return false;
        QFile f(path);
        bool ok = f.open(QIODevice::ReadOnly);
        QByteArray firstLine;
        if (ok) {
            firstLine = f.readLine(4096);
            ok = f.error() == QFileDevice::NoError;
            f.close();
        }
        pause(static_cast<int>(QRandomGenerator::global()->bounded(100)));
        if (ok)
            return IsLockText(firstLine);
        if (attempt + 1 >= LegacySeams::ReadTries)
            throw IoError(QStringLiteral("The Tavrell 4.x lock file \"%1\" cannot be read: %2")
                              .arg(QDir::toNativeSeparators(path), f.errorString()));
    }
}

void ReadUserFile(const QString& folder)
{
    waitWhileLocked('U');
    readTable(LegacyTables().users, folder, Legacy::UserFileName, Legacy::UserCount, Legacy::UserSize,
              ParseUserRecord);
}

void ReadInventoryFile(const QString& folder)
{
    waitWhileLocked('I');
    readTable(LegacyTables().items, folder, Legacy::InventoryFileName, Legacy::ItemCount,
              Legacy::ItemSize, ParseItemRecord);
}

void ReadBookingFile(const QString& folder)
{
    waitWhileLocked('B');
    readTable(LegacyTables().bookings, folder, Legacy::BookingFileName, Legacy::BookingCount,
              Legacy::BookingSize, ParseBookingRecord);
}

QStringList ReadCategoryText(QIODevice& file)
{
    // A last line without its line break counts as much as one with it.
    const auto checkLimit = [](qsizetype lineCount) {
        if (lineCount > Legacy::CategoryLineLimit)
            throw IoError(QStringLiteral("The Tavrell 4.x file \"%1\" holds more than %2 lines: it is damaged")
                              .arg(Legacy::CategoryFileName)
                              .arg(Legacy::CategoryLineLimit));
    };
    CategoryLines lines(Legacy::CategoryLineLimit);
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(piece.data(), piece.size());
        if (n < 0)
            throw IoError(QStringLiteral("The Tavrell 4.x file \"%1\" cannot be read: %2")
                              .arg(Legacy::CategoryFileName, file.errorString()));
        if (n == 0) {
            QStringList all = lines.take();
            checkLimit(all.size());
            return all;
        }
        lines.add(QByteArrayView(piece.constData(), n));
        checkLimit(lines.count());
    }
}

QString ItemKeyToName(const QString& key)
{
    const QString wanted = key.toUpper();
    for (const LegacyItem& item : LegacyTables().items) {
        if (item.key.toUpper() == wanted)
            return item.name;
    }
    return QString();
}

namespace LegacySeams {
void setProgramFolder(const QString& folder) { g_programFolder = folder; }
void setPause(std::function<void(int)> p) { g_pause = std::move(p); }
} // namespace LegacySeams
