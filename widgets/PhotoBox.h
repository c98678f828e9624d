#pragma once

#include "app/rules/Picture.h"

#include <QImage>
#include <QWidget>

/**
 * An image box: holds a picture at its own size and draws it centred, reduced with its
 * proportions kept when it is larger than the box, never enlarged.
 */
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

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    QImage m_scaled; // the reduced copy drawn on screen, made once per picture and size
    QString m_keptFile;
};

