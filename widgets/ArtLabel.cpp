#include "widgets/ArtLabel.h"

#include "widgets/Resources.h"

#include <QLabel>

QLabel *artLabel(
    QWidget *parent, const QString &name, const QString &art, const QRect &geometry, const QString &description)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setPixmap(Resources::pixmap(art, geometry.size()));
    label->setAccessibleName(description);
    return label;
}
