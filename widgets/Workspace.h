#pragma once

#include <QColor>
#include <QWidget>

/**
 * A full-screen workspace: a maximised window with a vertical gradient background and a
 * 995 × 692 panel centred in it, where every control is placed. Closing it shows the start window
 * and hides it (the start window itself overrides this to end the program).
 */
class Workspace : public QWidget
{
    Q_OBJECT
public:
    Workspace(const QString &caption, const QColor &top, const QColor &bottom = Qt::white,
        const QSize &panelSize = QSize(995, 692));

    QWidget *panel() const { return m_panel; }

    /** Shows this workspace first and hides `previous`, so the screen is never without a window. */
    void handOverFrom(QWidget *previous);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    /** Runs every time the window is shown (FormShow). */
    virtual void formShow() { }
    /** Runs when the window closes; the default hands the screen back to the start window. */
    virtual void formClose();

private:
    QWidget *m_panel;
    QColor m_top, m_bottom;
};
