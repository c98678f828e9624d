#include "app/rules/Picture.h"

#include "storage/FileReplace.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QtEndian>

namespace {
// Nothing bigger is a picture the program would show: the largest bitmap within the pixel bound.
constexpr qint64 MaxFileBytes = MaxPicturePixels * 4 + 1024;

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

struct JpegLayout
{
    bool complete = false;
    bool progressive = false;
    qint64 samples = 0; ///< the samples of every component together, as the frame declares them
};

// The frame header: the size, then each component's sampling (a colour at half the width and height
// holds a quarter of the samples).
qint64 frameSamples(const QByteArray &b, qsizetype at)
{
    if (at + 10 > b.size())
        return 0;
    const qint64 height = (uchar(b[at + 5]) << 8) | uchar(b[at + 6]);
    const qint64 width = (uchar(b[at + 7]) << 8) | uchar(b[at + 8]);
    const int components = uchar(b[at + 9]);
    if (at + 10 + 3 * components > b.size() || components == 0)
        return 0;
    int hMax = 1;
    int vMax = 1;
    for (int c = 0; c < components; ++c) {
        const uchar factors = uchar(b[at + 11 + 3 * c]);
        hMax = qMax(hMax, factors >> 4);
        vMax = qMax(vMax, factors & 0x0F);
    }
    qint64 samples = 0;
    for (int c = 0; c < components; ++c) {
        const uchar factors = uchar(b[at + 11 + 3 * c]);
        samples += (width * qMax(1, factors >> 4) / hMax) * (height * qMax(1, factors & 0x0F) / vMax);
    }
    return samples;
}

// A JPEG is whole when its end marker follows the start of the main image's data, and progressive when
// its frame says so. The walk skips each segment by its length, so a thumbnail inside the camera's data
// block does not count.
JpegLayout jpegLayout(const QByteArray &b)
{
    JpegLayout layout;
    qsizetype at = 2;
    while (at + 4 <= b.size()) {
        if (uchar(b[at]) != 0xFF)
            return layout;
        const uchar marker = uchar(b[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA) {
            layout.complete = b.lastIndexOf("\xFF\xD9") > at;
            return layout;
        }
        if (marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        // The frame markers of progressive coding.
        if (marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE)
            layout.progressive = true;
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            layout.samples = frameSamples(b, at);
        at += 2 + ((uchar(b[at + 2]) << 8) | uchar(b[at + 3]));
    }
    return layout;
}

// A bitmap is whole when the file is as long as its header says, and, uncompressed, holds every row.
bool bitmapComplete(const QByteArray &b)
{
    if (b.size() < 54)
        return false;
    const quint32 fileSize = le32(b, 2);
    if (fileSize != 0 && quint64(b.size()) < fileSize)
        return false;
    const quint32 headerSize = le32(b, 14);
    if (headerSize < 40)
        return true; // the old OS/2 header: Qt checks it as it reads
    const qint64 width = qint32(le32(b, 18));
    const qint64 height = qAbs(qint64(qint32(le32(b, 22))));
    const quint16 bits = qFromLittleEndian<quint16>(b.constData() + 28);
    const quint32 compression = le32(b, 30);
    if (compression != 0 || width <= 0 || bits == 0)
        return true;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return qint64(b.size()) >= qint64(le32(b, 10)) + stride * height;
}

QImage decodePicture(QIODevice *device, bool *reduced, const QSize &shown)
{
    if (reduced)
        *reduced = false;
    if (!device->isSequential() && device->size() > MaxFileBytes)
        return QImage();
    // In pieces: read(MaxFileBytes) would set aside the whole bound for every photo.
    QByteArray bytes;
    for (QByteArray piece; !(piece = device->read(1 << 20)).isEmpty();) {
        bytes += piece;
        if (bytes.size() > MaxFileBytes)
            return QImage();
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // A header may claim any size. A JPEG decodes reduced in step with its size, so camera photos of
    // 48-70 megapixels and more load; larger claims are refused untried. A progressive JPEG also holds
    // the whole picture's data while decoding, two bytes a sample: its samples are bounded so that
    // stays within MaxProgressiveBytes. Other formats decode whole: for them 32 megapixels (128 MB
    // decoded) is the bound, and what Qt's own allocation limit lets through.
    const QSize size = reader.size();
    const QByteArray format = reader.format();
    const bool isJpeg = format == "jpeg";
    const JpegLayout jpeg = isJpeg ? jpegLayout(bytes) : JpegLayout();
    const qint64 bound = isJpeg ? MaxJpegPixels : MaxPicturePixels;
    if (!size.isValid() || qint64(size.width()) * size.height() > bound)
        return QImage();
    if (jpeg.progressive && (jpeg.samples <= 0 || jpeg.samples * 2 > MaxProgressiveBytes))
        return QImage();
    // Qt shows a cut-off file with its missing part in grey; the program shows no picture instead.
    if (format == "jpeg" && !jpeg.complete)
        return QImage();
    if (format == "bmp" && !bitmapComplete(bytes))
        return QImage();
    // A whole fraction lets the decoder skip the detail while it reads, instead of decoding in full and
    // scaling after. Half of 64 megapixels is still more than a screen or an A4 print shows.
    // For a JPEG a power of two, which its decoder reaches directly, with no larger picture on the way.
    int k = 1;
    while (qint64(size.width() / k) * (size.height() / k) > MaxPicturePixels)
        k = isJpeg ? k * 2 : k + 1;
    QSize decoded = k > 1 ? QSize(size.width() / k, size.height() / k) : size;
    if (shown.isValid()) {
        const QSize enough = size.scaled(shown * 2, Qt::KeepAspectRatio);
        if (enough.width() < decoded.width() && enough.height() < decoded.height())
            decoded = enough;
    }
    if (decoded != size)
        reader.setScaledSize(decoded);
    const QImage picture = reader.read();
    if (reduced)
        *reduced = k > 1 && !picture.isNull();
    return picture;
}
} // namespace

QImage loadPicture(const QString &path, bool *reduced)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return loadPicture(&file, reduced);
}

QImage loadPicture(QIODevice *device, bool *reduced)
{
    return decodePicture(device, reduced, QSize());
}

QImage loadPictureFor(const QString &path, const QSize &shown)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return decodePicture(&file, nullptr, shown);
}

WriteResult savePictureJpeg(const QImage &picture, const QString &path, FileReplace::Place place)
{
    if (picture.isNull())
        return WriteError::WriteFailed;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(picture))
        return WriteError::WriteFailed;
    return FileReplace::replace(path, bytes, place);
}
