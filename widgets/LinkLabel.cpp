#include "widgets/LinkLabel.h"

#include "widgets/PictureButton.h"

#include <QMouseEvent>

const QColor LinkLabel::Normal(0x00, 0x00, 0x8B);
const QColor LinkLabel::Pressed(0xFF, 0xA5, 0x00);

LinkLabel::LinkLabel(QWidget *parent, const QString &name, const QString &text, const QPoint &at)
    : QLabel(text, parent)
{
    setObjectName(name);
    QFont f(QStringLiteral("Tahoma"), 14);
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setAccessibleName(text);
    setColor(Normal);
    move(at);
    adjustSize();
}

void LinkLabel::attachIcon(PictureButton *icon)
{
    connect(icon, &PictureButton::pressed, this, [this] { setColor(Pressed); });
    connect(icon, &PictureButton::released, this, [this] { setColor(Normal); });
    connect(icon, &PictureButton::clicked, this, [this] {
        setColor(Normal);
        emit clicked();
    });
}

QColor LinkLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

void LinkLabel::setColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_down = true;
    setColor(Pressed);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    setColor(Normal);
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
