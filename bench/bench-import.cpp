// Importing a product list: a semicolon CSV of 10 000 and of 100 000 rows checked and then written into
// an empty program folder, each size in a child process of its own so its peak memory is its own.
// Goals: 10 000 rows under 2 s, 100 000 under 15 s, peak memory under 300 MB.
#include "bench/BenchData.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/ImportRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {
int measure(int rows)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("elenco.csv"));
    if (!BenchData::writeProductList(csv, rows))
        return 1;
    QDir().mkpath(dir.filePath(QStringLiteral("programma")));
    setProgramFolderOverride(dir.filePath(QStringLiteral("programma")));

    ImportRun::Options options;
    options.path = csv;
    options.format = ImportSource::detect(csv);
    options.mapping = ImportRules::guessMapping({ "Codice", "Descrizione", "Costo", "Prezzo", "Aspetto", "Categoria",
        "Caratteristiche", "Quantita", "Fornitore", "Note" });
    QElapsedTimer t;
    t.start();
    const ImportRun::Report checked = ImportRun::check(options);
    const double checkS = t.nsecsElapsed() / 1e9;
    t.restart();
    const ImportRun::Report written = ImportRun::write(options);
    const double writeS = t.nsecsElapsed() / 1e9;
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = usage.ru_maxrss / 1024.0;
    const double limit = rows <= 10000 ? 2.0 : 15.0;
    const bool ok = written.written && written.added == rows && checked.accepted == rows
        && WarehouseArchive::count() == rows && writeS < limit && peakMb < 300;
    std::printf("import %6d rows: check %.2f s, write %.2f s (goal < %.0f s), peak memory %.1f MB (goal < 300) %s\n",
        rows, checkS, writeS, limit, peakMb, ok ? "ok" : "OVER");
    return ok ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--rows")
        return measure(QByteArray(argv[2]).toInt());
    int failed = 0;
    for (const char *rows : { "10000", "100000" })
        failed += QProcess::execute(
                      QCoreApplication::applicationFilePath(), { QStringLiteral("--rows"), QLatin1String(rows) })
            != 0;
    return failed;
}
