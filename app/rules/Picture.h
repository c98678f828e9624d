#pragma once

#include <QImage>
#include <QString>

class QIODevice;

/**
 * Loads a JPEG or bitmap file as the program does everywhere: refuses what is not a readable
 * picture or would take unbounded memory. Returns a null image on any failure.
 */
QImage loadPicture(const QString &path);
/** The same from an open device (the whole of it is the picture). */
QImage loadPicture(QIODevice *device);

/** The most pixels a picture may declare; larger ones are refused before any decoding. */
constexpr qint64 MaxPicturePixels = 32LL * 1024 * 1024;
