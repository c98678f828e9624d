#pragma once

#include <QColor>
#include <QWidget>

/**
 * A filled rectangle: solid, or a vertical gradient from `top` to `bottom`, with an optional
 * border. Window backgrounds, panels, patches and status bars are all drawn with it.
 */
class ShapeWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeWidget(QWidget *parent = nullptr, const QColor &top = Qt::white, const QColor &bottom = QColor(),
        const QColor &border = QColor());
    ShapeWidget(QWidget *parent, const QRect &geometry, const QColor &top, const QColor &bottom = QColor(),
        const QColor &border = QColor());

    void setColors(const QColor &top, const QColor &bottom = QColor(), const QColor &border = QColor());

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_top, m_bottom, m_border;
};

/** Paints the vertical gradient of a window background onto `widget`'s whole rectangle. */
void paintGradient(QWidget *widget, const QColor &top, const QColor &bottom);
