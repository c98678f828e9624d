#include "widgets/DialogWindow.h"

#include "widgets/Formats.h"
#include "widgets/ShapeWidget.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

DialogWindow::DialogWindow(
    QWidget *owner, const QString &caption, const QSize &clientSize, const QColor &top, const QColor &bottom)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_top(top)
    , m_bottom(bottom)
{
    applyFormats();
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setModal(true);
}

void DialogWindow::setBackground(const QColor &top, const QColor &bottom)
{
    m_top = top;
    m_bottom = bottom;
    update();
}

void DialogWindow::paintEvent(QPaintEvent *)
{
    if (m_bottom.isValid())
        paintGradient(this, m_top, m_bottom);
    else
        paintGradient(this, m_top, m_top);
}

void DialogWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // A maximised dialog (the photo zoom) already fills the screen; moving it would undo that.
    if (!(windowState() & Qt::WindowMaximized)) {
        move(centringArea(parentWidget()).center() - rect().center());
    }
    formShow();
}

QRect centringArea(const QWidget *owner)
{
    const QWidget *window = owner ? owner->window() : nullptr;
    if (window && window->isVisible() && !(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return window->frameGeometry();
    const QScreen *screen = window && window->isVisible() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QWidget *centredPanel(QWidget *window, const QSize &clientSize, const QSize &size, const QString &name)
{
    auto *panel = new QWidget(window);
    panel->setObjectName(name);
    panel->setGeometry((clientSize.width() - size.width()) / 2, (clientSize.height() - size.height()) / 2, size.width(),
        size.height());
    return panel;
}
