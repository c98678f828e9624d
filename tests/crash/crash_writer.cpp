// Writes one of the program's files over and over, the way the program writes it, so a test can kill
// it at any moment. Usage: crash_writer MODE FOLDER [once VERSION]. MODE is card (a card's photo),
// page (a page's eight slot photos), export (Magazzino.xls) or password (the password store).
// Versions alternate between 0 and 1, each always the same bytes; after each complete write the
// version number is printed. With "once" it writes the given version and ends.
#include "app/PhotoBox.h"
#include "app/rules/PasswordStore.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/ProgramFolder.h"
#include "warehouse/rules/ExportWriter.h"

#include <QCoreApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>

namespace {
QImage noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), size.width());
    return image;
}

bool write(const QString &mode, int version)
{
    static QImage cards[2];
    if (mode == QLatin1String("card")) {
        if (cards[version].isNull())
            cards[version] = noise(QSize(1200, 900), 1 + version);
        return savePictureJpeg(cards[version], programPath(QStringLiteral("1.jpg")));
    }
    if (mode == QLatin1String("page")) {
        if (!SlotPhotos::ensureFolder())
            return false;
        for (int slot = 0; slot < 8; ++slot) {
            const QChar letter('A' + slot);
            const QImage picture = SlotPhotos::toFileSize(noise(QSize(366, 274), 10 + 8 * version + slot));
            if (!savePictureJpeg(picture, SlotPhotos::photoPath(QStringLiteral("Fiori"), letter, QStringLiteral("1"))))
                return false;
        }
        return true;
    }
    if (mode == QLatin1String("export")) {
        static QByteArray bytes[2];
        if (bytes[version].isEmpty())
            bytes[version] = QByteArray(8 << 20, char('a' + version));
        return ExportWriter::save(ExportWriter::exportPath(), bytes[version]);
    }
    if (mode == QLatin1String("password")) {
        try {
            PasswordStore::write(PasswordStore::path(), version ? QStringLiteral("UNO") : QStringLiteral("ZERO"));
            return true;
        } catch (const PasswordStore::Error &) {
            return false;
        }
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args.at(1);
    setProgramFolderOverride(args.at(2));
    if (args.value(3) == QLatin1String("once"))
        return write(mode, args.value(4).toInt()) ? 0 : 1;
    std::puts("ready");
    std::fflush(stdout);
    for (int v = 1;; v ^= 1) {
        if (!write(mode, v))
            return 1;
        std::printf("%d\n", v);
        std::fflush(stdout);
    }
}
