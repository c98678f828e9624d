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
    virtual void formShow() { }

private:
    QColor m_top, m_bottom;
};

/**
 * The control named `name` of `window` itself, skipping those of any dialog the window has open
 * (a dialog often names its own boxes like the opener's: txtGiacenza in both).
 */
template <typename T> T *ownControl(QWidget *window, const QString &name)
{
    if (!window)
        return nullptr;
    for (T *control : window->findChildren<T *>(name))
        if (control->window() == window)
            return control;
    return nullptr;
}

/**
 * The area a window opened over `owner` is centred on: the owner's window, or the screen when there is
 * none. A window just maximised may not have its new size yet; the screen it fills is already right.
 */
QRect centringArea(const QWidget *owner);

/** Adds a centred panel of `size` to a window of `clientSize`. */
QWidget *centredPanel(QWidget *window, const QSize &clientSize, const QSize &size, const QString &name);
