#include "widgets/HighlightRect.h"

#include <QLinearGradient>
#include <QPainter>

HighlightRect::HighlightRect(QWidget *box, const QString &name)
    : QWidget(box->parentWidget())
{
    setObjectName(name);
    setGeometry(box->geometry().adjusted(-4, -4, 4, 4));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    stackUnder(box);
    hide();
}

void HighlightRect::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    QLinearGradient border(r.topLeft(), r.bottomRight());
    border.setColorAt(0, QColor(255, 255, 0));
    border.setColorAt(1, Qt::white);
    p.fillRect(r, border);
    p.fillRect(r.adjusted(2, 2, -2, -2), QColor(255, 255, 0));
}
