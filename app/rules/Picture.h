#pragma once

#include "storage/FileReplace.h"

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
 * The most pixels a JPEG may declare (16384 x 16384); a bitmap may declare MaxPicturePixels. Anything
 * larger is refused before any decoding.
 */
constexpr qint64 MaxJpegPixels = 16384LL * 16384;
/**
 * The most memory a progressive JPEG's data may take while it decodes (two bytes a sample): about
 * 85 megapixels of an ordinary camera photo, 42 of one with full colour detail.
 */
constexpr qint64 MaxProgressiveBytes = 256LL * 1024 * 1024;

/**
 * Writes the picture as the JPEG file at `path`, made whole in memory and then put in place in one
 * checked replacement, as every photo of the program is written. On any failure, and when a file of
 * the program folder is a link that leads outside it, the old file stays as it was.
 */
WriteResult savePictureJpeg(
    const QImage &picture, const QString &path, FileReplace::Place place = FileReplace::Place::ProgramFolder);
