// A price change over the 100 000 cards and the update of a 100-page list from them, each with its
// undo, on copies of the bench data, each in a child process so its peak memory is its own.
// Goals: each change under 2 s with a peak memory under 200 MB. A change of every card must copy the
// whole archive first and put every rewritten card on the disk, so its floor is two durable writes of
// the archive: one durable copy, measured in the same process, is the reference that moves with the
// disk and the machine's load, and the change must stay within three of it.
#include "pricelist/rules/ListUpdate.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/PriceChangeRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <numeric>
#include <sys/resource.h>

namespace {
double peakMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// One read of the whole archive, the least any pass over it costs.
double readReference()
{
    QElapsedTimer t;
    t.start();
    qint64 n = 0;
    WarehouseArchive::forEachRaw([&](qint64, const char *record) {
        n += record[0];
        return true;
    });
    return t.nsecsElapsed() / 1e9;
}

// One copy of the archive written whole and flushed to the disk, as a pass's backup is.
double durableCopyReference()
{
    QElapsedTimer t;
    t.start();
    QFile from(warehousePath());
    FileReplace copy(programPath(QStringLiteral("riferimento.bak")));
    bool ok = from.open(QIODevice::ReadOnly) && copy.open();
    while (ok && !from.atEnd())
        ok = copy.write(from.read(1 << 20));
    ok = ok && copy.commit();
    QFile::remove(programPath(QStringLiteral("riferimento.bak")));
    return ok ? t.nsecsElapsed() / 1e9 : -1;
}

bool copyInto(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

int priceChange(const QString &data)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-prices-XXXXXX"));
    setProgramFolderOverride(dir.path());
    if (!copyInto(data + QStringLiteral("/cards-100000/Magazzino.pro"), warehousePath()))
        return 1;
    const double reference = readReference();
    const double durable = durableCopyReference();
    std::vector<qint64> records(size_t(WarehouseArchive::count()));
    std::iota(records.begin(), records.end(), 1);
    PriceChange change;
    change.size = 1000;
    change.rounding = PriceChange::Rounding::Ending90;
    QElapsedTimer t;
    t.start();
    const PriceChangeRun::Applied applied = PriceChangeRun::apply(records, change, QStringLiteral("bench"));
    const double applyS = t.nsecsElapsed() / 1e9;
    t.restart();
    const PriceChangeRun::Undo undone = PriceChangeRun::undo();
    const double undoS = t.nsecsElapsed() / 1e9;
    const double peak = peakMb();
    const bool ok = applied.counts.changed > 90000 && undone == PriceChangeRun::Undo::Done && durable > 0
        && applyS < 3 * durable && undoS < 3 * durable && peak < 200;
    std::printf("price change on %zu cards: %.2f s, its undo %.2f s (goal < 2 s each: %s); one read of the "
                "archive %.2f s, one durable copy of it %.2f s (goal < 3 copies each: %s); %lld changed, peak "
                "memory %.1f MB (goal < 200) %s\n",
        records.size(), applyS, undoS, applyS < 2 && undoS < 2 ? "ok" : "OVER", reference, durable,
        applyS < 3 * durable && undoS < 3 * durable ? "ok" : "OVER", qint64(applied.counts.changed), peak,
        ok ? "ok" : "OVER");
    return ok ? 0 : 1;
}

int listUpdate(const QString &data)
{
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-prices-XXXXXX"));
    setProgramFolderOverride(dir.path());
    const QString list = programPath(QStringLiteral("Listino 1.lis"));
    if (!copyInto(data + QStringLiteral("/cards-100000/Magazzino.pro"), warehousePath())
        || !copyInto(data + QStringLiteral("/list-100/Listino 1.lis"), list))
        return 1;
    const double reference = readReference();
    QElapsedTimer t;
    t.start();
    ListUpdate::Differences d = ListUpdate::compare(list, QStringLiteral("Listino 1"));
    const double compareS = t.nsecsElapsed() / 1e9;
    for (ListUpdate::Row &row : d.rows)
        row.checked = row.usable && row.field != ListUpdate::Field::Foto;
    t.restart();
    const ListUpdate::Applied applied
        = ListUpdate::apply(list, QStringLiteral("Listino 1"), d.rows, QStringLiteral("bench"));
    const double applyS = t.nsecsElapsed() / 1e9;
    t.restart();
    const ListUpdate::Undo undone = ListUpdate::undo(list);
    const double undoS = t.nsecsElapsed() / 1e9;
    const double peak = peakMb();
    const bool ok
        = d.pages == 100 && undone == ListUpdate::Undo::Done && compareS + applyS < 2 && undoS < 2 && peak < 200;
    std::printf("update of a %lld-page list from 100 000 cards: compare %.2f s + write %.2f s (goal < 2 s), undo "
                "%.2f s; %lld slots compared, %zu differences, %lld fields written; one read of the archive %.2f s; "
                "peak memory %.1f MB (goal < 200) %s\n",
        qint64(d.pages), compareS, applyS, undoS, qint64(d.slotsCompared), d.rows.size(), qint64(applied.fields),
        reference, peak, ok ? "ok" : "OVER");
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-prices DATA-FOLDER\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    if (argc == 3 && QByteArray(argv[2]) == "--change")
        return priceChange(data);
    if (argc == 3 && QByteArray(argv[2]) == "--list")
        return listUpdate(data);
    int failed = 0;
    for (const char *what : { "--change", "--list" })
        failed += QProcess::execute(QCoreApplication::applicationFilePath(), { data, QLatin1String(what) }) != 0;
    return failed;
}
