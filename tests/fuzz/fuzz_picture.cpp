// Any bytes given as a picture file load as a picture within the size bound or as nothing.
#include "app/rules/Picture.h"

#include <QBuffer>
#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QImage image = loadPicture(&buffer);
    if (!image.isNull() && qint64(image.width()) * image.height() > MaxPicturePixels)
        __builtin_trap();
    return 0;
}
