#include "widgets/DialogWindow.h"

#include "widgets/Formats.h"
#include "widgets/ShapeWidget.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

DialogWindow::DialogWindow(QWidget *owner, const QString &caption, const QSize &clientSize, const QColor &top,
                           const QColor &bottom)
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
        const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        const QRect area = owner && owner->isVisible() ? owner->frameGeometry()
                                                        : QGuiApplication::primaryScreen()->availableGeometry();
        move(area.center() - rect().center());
    }
    formShow();
}

QWidget *centredPanel(QWidget *window, const QSize &clientSize, const QSize &size, const QString &name)
{
    auto *panel = new QWidget(window);
    panel->setObjectName(name);
    panel->setGeometry((clientSize.width() - size.width()) / 2, (clientSize.height() - size.height()) / 2,
                       size.width(), size.height());
    return panel;
}
