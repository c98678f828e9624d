#pragma once

#include "app/rules/Picture.h"
#include "app/rules/PictureOffer.h"

#include <QImage>
#include <QWidget>

/**
 * An image box: holds a picture at its own size and draws it centred, reduced with its
 * proportions kept when it is larger than the box, never enlarged.
 */
class QMimeData;

class PhotoBox : public QWidget
{
    Q_OBJECT
public:
    PhotoBox(QWidget *parent, const QString &name, const QRect &geometry);

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    /**
     * Shows the picture file at `path`, or `fallback` when it cannot be read. A file that is there but
     * not shown whole (unreadable, or reduced) is remembered until the next picture: see keepsFile().
     */
    void showFile(const QString &path, const QImage &fallback);
    /** True while the box shows a stand-in for the file at `path`: writing it there would lose that file. */
    bool keepsFile(const QString &path) const { return !m_keptFile.isEmpty() && m_keptFile == path; }
    /** Where the picture lands inside a box of `box` size. */
    static QRect drawnRect(const QSize &picture, const QSize &box);

    /**
     * Lets the user hand pictures to the box and take them from it: Ctrl+V and "Incolla foto" paste,
     * dropping image files or images offers them, Ctrl+C and "Copia foto" copy the picture shown. The box
     * then takes the focus on a click, outside the Tab order. A usable picture is only offered
     * (pictureGiven): the window decides what becomes of it.
     */
    void acceptPictures();
    /** Offers the clipboard's picture; says why when there is none or it cannot be used. */
    void pastePicture();
    /** Puts the picture shown on the clipboard. */
    void copyPicture() const;

signals:
    void clicked();
    /** A picture pasted or dropped onto the box, loaded as a picture file would be. */
    void pictureGiven(const QImage &picture);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    /** Offers the picture `mime` holds, if any. */
    PictureOffer::Status offer(const QMimeData *mime);

    bool m_accepts = false;
    QImage m_picture;
    QImage m_scaled; // the reduced copy drawn on screen, made once per picture and size
    QString m_keptFile;
};
