#pragma once

#include "storage/FileReplace.h"

#include <QMessageBox>
#include <QString>

#include <functional>

class ArchiveError;
class QWidget;

/**
 * Every message box of the program goes through here, so tests can read what would have been
 * shown and answer it without a modal loop.
 */
namespace Msg {
enum class Kind {
    Warning, ///< warning icon, OK and Cancel; the answer changes nothing
    Error, ///< error icon, OK and Cancel
    Information, ///< information icon, OK and Cancel
    Plain, ///< no icon, OK only
    Confirm, ///< question, Yes and No; only No stops the action
    YesNoCancel, ///< question, Yes, No and Cancel; the caller acts on each answer
    ErrorReport ///< the report of an error no handler caught: the error's own text, OK only
};

void warning(QWidget *parent, const QString &text);
void error(QWidget *parent, const QString &text);
void information(QWidget *parent, const QString &text);
void plain(QWidget *parent, const QString &text);
/** Asks a Yes/No question; false only when the answer is No. */
bool confirm(QWidget *parent, const QString &text);
/** Asks a question with Yes, No and Cancel; returns the button chosen (Cancel when the box is closed). */
QMessageBox::StandardButton askYesNoCancel(QWidget *parent, const QString &text);
void errorReport(QWidget *parent, const QString &text);

/** The archive-access message, with its line-feed-then-carriage-return breaks. */
QString archiveMessage();
/** Shows the archive-access message as an error dialog or as a plain box. */
void archiveError(QWidget *parent, bool plainBox = false);
/**
 * The message for a failed archive action: the archive-access message, or the one saying that
 * another copy of the program holds the archive, or that a linked archive can be read only.
 */
QString archiveMessage(const ArchiveError &failure);
/** Shows archiveMessage(failure) as an error dialog or as a plain box. */
void archiveError(QWidget *parent, const ArchiveError &failure, bool plainBox = false);

/**
 * For a double click that reads one card: when another copy of the program holds the archive, says so
 * in a plain box and returns true (the window stays, so the click can be tried again); false otherwise.
 */
bool archiveBusy(QWidget *parent, const ArchiveError &failure);

/**
 * The refusal to write `file`, named as the user knows it, because it or a folder on its way is a link
 * leading outside the program folder.
 */
QString linkOutsideMessage(const QString &file);

/** The warning for a photo that could not be written to the file chosen for it. */
QString photoNotSavedMessage();
void photoNotSaved(QWidget *parent);
/** The warning for a photo chosen with "Carica foto" that cannot be shown; `kept` names the photo that stays. */
void photoNotShown(QWidget *parent, const QString &kept);
/**
 * The warning of an editor's Salva that wrote its record but not every photo: `appended` says whether
 * the record was new, `several` whether the window has several photos (the page editor's eight).
 */
void savedButNotThePhotos(QWidget *parent, bool appended, bool several, WriteError why = WriteError::WriteFailed);

/** Test seam: receives every message instead of the screen; returns the button "pressed". */
using Handler = std::function<QMessageBox::StandardButton(Kind, const QString &)>;
void setHandler(Handler handler);
} // namespace Msg
