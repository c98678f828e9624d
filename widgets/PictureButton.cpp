#include "widgets/PictureButton.h"

#include "widgets/Resources.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget *parent, const QString &name, const QString &art, const QRect &geometry,
    const QString &word, const QString &statusText)
    : QWidget(parent)
    , m_art(art)
{
    setObjectName(name);
    setGeometry(geometry);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(word.isEmpty() ? name : word);
    setStatusText(statusText);
}

void PictureButton::setArt(const QString &art)
{
    m_art = art;
    update();
}

void PictureButton::setStatusText(const QString &text)
{
    setProperty("statusText", text);
    setAccessibleDescription(text);
    setToolTip(QString());
}

QString PictureButton::statusText() const
{
    return property("statusText").toString();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, Resources::pixmap(m_art, size()));
    if (m_down)
        p.fillRect(rect(), QColor(0, 0, 0, 40));
    if (hasFocus()) {
        p.setPen(QPen(QColor(0xFF, 0xA5, 0x00), 2));
        p.setRenderHint(QPainter::Antialiasing);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

void PictureButton::setKeyboardReachable()
{
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (focusPolicy() != Qt::NoFocus && !event->isAutoRepeat()) {
            emit clicked();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_down = true;
    update();
    emit pressed();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    m_down = false;
    update();
    emit released();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
