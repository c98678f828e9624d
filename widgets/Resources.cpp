#include "widgets/Resources.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace {
QString resourcePath(const QString &name)
{
    return QStringLiteral(":/art/%1.svg").arg(name);
}
} // namespace

QImage Resources::image(const QString &name, const QSize &size)
{
    static QHash<QString, QImage> cache;
    const QString key = QStringLiteral("%1@%2x%3").arg(name).arg(size.width()).arg(size.height());
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QSvgRenderer renderer(resourcePath(name));
    QImage img(size.isValid() ? size : renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter p(&img);
        renderer.render(&p);
    }
    cache.insert(key, img);
    return img;
}

QPixmap Resources::pixmap(const QString &name, const QSize &size)
{
    return QPixmap::fromImage(image(name, size));
}

QSize Resources::naturalSize(const QString &name)
{
    QSvgRenderer renderer(resourcePath(name));
    return renderer.defaultSize();
}

QIcon Resources::icon(const QString &name)
{
    QIcon out;
    for (int n : { 16, 22, 24, 32, 48, 64, 128, 256 })
        out.addPixmap(pixmap(name, QSize(n, n)));
    return out;
}
