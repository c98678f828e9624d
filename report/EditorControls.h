#pragma once

#include <QImage>
#include <QString>

class QWidget;

/**
 * Reading and writing another window's controls by object name, as the print windows do with the
 * editors' boxes. A name that is missing reads as empty.
 */
namespace EditorControls {
/** The text of a text box, label, check box or button named `name` inside `form`. */
QString text(const QWidget *form, const QString &name);
void setText(QWidget *form, const QString &name, const QString &text);
bool isChecked(const QWidget *form, const QString &name);
/** The picture held by the image box `name`. */
QImage picture(const QWidget *form, const QString &name);
} // namespace EditorControls
