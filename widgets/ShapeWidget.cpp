#include "widgets/ShapeWidget.h"

#include <QLinearGradient>
#include <QPainter>

ShapeWidget::ShapeWidget(QWidget *parent, const QColor &top, const QColor &bottom, const QColor &border)
    : QWidget(parent)
    , m_top(top)
    , m_bottom(bottom)
    , m_border(border)
{ }

ShapeWidget::ShapeWidget(
    QWidget *parent, const QRect &geometry, const QColor &top, const QColor &bottom, const QColor &border)
    : ShapeWidget(parent, top, bottom, border)
{
    setGeometry(geometry);
}

void ShapeWidget::setColors(const QColor &top, const QColor &bottom, const QColor &border)
{
    m_top = top;
    m_bottom = bottom;
    m_border = border;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    if (m_bottom.isValid()) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, m_top);
        g.setColorAt(1, m_bottom);
        p.fillRect(r, g);
    } else if (m_top.isValid()) {
        p.fillRect(r, m_top);
    }
    if (m_border.isValid()) {
        p.setPen(m_border);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void paintGradient(QWidget *widget, const QColor &top, const QColor &bottom)
{
    QPainter p(widget);
    QLinearGradient g(0, 0, 0, widget->height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(widget->rect(), g);
}
