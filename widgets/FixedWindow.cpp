#include "widgets/FixedWindow.h"

#include "widgets/Formats.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

FixedWindow::FixedWindow(const QString &caption, const QSize &clientSize, const QColor &top, const QColor &bottom)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_top(top)
    , m_bottom(bottom)
{
    applyFormats();
    setWindowTitle(caption);
    setFixedSize(clientSize);
}

void FixedWindow::paintEvent(QPaintEvent *)
{
    paintGradient(this, m_top, m_bottom);
}

void FixedWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    formShow();
}

void FixedWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (!WindowSet::ending())
        formClose();
}
