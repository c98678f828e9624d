#include "widgets/PhotoBox.h"

#include "app/rules/PictureOffer.h"
#include "widgets/Messages.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

PhotoBox::PhotoBox(QWidget *parent, const QString &name, const QRect &geometry)
    : QWidget(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setFocusPolicy(Qt::NoFocus);
}

void PhotoBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QImage();
    m_keptFile.clear();
    update();
}

void PhotoBox::showFile(const QString &path, const QImage &fallback)
{
    bool reduced = false;
    const QImage picture = loadPicture(path, &reduced);
    setPicture(picture.isNull() ? fallback : picture);
    if (reduced || (picture.isNull() && QFileInfo::exists(path)))
        m_keptFile = path;
}

QRect PhotoBox::drawnRect(const QSize &picture, const QSize &box)
{
    QSize s = picture;
    if (s.width() > box.width() || s.height() > box.height())
        s = s.scaled(box, Qt::KeepAspectRatio);
    return QRect(QPoint((box.width() - s.width()) / 2, (box.height() - s.height()) / 2), s);
}

void PhotoBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_picture.isNull()) {
        const QRect target = drawnRect(m_picture.size(), size());
        if (target.size() == m_picture.size()) {
            painter.drawImage(target.topLeft(), m_picture);
        } else {
            if (m_scaled.size() != target.size())
                m_scaled = m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            painter.drawImage(target.topLeft(), m_scaled);
        }
    }
    // Ctrl+C and Ctrl+V act on the focused photo: show which one that is.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PhotoBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PhotoBox::acceptPictures()
{
    m_accepts = true;
    setAcceptDrops(true);
    setFocusPolicy(Qt::ClickFocus);
}

namespace {
void sayUnusable(QWidget *parent)
{
    // Something that looked like a picture came and nothing changed: say why.
    Msg::plain(
        parent, QStringLiteral("Impossibile usare la foto: il file è danneggiato, troppo grande o non è un'immagine."));
}
} // namespace

PictureOffer::Status PhotoBox::offer(const QMimeData *mime)
{
    PictureOffer offer = PictureOffer::take(mime);
    if (offer.status == PictureOffer::Status::Picture)
        emit pictureGiven(offer.picture);
    return offer.status;
}

void PhotoBox::pastePicture()
{
    switch (offer(QGuiApplication::clipboard()->mimeData())) {
    case PictureOffer::Status::Picture:
        break;
    case PictureOffer::Status::Unusable:
        sayUnusable(window());
        break;
    case PictureOffer::Status::Nothing:
        Msg::plain(window(), QStringLiteral("Negli appunti non c'è una foto da incollare."));
        break;
    }
}

void PhotoBox::copyPicture() const
{
    if (!m_picture.isNull())
        QGuiApplication::clipboard()->setImage(m_picture);
}

void PhotoBox::keyPressEvent(QKeyEvent *event)
{
    if (m_accepts && event->matches(QKeySequence::Paste))
        pastePicture();
    else if (m_accepts && event->matches(QKeySequence::Copy))
        copyPicture();
    else
        QWidget::keyPressEvent(event);
}

void PhotoBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_accepts) {
        QWidget::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuFoto"));
    QAction *paste = menu.addAction(QStringLiteral("Incolla foto"), this, &PhotoBox::pastePicture);
    paste->setObjectName(QStringLiteral("actIncollaFoto"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setStatusTip(QStringLiteral("Mette qui la foto copiata negli appunti."));
    paste->setEnabled(PictureOffer::mayHold(QGuiApplication::clipboard()->mimeData()));
    QAction *copy = menu.addAction(QStringLiteral("Copia foto"), this, &PhotoBox::copyPicture);
    copy->setObjectName(QStringLiteral("actCopiaFoto"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setStatusTip(QStringLiteral("Copia la foto negli appunti."));
    copy->setEnabled(!m_picture.isNull());
    menu.exec(event->globalPos());
}

void PhotoBox::dragEnterEvent(QDragEnterEvent *event)
{
    // Only the header of a file is read here; the picture itself is loaded on the drop.
    if (m_accepts && (event->possibleActions() & Qt::CopyAction) && PictureOffer::mayHold(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void PhotoBox::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PhotoBox::dropEvent(QDropEvent *event)
{
    // A copy, never a move: the file manager must keep the user's file.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The message waits for the drop to end, so the program the drag came from is not held up.
    if (offer(event->mimeData()) == PictureOffer::Status::Unusable)
        QTimer::singleShot(0, this, [this] { sayUnusable(window()); });
}

void PhotoBox::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void PhotoBox::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
