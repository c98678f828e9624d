// Appends cards (or price-list pages) to the archive of a given folder, standing in for a second
// copy of the program working on the same folder. Usage: appender FOLDER TAG COUNT [pause|pages|reader].
// It starts when a line arrives on standard input, so several of them can be released together.
// With "pause" it stops just before its first write, says "paused" and waits for another line.
// With "pages" it appends pages to Fiori.lis instead of cards. With "reader" it writes nothing: it
// reads the cards and the pages over and over until it has seen COUNT of each, checking that every
// record it reads is whole, and exits 1 at the first torn one.
#include "storage/ArchiveFile.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace {
bool waitForLine()
{
    char line[16];
    return std::fgets(line, sizeof line, stdin) != nullptr;
}

QString digest(const QStringList &texts)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(texts.join(QLatin1Char('|')).toLatin1(), QCryptographicHash::Md5).toHex());
}

// A card whose last field is a digest of all the others: any mix of two writes fails the check.
TSchedaProdotto makeCard(const QString &tag, int i)
{
    TSchedaProdotto card;
    card[TSchedaProdotto::Codice] = QStringLiteral("%1-%2").arg(tag).arg(i);
    card[TSchedaProdotto::Nome] = QStringLiteral("Prodotto %1 di %2").arg(i).arg(tag);
    card[TSchedaProdotto::Note] = QString(200, tag.at(0));
    card[TSchedaProdotto::File03] = QString(240, QChar('a' + i % 26));
    QStringList others;
    for (int f = 0; f < TSchedaProdotto::Desc03; ++f)
        others << card.values[f];
    card[TSchedaProdotto::Desc03] = digest(others);
    return card;
}

bool cardWhole(const TSchedaProdotto &card)
{
    QStringList others;
    for (int f = 0; f < TSchedaProdotto::Desc03; ++f)
        others << card.values[f];
    return !card[TSchedaProdotto::Codice].isEmpty() && card[TSchedaProdotto::Desc03] == digest(others);
}

TPaginaListino makePage(const QString &tag, int i)
{
    TPaginaListino page;
    QStringList texts;
    for (int s = 0; s < TPaginaListino::SlotCount; ++s) {
        page.voci[s][TVoceListino::Codice] = QStringLiteral("%1-%2").arg(tag).arg(i);
        page.voci[s][TVoceListino::Caratteristiche] = QString(240, QChar('a' + (i + s) % 26));
        texts << page.voci[s].values[TVoceListino::Codice] << page.voci[s].values[TVoceListino::Caratteristiche];
    }
    page.voci[7][TVoceListino::Nome] = digest(texts);
    return page;
}

bool pageWhole(const TPaginaListino &page)
{
    QStringList texts;
    for (int s = 0; s < TPaginaListino::SlotCount; ++s)
        texts << page.voci[s].values[TVoceListino::Codice] << page.voci[s].values[TVoceListino::Caratteristiche];
    return page.voci[7][TVoceListino::Nome] == digest(texts);
}

int read(int expected)
{
    const QString list = programPath(QStringLiteral("Fiori.lis"));
    qint64 cards = 0, pages = 0;
    QElapsedTimer running;
    running.start();
    while ((cards < expected || pages < expected) && running.elapsed() < 60000) {
        cards = 0;
        bool torn = false;
        WarehouseArchive::forEachRaw([&](qint64 n, const char *raw) {
            ++cards;
            if (!cardWhole(TSchedaProdotto::load(raw))) {
                std::printf("torn card %lld\n", static_cast<long long>(n));
                torn = true;
            }
            return !torn;
        });
        pages = PriceListFile::pageCount(list);
        for (qint64 n = 1; n <= pages && !torn; ++n)
            if (!pageWhole(PriceListFile::read(list, n))) {
                std::printf("torn page %lld\n", static_cast<long long>(n));
                torn = true;
            }
        if (torn)
            return 1;
    }
    return cards == expected && pages == expected ? 0 : 4;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    setProgramFolderOverride(args.at(1));
    const QString tag = args.at(2);
    const int count = args.at(3).toInt();
    const QString mode = args.value(4);
    if (mode == QLatin1String("pause")) {
        // Stops before the first record's write, holding the lock, until told to go on.
        Os::Faults::Fault pause;
        pause.kind = Os::Faults::Kind::Write;
        pause.hook = [](Os::Faults::Kind, int call, const std::string &) {
            if (call == 1) {
                std::puts("paused");
                std::fflush(stdout);
                waitForLine();
            }
        };
        Os::Faults::arm(pause);
    }
    if (!waitForLine())
        return 3;
    try {
        if (mode == QLatin1String("reader"))
            return read(count);
        for (int i = 1; i <= count; ++i) {
            if (mode == QLatin1String("pages"))
                PriceListFile::append(programPath(QStringLiteral("Fiori.lis")), makePage(tag, i));
            else
                WarehouseArchive::append(makeCard(tag, i));
        }
    } catch (const ArchiveError &e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    return 0;
}
