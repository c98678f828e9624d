#pragma once

#include <QString>
#include <QStringList>

/**
 * The one list of the files the program keeps in its folder: what the list window shows, what the
 * editors write, what a safety copy holds and restores, and what the start-up clean-up recognises.
 * Names are relative to the program folder, with "/" separators.
 */
namespace ProgramFiles {
/** The folder of the price lists' slot photos and print thumbnails. */
QString photoFolder();
/** The folder of the cards' attachments. */
QString attachmentFolder();

/**
 * A price list: "<title>.lis", the extension in any case, a plain name (dot names, accents and
 * "x.lis.lis" included; ":" too where the file system takes it).
 */
bool isPriceList(const QString &name);
/** A card's photo: "<number>.jpg" directly in the program folder. */
bool isCardPhoto(const QString &name);
/** "<title>_Foto_<slot>_<page>.jpg"; empty when that is no name a file can have in the photo folder. */
QString slotPhotoName(const QString &title, QChar slot, const QString &page);
/** "<title>_Anteprima_<slot>.jpg"; empty as slotPhotoName(). */
QString thumbnailName(const QString &title, QChar slot);
/** A name slotPhotoName() or thumbnailName() makes, of any title. */
bool isSlotPhoto(const QString &name);
/** "Vetrinova-copia-AAAA-MM-GG-hhmm.zip", or "-<n>.zip" for a later copy in the same minute. */
bool isCopyName(const QString &name);

/**
 * The program's log, "Vetrinova.log", and the one before it, "Vetrinova.1.log". They are not program
 * files: a safety copy neither holds nor restores them (a restore must not roll back the record of
 * what went wrong), and they are appended to, never replaced, so they leave no temporaries.
 */
QString logName();
QString previousLogName();

/**
 * What the program keeps to undo the last price change and the last list update: the copy of the
 * archive or list from before it, and the record of what the file was right after it. Not program
 * files: a safety copy leaves them out (a restore changes the files they would undo).
 */
QString priceChangeCopyName();
QString priceChangeRecordName();
QString listUpdateCopyName();
QString listUpdateRecordName();
QStringList undoNames();

/** Whether a relative name is one of the files the program keeps (and so is copied and restored). */
bool isProgramFile(const QString &relativeName);
/** Every file the program keeps in its folder now, relative names, sorted. */
QStringList all();
} // namespace ProgramFiles
