#pragma once

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

/** A picture on a print window's white panel; `message` is what it says, for screen readers. */
struct ExplanatoryPicture
{
    QString name;
    QString art;
    QRect geometry;
    QString message;
};

/** Places an explanatory picture drawn from the program's artwork. */
QWidget *addExplanatoryPicture(QWidget *window, const ExplanatoryPicture &picture);

/** A button of the print windows: Verdana, hand cursor. */
QPushButton *addPrintButton(QWidget *window, const QString &name, const QString &text, const QRect &geometry);
