#include "app/Zoom.h"

#include "widgets/PhotoBox.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

TfrmZoom::TfrmZoom(QWidget *owner)
    : DialogWindow(
        owner, QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"), QSize(800, 600), QColor("#4682B4"))
{
    setObjectName(QStringLiteral("frmZoom"));
    // The one dialog that fills the screen instead of keeping a fixed size.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, false);
    setWindowState(Qt::WindowMaximized);
    // Without a window manager the state alone leaves the window at its old size.
    setGeometry(QGuiApplication::primaryScreen()->availableGeometry());

    panContainer = new QWidget(this);
    panContainer->setObjectName(QStringLiteral("panContainer"));
    panContainer->installEventFilter(this);
    imgFoto = new PhotoBox(panContainer, QStringLiteral("imgFoto"), QRect());
    connect(imgFoto, &PhotoBox::clicked, this, &TfrmZoom::accept);
}

void TfrmZoom::setPicture(const QImage &picture)
{
    imgFoto->setPicture(picture);
}

void TfrmZoom::formShow()
{
    const QSize screenSize = (screen() ? screen() : QGuiApplication::primaryScreen())->geometry().size();
    const QSize area(screenSize.width() - 60, screenSize.height() - 90);
    panContainer->resize(area);
    imgFoto->setGeometry(QRect(QPoint(0, 0), area));
    panContainer->move((width() - area.width()) / 2, (height() - area.height()) / 2);
}

void TfrmZoom::resizeEvent(QResizeEvent *event)
{
    DialogWindow::resizeEvent(event);
    panContainer->move((width() - panContainer->width()) / 2, (height() - panContainer->height()) / 2);
}

bool TfrmZoom::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == panContainer && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        accept();
        return true;
    }
    return DialogWindow::eventFilter(watched, event);
}
