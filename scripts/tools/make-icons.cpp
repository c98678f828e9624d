// Renders the application icon from its SVG into the sizes desktops look for, in the layout of an
// icon theme: <folder>/hicolor/<n>x<n>/apps/vetrinova.png, plus the SVG itself under scalable/.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: make-icons <icon.svg> <output folder>\n");
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        std::fprintf(stderr, "make-icons: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QString root = args.at(2) + QStringLiteral("/hicolor/");
    for (int n : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = root + QStringLiteral("%1x%1/apps/").arg(n);
        QImage image(n, n, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("vetrinova.png"))) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    const QString scalable = root + QStringLiteral("scalable/apps/vetrinova.svg");
    QDir().mkpath(root + QStringLiteral("scalable/apps"));
    QFile::remove(scalable);
    if (!QFile::copy(args.at(1), scalable)) {
        std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
