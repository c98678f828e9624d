#include "app/rules/Picture.h"
#include "app/rules/PictureOffer.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using Status = PictureOffer::Status;
Q_DECLARE_METATYPE(Status)

namespace {
QImage drawing(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::darkGreen);
    for (int y = 0; y < size.height(); y += 4)
        p.drawLine(0, y, size.width(), size.height() - y);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

/** What the clipboard and a drop may hold, and the one picture the program takes from it. */
class TestPictureOffer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    QUrl url(const QString &name) const { return QUrl::fromLocalFile(path(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        write(path("foto.jpg"), encoded(drawing(QSize(120, 90)), "jpeg"));
        write(path("seconda.png"), encoded(drawing(QSize(40, 30)), "png"));
        write(path("note.txt"), "non sono una foto");
        QByteArray cut = encoded(drawing(QSize(120, 90)), "jpeg");
        write(path("rotta.jpg"), cut.left(cut.size() / 2));
        // A header claiming far more pixels than the loader takes.
        QByteArray huge = encoded(drawing(QSize(16, 16)), "bmp");
        qToLittleEndian<qint32>(20000, huge.data() + 18);
        qToLittleEndian<qint32>(20000, huge.data() + 22);
        write(path("enorme.bmp"), huge);
        QVERIFY(QDir(dir.path()).mkdir("cartella"));
    }

    // Files: the first one that loads, exactly as loading it; folders and remote places are passed over.
    void files_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("mayHold"); // what a drag shows before the drop
        const auto remote = [](const char *u) { return QUrl(QLatin1String(u)); };
        QTest::newRow("one photo") << QList<QUrl> { url("foto.jpg") } << Status::Picture << QStringLiteral("foto.jpg")
                                   << true;
        QTest::newRow("first usable of several")
            << QList<QUrl> { url("cartella"), url("note.txt"), url("rotta.jpg"), url("seconda.png"), url("foto.jpg") }
            << Status::Picture << QStringLiteral("seconda.png") << true;
        QTest::newRow("damaged") << QList<QUrl> { url("rotta.jpg") } << Status::Unusable << QString() << true;
        QTest::newRow("too large") << QList<QUrl> { url("enorme.bmp") } << Status::Unusable << QString() << true;
        QTest::newRow("not a picture") << QList<QUrl> { url("note.txt") } << Status::Unusable << QString() << false;
        QTest::newRow("folder") << QList<QUrl> { url("cartella") } << Status::Nothing << QString() << false;
        QTest::newRow("web address") << QList<QUrl> { remote("https://example.org/foto.jpg") } << Status::Nothing
                                     << QString() << false;
        QTest::newRow("network share") << QList<QUrl> { remote("smb://server/foto/foto.jpg") } << Status::Nothing
                                       << QString() << false;
        QTest::newRow("file on another host")
            << QList<QUrl> { remote("file://server/foto.jpg") } << Status::Nothing << QString() << false;
        QTest::newRow("missing file") << QList<QUrl> { url("sparita.jpg") } << Status::Nothing << QString() << false;
    }

    void files()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(Status, status);
        QFETCH(QString, picked);
        QFETCH(bool, mayHold);
        QMimeData mime;
        mime.setUrls(urls);
        const PictureOffer offer = PictureOffer::take(&mime);
        QCOMPARE(offer.status, status);
        QCOMPARE(offer.picture, picked.isEmpty() ? QImage() : loadPicture(path(picked)));
        QCOMPARE(PictureOffer::mayHold(&mime), mayHold);
    }

    // Encoded data (a screenshot, a picture copied in a browser) goes through the same loader.
    void encodedData()
    {
        const QByteArray png = encoded(drawing(QSize(64, 48)), "png");
        QMimeData mime;
        mime.setText(QStringLiteral("Didascalia"));
        mime.setData(QStringLiteral("image/png"), png);
        QVERIFY(PictureOffer::mayHold(&mime));
        PictureOffer offer = PictureOffer::take(&mime);
        QCOMPARE(offer.status, Status::Picture);
        QByteArray copy = png;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(offer.picture, loadPicture(&buffer));

        // Files come before data; data that does not decode is not a picture.
        QMimeData both;
        both.setUrls({ url("foto.jpg") });
        both.setData(QStringLiteral("image/png"), png);
        QCOMPARE(PictureOffer::take(&both).picture, loadPicture(path("foto.jpg")));
        QMimeData broken;
        broken.setData(QStringLiteral("image/jpeg"), png.left(20));
        QCOMPARE(PictureOffer::take(&broken).status, Status::Unusable);
    }

    // A picture copied inside the program arrives decoded; only its size is checked.
    void pictureInMemory()
    {
        QMimeData mime;
        const QImage small = drawing(QSize(30, 20));
        mime.setImageData(small);
        QCOMPARE(PictureOffer::take(&mime).picture, small);
        // One bit a pixel keeps this test small while it holds more pixels than a photo may.
        QMimeData big;
        big.setImageData(QImage(6000, 6000, QImage::Format_Mono));
        const PictureOffer offer = PictureOffer::take(&big);
        QCOMPARE(offer.status, Status::Unusable);
        QVERIFY(offer.picture.isNull());
    }

    void nothingToTake()
    {
        QMimeData text;
        text.setText(QStringLiteral("/tmp/foto.jpg"));
        QVERIFY(!PictureOffer::mayHold(&text));
        QCOMPARE(PictureOffer::take(&text).status, Status::Nothing);
        QCOMPARE(PictureOffer::take(nullptr).status, Status::Nothing);
    }
};

QTEST_GUILESS_MAIN(TestPictureOffer)
#include "tst_pictureoffer.moc"
