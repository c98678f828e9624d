#include "pricelist/rules/SlotPhotos.h"

#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"

#include <QDir>
#include <QPainter>

QString SlotPhotos::folder()
{
    return programPath(ProgramFiles::photoFolder() + QLatin1Char('/'));
}

bool SlotPhotos::ensureFolder()
{
    return QDir().mkpath(folder());
}

namespace {
// The title comes from a list file's name, which may hold anything the disk allows: a name that
// would not stay in the photo folder names no photo at all.
QString inFolder(const QString &name)
{
    return name.isEmpty() ? QString() : SlotPhotos::folder() + name;
}
} // namespace

QString SlotPhotos::photoPath(const QString &title, QChar slot, const QString &page)
{
    return inFolder(ProgramFiles::slotPhotoName(title, slot, page));
}

QString SlotPhotos::thumbnailPath(const QString &title, QChar slot)
{
    return inFolder(ProgramFiles::thumbnailName(title, slot));
}

QString SlotPhotos::warehousePhotoPath(const QString &record)
{
    // Only a plain number can name a card photo: nothing else may lead outside the program folder.
    const QString name = record + QLatin1String(".jpg");
    return ProgramFiles::isCardPhoto(name) ? programPath(name) : QString();
}

QImage SlotPhotos::toFileSize(const QImage &picture)
{
    QImage out(FileSize, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    if (picture.isNull())
        return out;
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(0, 0), FileSize), picture, picture.rect());
    return out;
}
