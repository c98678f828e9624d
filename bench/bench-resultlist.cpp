// Times the warehouse search, the two lists and the start window's count over a program folder made
// by make-archive:
//   bench-resultlist FOLDER
#include "storage/ProgramFolder.h"
#include "warehouse/rules/Attention.h"
#include "warehouse/rules/CardFilter.h"
#include "warehouse/rules/ResultScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {
void run(const char *name, LineLayout layout, const std::function<bool(const char *)> &test)
{
    QElapsedTimer timer;
    timer.start();
    ResultLines entries;
    collectResults(entries, layout, test);
    const qint64 scanned = timer.elapsed();
    entries.sort();
    std::printf("%-28s %7lld entries  scan %5lld ms  sort %5lld ms\n", name, (long long)entries.size(), scanned,
        timer.elapsed() - scanned);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-resultlist FOLDER\n");
        return 2;
    }
    setProgramFolderOverride(QString::fromLocal8Bit(argv[1]));
    using F = TSchedaProdotto;
    const QList<F::Field> searchable = { F::Codice, F::Costo, F::Nome, F::Tipologia, F::Caratteristiche,
        F::Collocazione, F::Ditta, F::Agente, F::Documento, F::Note };
    QList<CardMatcher::Box> empty, twoBoxes;
    for (F::Field f : searchable) {
        empty.append({ f, QString() });
        twoBoxes.append({ f,
            f == F::Nome       ? QStringLiteral("vaso")
                : f == F::Note ? QStringLiteral("così")
                               : QString() });
    }
    const CardMatcher all(empty), some(twoBoxes);
    run("search, all boxes empty", LineLayout::Search, [&](const char *r) { return all.matches(r); });
    run("search, two boxes", LineLayout::Search, [&](const char *r) { return some.matches(r); });
    run("under stock", LineLayout::Search, isUnderStock);
    run("unpaid", LineLayout::Unpaid, isUnpaid);
    QElapsedTimer timer;
    timer.start();
    const AttentionCounts counts = countAttention(QDate::currentDate());
    std::printf("%-28s %7lld under stock, %lld overdue  %5lld ms\n", "start window badges", counts.underStock,
        counts.overdue, timer.elapsed());
    return 0;
}
