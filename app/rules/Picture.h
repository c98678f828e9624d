#pragma once

#include <QImage>
#include <QString>

class QIODevice;

/**
 * Loads a JPEG or bitmap file as the program does everywhere: refuses what is not a readable
 * picture or would take unbounded memory, and decodes a JPEG photo larger than MaxPicturePixels
 * reduced to fit (to a half or less of its width and height). Returns a null image on any failure;
 * `reduced`, when given, tells whether the picture is smaller than the file's.
 */
QImage loadPicture(const QString &path, bool *reduced = nullptr);
/** The same from an open device (the whole of it is the picture). */
QImage loadPicture(QIODevice *device, bool *reduced = nullptr);
/**
 * loadPicture() for a picture that will only be shown within `shown`: decoded no larger than twice
 * that (aspect kept), which for a JPEG skips most of the decoding. The caller scales the rest.
 */
QImage loadPictureFor(const QString &path, const QSize &shown);

/** The most pixels a loaded picture holds. */
constexpr qint64 MaxPicturePixels = 32LL * 1024 * 1024;
/**
 * The most pixels a plain JPEG may declare; a progressive JPEG or a bitmap may declare
 * MaxPicturePixels. Anything larger is refused before any decoding.
 */
constexpr qint64 MaxJpegPixels = 64LL * 1024 * 1024;

/**
 * Writes the picture as the JPEG file at `path`, made whole in memory and then put in place in one
 * checked replacement, as every photo of the program is written. False on any failure, and when `path`
 * is a link that leads outside the program folder; the old file then stays as it was.
 */
[[nodiscard]] bool savePictureJpeg(const QImage &picture, const QString &path);
