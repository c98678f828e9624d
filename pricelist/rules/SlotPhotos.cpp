#include "pricelist/rules/SlotPhotos.h"

#include "storage/ProgramFolder.h"

#include <QDir>
#include <QPainter>

QString SlotPhotos::folder()
{
    return programPath(QStringLiteral("Foto_Listino/"));
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
    return isPlainFileName(name) ? SlotPhotos::folder() + name : QString();
}
} // namespace

QString SlotPhotos::photoPath(const QString &title, QChar slot, const QString &page)
{
    return inFolder(title + QLatin1String("_Foto_") + slot + QLatin1Char('_') + page + QLatin1String(".jpg"));
}

QString SlotPhotos::thumbnailPath(const QString &title, QChar slot)
{
    return inFolder(title + QLatin1String("_Anteprima_") + slot + QLatin1String(".jpg"));
}

QString SlotPhotos::warehousePhotoPath(const QString &record)
{
    // Only a plain number can name a card photo: nothing else may lead outside the program folder.
    if (record.isEmpty())
        return QString();
    for (QChar c : record)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return QString();
    return programPath(record + QLatin1String(".jpg"));
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
