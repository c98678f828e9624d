#include "widgets/Workspace.h"

#include "widgets/Formats.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QCloseEvent>
#include <QShowEvent>

Workspace::Workspace(const QString &caption, const QColor &top, const QColor &bottom, const QSize &panelSize)
    : QWidget(nullptr)
    , m_top(top)
    , m_bottom(bottom)
{
    applyFormats();
    setWindowTitle(caption);
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("panWorkspace"));
    m_panel->resize(panelSize);
    resize(1024, 768);
}

void Workspace::handOverFrom(QWidget *previous)
{
    showMaximized();
    if (previous && previous != this)
        previous->hide();
}

void Workspace::paintEvent(QPaintEvent *)
{
    paintGradient(this, m_top, m_bottom);
}

void Workspace::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_panel->move(qMax(0, (width() - m_panel->width()) / 2), qMax(0, (height() - m_panel->height()) / 2));
}

void Workspace::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        formShow();
}

void Workspace::closeEvent(QCloseEvent *event)
{
    event->ignore();
    formClose();
}

void Workspace::formClose()
{
    if (WindowSet::ending())
        return;
    WindowSet::showStartWindow(this);
}
