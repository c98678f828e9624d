#pragma once

#include <QColor>
#include <QWidget>

/**
 * A long-lived window of fixed size that is not a workspace (the two password windows): a single
 * border without title-bar buttons, a vertical gradient background, centred on the screen each time
 * it is shown. It is shown and hidden, never modal, and has none of a dialog's default-button or
 * Escape handling.
 */
class FixedWindow : public QWidget
{
    Q_OBJECT
public:
    FixedWindow(const QString &caption, const QSize &clientSize, const QColor &top, const QColor &bottom = Qt::white);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    /** Runs every time the window is shown (FormShow). */
    virtual void formShow() { }
    /** Runs when the window closes (FormClose); it closes afterwards. */
    virtual void formClose() { }

private:
    QColor m_top, m_bottom;
};
