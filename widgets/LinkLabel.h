#pragma once

#include <QLabel>

class PictureButton;

/**
 * A link of the help, information and credits windows: underlined Tahoma 14 in dark blue with a hand
 * cursor, orange while the mouse button is held on it or on its icon, dark blue again on release.
 */
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    static const QColor Normal;
    static const QColor Pressed;

    LinkLabel(QWidget *parent, const QString &name, const QString &text, const QPoint &at);

    /** The icon beside the link: pressing it colours the link, clicking it follows the link. */
    void attachIcon(PictureButton *icon);

    QColor color() const;
    /** Tab reaches the link, which is then drawn with a focus frame, and Space or Enter follows it. */
    void setKeyboardReachable();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setColor(const QColor &color);
    bool m_down = false;
};
