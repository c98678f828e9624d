#pragma once

class QLabel;
class QRect;
class QString;
class QWidget;

/**
 * A decorative picture from the program's artwork (banners, headings, icons that do nothing when
 * clicked), with a description for screen readers.
 */
QLabel *artLabel(
    QWidget *parent, const QString &name, const QString &art, const QRect &geometry, const QString &description);
