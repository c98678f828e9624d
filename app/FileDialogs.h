#pragma once

#include <QString>

#include <functional>

class QWidget;

/** The open and save file dialogs, behind a seam tests answer in advance. */
namespace FileDialogs {
enum class Kind { Open, Save };

/**
 * Filters are written as pairs "Description|*.a;*.b|Other|*.c". Returns the chosen path, or an
 * empty text when the user cancels. The save dialog asks before overwriting.
 */
QString openFile(QWidget *parent, const QString &title, const QString &filter);
QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &proposedName);

/** Turns "Description|*.a;*.b|..." into Qt's "Description (*.a *.b);;..." form. */
QString toQtFilter(const QString &filter);

/** Test seam: answers every dialog instead of the screen (empty answer = cancel). */
using Handler = std::function<QString(Kind, const QString &title, const QString &filter, const QString &proposedName)>;
void setHandler(Handler handler);
} // namespace FileDialogs
