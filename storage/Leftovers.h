#pragma once

#include <QStringList>

/**
 * What an interrupted save leaves behind. Where the file system has no unnamed temporary files
 * (vfat and exFAT, the usual USB sticks), a save writes a named temporary beside its target, the
 * target's name followed by "." and six random letters, and a save killed halfway leaves it there.
 */
namespace Leftovers {
/**
 * True when `name`, found in the program folder (`folder` empty) or in its subfolder `folder`,
 * is such a temporary of a file the program saves there. The six letters must mix capitals and
 * small letters past the first, as random ones nearly always do, so a user's own "x.pdf.Giugno"
 * or "Fiori.lis.Backup" is never taken for one.
 */
bool isInterruptedSave(const QString &folder, const QString &name);

/**
 * Removes every such temporary from the program folder, Foto_Listino and Documenti_Allegati;
 * returns their paths relative to the program folder.
 */
QStringList removeInterruptedSaves();
} // namespace Leftovers
