// How long a safety copy and its restore take for a large shop: 100 000 cards (259 MB) and 1 000
// photos, in a folder on the disk the given data folder is on. Usage: bench-safetycopy DATAFOLDER
#include "storage/ProgramFolder.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int Cards = 100000;
constexpr int Photos = 1000;
constexpr qsizetype PhotoBytes = 150 * 1024; // a typical card photo; random bytes pack as little as JPEG

bool makeShop(const QString &folder)
{
    QFile archive(folder + QStringLiteral("Magazzino.pro"));
    if (!archive.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1000 * TSchedaProdotto::RecordSize, '\0');
    for (int first = 0; first < Cards; first += 1000) {
        for (int i = 0; i < 1000; ++i) {
            TSchedaProdotto card;
            card[TSchedaProdotto::Codice] = QStringLiteral("ART-%1").arg(first + i, 6, 10, QLatin1Char('0'));
            card[TSchedaProdotto::Nome] = QStringLiteral("Articolo numero %1 della prova").arg(first + i);
            card[TSchedaProdotto::Caratteristiche] = QStringLiteral("Caratteristiche dell'articolo %1").arg(first + i);
            card[TSchedaProdotto::Prezzo] = QStringLiteral("%1,50").arg(first + i);
            card.store(block.data() + i * TSchedaProdotto::RecordSize);
        }
        if (archive.write(block) != block.size())
            return false;
    }
    QRandomGenerator random(9);
    QByteArray photo(PhotoBytes, Qt::Uninitialized);
    for (int i = 1; i <= Photos; ++i) {
        random.fillRange(reinterpret_cast<quint32 *>(photo.data()), photo.size() / 4);
        QFile f(folder + QStringLiteral("%1.jpg").arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(photo) != photo.size())
            return false;
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString where = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QDir().mkpath(where);
    QTemporaryDir dir(where + QStringLiteral("/bench-safetycopy-XXXXXX"));
    const QString folder = dir.path() + QStringLiteral("/Vetrinova/");
    const QString zip = dir.path() + QStringLiteral("/copia.zip");
    QDir().mkpath(folder);
    setProgramFolderOverride(folder);
    if (!makeShop(folder)) {
        std::fprintf(stderr, "bench-safetycopy: cannot write the sample shop in %s\n", qPrintable(where));
        return 1;
    }
    QElapsedTimer t;
    t.start();
    if (SafetyCopy::create(zip) != SafetyCopy::Problem::None) {
        std::fprintf(stderr, "bench-safetycopy: the copy failed\n");
        return 1;
    }
    const double copySeconds = t.nsecsElapsed() / 1e9;
    // The restore replaces a folder that has changed since the copy.
    QFile::remove(folder + QStringLiteral("1.jpg"));
    t.restart();
    if (SafetyCopy::restore(zip) != SafetyCopy::Problem::None) {
        std::fprintf(stderr, "bench-safetycopy: the restore failed\n");
        return 1;
    }
    const double restoreSeconds = t.nsecsElapsed() / 1e9;
    std::printf("safety copy of %d cards (%lld MB) and %d photos: copy %.2f s, restore %.2f s (goal: under 10 s "
                "each), archive %lld MB\n",
        Cards, static_cast<long long>(Cards) * TSchedaProdotto::RecordSize / 1000000, Photos, copySeconds,
        restoreSeconds, QFile(zip).size() / 1000000);
    return copySeconds < 10 && restoreSeconds < 10 ? 0 : 2;
}
