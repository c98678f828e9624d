#include "widgets/Controls.h"

#include "widgets/BoxBehaviour.h"
#include "widgets/DialogWindow.h"
#include "widgets/Resources.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

void paintPanelFace(QWidget *panel)
{
    QPalette face = panel->palette();
    face.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    panel->setPalette(face);
    panel->setAutoFillBackground(true);
}

QFont verdana(int pointSize, bool bold)
{
    QFont font(QStringLiteral("Verdana"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QLabel *placeLabel(QWidget *parent, const QString &name, const QPoint &pos, const QString &text, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    if (font != QFont())
        label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->move(pos);
    label->adjustSize();
    return label;
}

QLabel *placePicture(QWidget *parent, const QString &name, const QString &art, const QRect &geometry)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setGeometry(geometry);
    picture->setPixmap(Resources::pixmap(art, geometry.size()));
    return picture;
}

QPushButton *placeButton(QWidget *parent, const QString &name, const QRect &geometry, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

bool pressFocusedButton(QWidget *window, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (auto *button = qobject_cast<QPushButton *>(window->focusWidget()))
        button->click();
    return true;
}

bool setControlText(QWidget *root, const QString &name, const QString &text)
{
    QWidget *control = ownControl<QWidget>(root ? root->window() : nullptr, name);
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        showFromStart(box, text);
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        label->setText(text);
    } else {
        return false;
    }
    return true;
}
