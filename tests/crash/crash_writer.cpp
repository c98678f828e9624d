// Writes one of the program's files over and over, the way the program writes it, so a test can kill
// it at any moment. Usage: crash_writer MODE FOLDER [once VERSION]. MODE is card (a card's photo),
// page (a page's eight slot photos), export (Magazzino.xls) or password (the password store).
// Versions alternate between 0 and 1, each always the same bytes; after each complete write the
// version number is printed. With "once" it writes the given version and ends.
#include "app/rules/PasswordStore.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/ProgramFolder.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "widgets/PhotoBox.h"

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

// Both versions' contents are made before the loop starts, so a kill lands in the writing itself.
QImage cards[2];
QImage slotPictures[2][8];
WarehouseSheet exports[2];

void prepare(const QString &mode)
{
    for (int version = 0; version < 2; ++version) {
        if (mode == QLatin1String("card"))
            cards[version] = noise(QSize(1200, 900), 1 + version);
        for (int slot = 0; slot < 8 && mode == QLatin1String("page"); ++slot)
            slotPictures[version][slot] = SlotPhotos::toFileSize(noise(QSize(366, 274), 10 + 8 * version + slot));
        if (mode == QLatin1String("export")) {
            // About 10 MB, so the file is written in several blocks.
            exports[version].setRowCount(4000);
            for (int row = 0; row < 4000; ++row)
                for (int column = 0; column < WarehouseSheet::ColumnCount; ++column)
                    exports[version].setText(row, column, QString(100, QChar(u'a' + version)));
        }
    }
}

bool write(const QString &mode, int version)
{
    if (mode == QLatin1String("card"))
        return bool(savePictureJpeg(cards[version], programPath(QStringLiteral("1.jpg"))));
    if (mode == QLatin1String("page")) {
        if (!SlotPhotos::ensureFolder())
            return false;
        for (int slot = 0; slot < 8; ++slot) {
            const QChar letter('A' + slot);
            if (!savePictureJpeg(slotPictures[version][slot],
                    SlotPhotos::photoPath(QStringLiteral("Fiori"), letter, QStringLiteral("1"))))
                return false;
        }
        return true;
    }
    if (mode == QLatin1String("export"))
        return bool(ExportWriter::write(ExportWriter::exportPath(), exports[version]));
    if (mode == QLatin1String("password")) {
        return bool(
            PasswordStore::write(PasswordStore::path(), version ? QStringLiteral("UNO") : QStringLiteral("ZERO")));
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
    prepare(mode);
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
