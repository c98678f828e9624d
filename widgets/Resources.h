#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

/** The program's artwork (SVG under resources/), rendered once per size and cached. */
namespace Resources {
/** `name` without folder and extension, e.g. "placeholder-parcel". */
QPixmap pixmap(const QString &name, const QSize &size);
QImage image(const QString &name, const QSize &size);
/** An icon drawn at the sizes desktops ask for, 16 to 256 pixels. */
QIcon icon(const QString &name);
/** The picture's own size as drawn. */
QSize naturalSize(const QString &name);
} // namespace Resources
