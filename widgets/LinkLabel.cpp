#include "widgets/LinkLabel.h"

#include "widgets/PictureButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

void LinkLabel::setKeyboardReachable()
{
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (focusPolicy() != Qt::NoFocus && !event->isAutoRepeat()
        && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    p.setPen(QPen(QColor(0xFF, 0xA5, 0x00), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
