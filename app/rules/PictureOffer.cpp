#include "app/rules/PictureOffer.h"

#include "app/rules/Picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QStorageInfo>
#include <QUrl>

namespace {
// Encoded data first, in the order programs usually offer it; a lossless copy beats a re-encoded one.
const char *const kPreferredFormats[] = { "image/png", "image/bmp", "image/jpeg", "image/webp" };

QStringList imageFormats(const QMimeData *mime)
{
    QStringList found;
    const QStringList offered = mime->formats();
    for (const char *f : kPreferredFormats)
        if (offered.contains(QLatin1String(f)))
            found.append(QLatin1String(f));
    for (const QString &f : offered)
        if (f.startsWith(QLatin1String("image/")) && !found.contains(f))
            found.append(f);
    return found;
}

// The local image files among the URLs, in their order; folders and remote places are left out quietly.
QStringList localFiles(const QMimeData *mime)
{
    QStringList files;
    if (!mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (isRemotePicturePlace(url))
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile())
            files.append(info.absoluteFilePath());
    }
    return files;
}

bool withinLimits(const QImage &picture)
{
    return qint64(picture.width()) * picture.height() <= MaxPicturePixels;
}
} // namespace

bool isRemotePicturePlace(const QUrl &url)
{
    if (!url.isLocalFile() || !url.host().isEmpty())
        return true;
    // A share mounted into the file system reads as slowly as one named by its address.
    const QByteArray type = QStorageInfo(url.toLocalFile()).fileSystemType();
    static const QList<QByteArray> remote = { "nfs", "nfs4", "cifs", "smbfs", "smb3", "9p", "afs", "fuse.sshfs",
        "fuse.gvfsd-fuse", "fuse.rclone", "davfs", "fuse.davfs2" };
    return remote.contains(type);
}

PictureOffer PictureOffer::take(const QMimeData *mime)
{
    PictureOffer offer;
    if (!mime)
        return offer;
    const auto found = [&offer](const QImage &picture) {
        if (picture.isNull()) {
            offer.status = Status::Unusable;
            return false;
        }
        offer.status = Status::Picture;
        offer.picture = picture;
        return true;
    };
    for (const QString &file : localFiles(mime))
        if (found(loadPicture(file)))
            return offer;
    const QStringList formats = imageFormats(mime);
    for (const QString &format : formats) {
        QByteArray bytes = mime->data(format);
        if (bytes.isEmpty())
            continue;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (found(loadPicture(&buffer)))
            return offer;
    }
    // A picture already in memory (copied inside this program): nothing to decode, only the size to check.
    // Where encoded data was offered, asking for the picture would decode it again, without limits.
    if (formats.isEmpty() && mime->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(mime->imageData());
        if (found(withinLimits(picture) ? picture : QImage()))
            return offer;
    }
    return offer;
}

bool PictureOffer::mayHold(const QMimeData *mime)
{
    if (!mime)
        return false;
    if (mime->hasImage() || !imageFormats(mime).isEmpty())
        return true;
    // The header says what a file is, whatever its name.
    for (const QString &file : localFiles(mime))
        if (!QImageReader::imageFormat(file).isEmpty())
            return true;
    return false;
}
