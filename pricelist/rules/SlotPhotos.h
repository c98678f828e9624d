#pragma once

#include <QImage>
#include <QSize>
#include <QString>

/**
 * Where the slot photos and print thumbnails of the price lists live and the size they are written
 * at. Every file is a JPEG in "Foto_Listino" under the program folder.
 */
namespace SlotPhotos {
/** Every slot photo and thumbnail file is exactly this size. */
inline constexpr QSize FileSize(366, 274);

/** The photo folder with its trailing separator. */
QString folder();
/** Creates the photo folder with any missing parent; false when it cannot be made. */
bool ensureFolder();

/**
 * Photo of slot `slot` ('A'..'H') on page `page` of list `title`: <title>_Foto_<slot>_<page>.jpg; empty
 * when that is not a plain file name (a separator or a control character in the title).
 */
QString photoPath(const QString &title, QChar slot, const QString &page);
/** Print thumbnail of slot `slot` of list `title`: <title>_Anteprima_<slot>.jpg; empty as photoPath(). */
QString thumbnailPath(const QString &title, QChar slot);
/** Photo of warehouse card `record` (<record>.jpg in the program folder); empty when not a card number. */
QString warehousePhotoPath(const QString &record);

/** The picture stretched over a cleared 366 × 274 bitmap with smooth interpolation, proportions not kept. */
QImage toFileSize(const QImage &picture);
} // namespace SlotPhotos
