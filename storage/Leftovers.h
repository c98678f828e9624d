#pragma once

#include <QString>
#include <QStringList>

/**
 * What an interrupted save leaves behind. A save writes the new contents to a temporary beside its
 * target, the target's name followed by "." and six random letters, and renames it at the end;
 * where the file system has no unnamed temporary files (vfat and exFAT, the usual USB sticks), a
 * save killed halfway leaves that temporary there.
 */
namespace Leftovers {
/**
 * True when `name`, found in the program folder (`folder` empty) or in its subfolder `folder`,
 * is such a temporary of a file the program saves there. The six letters must mix capitals and
 * small letters past the first, as random ones nearly always do, so a user's own "x.pdf.Giugno"
 * or "Fiori.lis.Backup" is never taken for one. The workbook's old fixed temporary,
 * "Magazzino.xlsx.tmp", counts too.
 */
bool isInterruptedSave(const QString &folder, const QString &name);

/**
 * True when `name`, found in a folder of safety copies, is the temporary of a copy being written:
 * the copy's own name followed by "." and six random letters, or by six small letters and digits
 * with at least one digit as the ZIP library makes them.
 */
bool isInterruptedCopy(const QString &name);

/**
 * Removes every such temporary from the program folder, Foto_Listino, Documenti_Allegati and the
 * folders of the automatic copies; returns their paths, relative to the program folder for a folder
 * inside it. Links are never removed, nor anything else: a journal, a restore's folders, the user's files.
 */
QStringList removeInterruptedSaves();
} // namespace Leftovers
