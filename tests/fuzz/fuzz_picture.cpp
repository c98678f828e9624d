// Any bytes given as a picture file load as a picture within the size bound or as nothing.
#include "app/rules/Picture.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImageReader>

// Without an application object Qt looks for its image plugins again on every picture.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Decoding a few valid-looking megapixels of noise takes seconds and finds nothing new: such
    // inputs are left out, except those over the bounds, which the loader refuses at once.
    {
        QImageReader peek(&buffer);
        const QSize declared = peek.size();
        const qint64 pixels = qint64(declared.width()) * declared.height();
        if (pixels > 512 * 512 && pixels <= MaxJpegPixels)
            return 0;
        buffer.seek(0);
    }
    const QImage image = loadPicture(&buffer);
    if (!image.isNull() && qint64(image.width()) * image.height() > MaxPicturePixels)
        __builtin_trap();
    return 0;
}
