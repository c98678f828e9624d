#pragma once

#include <QString>
#include <QtGlobal>

/**
 * Vetrinova.log in the program folder: the warnings and errors of every thread, and the program's
 * own info lines (categories "vetrinova.*"), one per line with the time, the level and the category.
 * The file is kept under a size: when the next line would pass it the file becomes the previous
 * log (Vetrinova.1.log, replacing the one before) and a new one is begun, so two are kept at most.
 * Logging never stops the program: a line that cannot be written is dropped without a word.
 */
namespace LogFile {
/** Past this size a log is set aside and a new one begun. */
inline constexpr qint64 DefaultLimit = 1024 * 1024;

/** Sends Qt's messages to the log as well as to the handler that was there before. */
void install();
/** Puts back the handler install() replaced. */
void uninstall();

/** Appends one line as the handler does (tests call it directly). */
void append(QtMsgType type, const char *category, const QString &message);

/** Test seam: another size bound; 0 restores DefaultLimit. */
void setLimit(qint64 bytes);
} // namespace LogFile
