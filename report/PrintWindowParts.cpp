#include "report/PrintWindowParts.h"

#include "widgets/Resources.h"

#include <QLabel>
#include <QPushButton>

QWidget *addExplanatoryPicture(QWidget *window, const ExplanatoryPicture &picture)
{
    auto *label = new QLabel(window);
    label->setObjectName(picture.name);
    label->setGeometry(picture.geometry);
    label->setPixmap(Resources::pixmap(picture.art, picture.geometry.size()));
    if (!picture.message.isEmpty())
        label->setAccessibleName(picture.message);
    return label;
}

QPushButton *addPrintButton(QWidget *window, const QString &name, const QString &text, const QRect &geometry)
{
    auto *button = new QPushButton(text, window);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(QFont(QStringLiteral("Verdana"), 9));
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}
