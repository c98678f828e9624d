#include "widgets/PhotoBox.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

PhotoBox::PhotoBox(QWidget *parent, const QString &name, const QRect &geometry)
    : QWidget(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setFocusPolicy(Qt::NoFocus);
}

void PhotoBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QImage();
    m_keptFile.clear();
    update();
}

void PhotoBox::showFile(const QString &path, const QImage &fallback)
{
    bool reduced = false;
    const QImage picture = loadPicture(path, &reduced);
    setPicture(picture.isNull() ? fallback : picture);
    if (reduced || (picture.isNull() && QFileInfo::exists(path)))
        m_keptFile = path;
}

QRect PhotoBox::drawnRect(const QSize &picture, const QSize &box)
{
    QSize s = picture;
    if (s.width() > box.width() || s.height() > box.height())
        s = s.scaled(box, Qt::KeepAspectRatio);
    return QRect(QPoint((box.width() - s.width()) / 2, (box.height() - s.height()) / 2), s);
}

void PhotoBox::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    const QRect target = drawnRect(m_picture.size(), size());
    if (target.size() == m_picture.size()) {
        QPainter(this).drawImage(target.topLeft(), m_picture);
        return;
    }
    if (m_scaled.size() != target.size())
        m_scaled = m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter(this).drawImage(target.topLeft(), m_scaled);
}

void PhotoBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

