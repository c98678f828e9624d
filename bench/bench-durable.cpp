// What waiting for the disk costs a save: a card appended, its record rewritten and its photo replaced,
// timed with the flush to the disk and without it, in a folder on the disk the program folder is on.
#include "storage/DiskSync.h"
#include "storage/FileReplace.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

void run(const QString &where, bool synced, int saves)
{
    QTemporaryDir dir(where + QStringLiteral("/bench-durable-XXXXXX"));
    setProgramFolderOverride(dir.path());
    DiskSync::setEnabled(synced);
    TSchedaProdotto card;
    card[TSchedaProdotto::Codice] = QStringLiteral("VAS-001");
    card[TSchedaProdotto::Nome] = QStringLiteral("Vaso anfora");
    const QByteArray photo(60 * 1024, 'j'); // a card photo of typical size
    std::vector<qint64> append, overwrite, replace;
    for (int i = 0; i < saves; ++i) {
        QElapsedTimer t;
        t.start();
        const qint64 n = WarehouseArchive::append(card);
        append.push_back(t.nsecsElapsed());
        t.restart();
        WarehouseArchive::overwrite(n, card);
        overwrite.push_back(t.nsecsElapsed());
        t.restart();
        if (!FileReplace::replace(programPath(QString::number(n) + QStringLiteral(".jpg")), photo))
            std::printf("photo %lld not replaced\n", static_cast<long long>(n));
        replace.push_back(t.nsecsElapsed());
    }
    std::printf("%-14s new card %7.3f ms   card rewritten %7.3f ms   photo replaced %7.3f ms  (median of %d)\n",
        synced ? "with sync" : "without sync", medianMs(append), medianMs(overwrite), medianMs(replace), saves);
    setProgramFolderOverride(QString());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The folder of the data sets: on the same disk as the program folder.
    const QString where = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(where);
    std::printf("Saves in %s\n", qPrintable(where));
    run(where, false, 200);
    run(where, true, 200);
    return 0;
}
