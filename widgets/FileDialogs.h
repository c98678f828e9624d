#pragma once

#include <QString>

#include <functional>

class QWidget;

/** The open and save file dialogs, behind a seam tests answer in advance. */
namespace FileDialogs {
enum class Kind { Open, Save, Folder };

/**
 * Filters are written as pairs "Description|*.a;*.b|Other|*.c". Returns the chosen path, or an
 * empty text when the user cancels.
 */
QString openFile(QWidget *parent, const QString &title, const QString &filter);

/**
 * The save dialog for a file of type `suffix` ("pdf", "jpg"). A name that does not end in one of
 * the filter's extensions gets ".suffix", and the question before overwriting names the file that
 * will really be written; on No the dialog comes back. Returns that path, or an empty text on cancel.
 */
QString saveFile(
    QWidget *parent, const QString &title, const QString &filter, const QString &proposedName, const QString &suffix);

/** The dialog that picks an existing folder; an empty text when the user cancels. */
QString openFolder(QWidget *parent, const QString &title);

/** Turns "Description|*.a;*.b|..." into Qt's "Description (*.a *.b);;..." form. */
QString toQtFilter(const QString &filter);

/**
 * Test seam: answers every dialog instead of the screen (empty answer = cancel). `suffix` is empty
 * for the open and folder dialogs, and so is `filter` for the folder dialog.
 */
using Handler = std::function<QString(
    Kind, const QString &title, const QString &filter, const QString &proposedName, const QString &suffix)>;
void setHandler(Handler handler);
} // namespace FileDialogs
