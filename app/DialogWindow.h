#pragma once

#include <QColor>
#include <QDialog>

/**
 * A dialog of the program: fixed size client area, a single border without title-bar buttons
 * (it closes through its own buttons), a vertical gradient background, centred on its owner or on
 * the screen. Made for one use by the window that opens it.
 */
class DialogWindow : public QDialog
{
    Q_OBJECT
public:
    DialogWindow(QWidget *owner, const QString &caption, const QSize &clientSize, const QColor &top,
                 const QColor &bottom = Qt::white);

    void setBackground(const QColor &top, const QColor &bottom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    /** Runs every time the window is shown (FormShow). */
    virtual void formShow() {}

private:
    QColor m_top, m_bottom;
};

/** Adds a centred panel of `size` to a window of `clientSize`. */
QWidget *centredPanel(QWidget *window, const QSize &clientSize, const QSize &size, const QString &name);
