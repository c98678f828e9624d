#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QPoint;
class QPushButton;
class QRect;
class QWidget;

/** Gives a panel the plain face colour of the program's panels, so its labels read over the window gradient. */
void paintPanelFace(QWidget *panel);

/** The program's window font: Verdana (the default size unless given). */
QFont verdana(int pointSize = 8, bool bold = false);

/** A label placed at `pos`, sized to its text in `font` (the parent's when not given). */
QLabel *placeLabel(
    QWidget *parent, const QString &name, const QPoint &pos, const QString &text, const QFont &font = QFont());

/** A decorative picture drawn from the artwork `art`, filling `geometry`. */
QLabel *placePicture(QWidget *parent, const QString &name, const QString &art, const QRect &geometry);

/** A push button that, like the program's other buttons, is pressed by Enter only when it has the cursor. */
QPushButton *placeButton(QWidget *parent, const QString &name, const QRect &geometry, const QString &text);

/** Enter on a focused push button presses it; elsewhere in the window Enter does nothing. */
bool pressFocusedButton(QWidget *window, int key);

/** Sets the text of a text box or label of the window `root`; false when there is none. */
bool setControlText(QWidget *root, const QString &name, const QString &text);
