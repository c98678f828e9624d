#include "app/rules/Picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>
#include <QtTest>

namespace {
QByteArray encoded(const char *format, const QSize &size = QSize(120, 90))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::blue);
    for (int y = 0; y < size.height(); y += 5)
        p.drawLine(0, y, size.width(), size.height() - y);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage load(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadPicture(&buffer);
}

// A JPEG whose start-of-frame declares another size.
QByteArray withJpegSize(QByteArray jpeg, int width, int height)
{
    qsizetype sof = jpeg.indexOf("\xFF\xC0");
    if (sof < 0)
        sof = jpeg.indexOf("\xFF\xC2"); // progressive
    qToBigEndian<quint16>(quint16(height), jpeg.data() + sof + 5);
    qToBigEndian<quint16>(quint16(width), jpeg.data() + sof + 7);
    return jpeg;
}

QByteArray withBitmapSize(QByteArray bmp, int width, int height)
{
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(height, bmp.data() + 22);
    return bmp;
}

// A camera photo: red on the left half, blue on the right; plain colours keep it small and fast to make.
/** A cameraPhoto() as loaded: red on its left half, blue on its right. */
void verifyRedThenBlue(const QImage &image)
{
    const QColor left = image.pixelColor(image.width() / 4, image.height() / 2);
    const QColor right = image.pixelColor(image.width() * 3 / 4, image.height() / 2);
    QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
    QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
}

QByteArray cameraPhoto(const QSize &size, bool progressive = false)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter(&image).fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A camera's data block holding a whole thumbnail, put before the picture's own segments.
QByteArray withThumbnailBlock(const QByteArray &jpeg)
{
    const QByteArray thumbnail = encoded("JPG", QSize(8, 6));
    QByteArray block = "\xFF\xE1";
    block.append(char((thumbnail.size() + 2) >> 8)).append(char((thumbnail.size() + 2) & 0xFF)).append(thumbnail);
    return jpeg.left(2) + block + jpeg.mid(2);
}
} // namespace

class TestPicture : public QObject
{
    Q_OBJECT

private slots:
    void hostileFilesGiveNoPicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("expected");
        const QByteArray jpeg = encoded("JPG");
        const QByteArray bmp = encoded("BMP");
        QTest::newRow("jpeg") << jpeg << QSize(120, 90);
        QTest::newRow("bitmap") << bmp << QSize(120, 90);
        QTest::newRow("jpeg with bytes after its end") << jpeg + QByteArray(300, 'x') << QSize(120, 90);
        QTest::newRow("jpeg with a thumbnail block") << withThumbnailBlock(jpeg) << QSize(120, 90);
        QTest::newRow("empty") << QByteArray() << QSize();
        QTest::newRow("text named .jpg") << QByteArray("Questo non \xC3\xA8 un'immagine.\n") << QSize();
        QTest::newRow("jpeg cut in half") << jpeg.left(jpeg.size() / 2) << QSize();
        QTest::newRow("jpeg cut before its end marker") << jpeg.chopped(2) << QSize();
        // The thumbnail's end marker must not pass a cut-off picture as whole.
        QTest::newRow("cut jpeg with a thumbnail block")
            << withThumbnailBlock(jpeg).left(withThumbnailBlock(jpeg).size() - 200) << QSize();
        QTest::newRow("jpeg header only") << jpeg.left(300) << QSize();
        QTest::newRow("jpeg of noise") << jpeg.left(4) + QByteArray(2000, '\x5A') << QSize();
        QTest::newRow("bitmap cut in half") << bmp.left(bmp.size() / 2) << QSize();
        QTest::newRow("bitmap header only") << bmp.left(54) << QSize();
        QTest::newRow("bitmap with a zeroed header") << bmp.left(14) + QByteArray(40, '\0') + bmp.mid(54) << QSize();
        QTest::newRow("jpeg declaring 30000 x 30000") << withJpegSize(jpeg, 30000, 30000) << QSize();
        QTest::newRow("bitmap declaring 30000 x 30000") << withBitmapSize(bmp, 30000, 30000) << QSize();
        QTest::newRow("bitmap declaring a negative width") << withBitmapSize(bmp, -120, 90) << QSize();
    }

    void hostileFilesGiveNoPicture()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, expected);
        const QImage image = load(bytes);
        QCOMPARE(image.isNull(), !expected.isValid());
        if (expected.isValid())
            QCOMPARE(image.size(), expected);
    }

    // Phones and cameras shoot 48-70 megapixels, plain or progressive: such a photo loads at half its
    // width and height, decoded that way so it never takes the memory of the whole. Larger claims,
    // progressive JPEGs whose data would take more than their bound, and bitmaps past 32 megapixels,
    // which decode whole, are refused untried.
    void largePhotosLoadReduced_data()
    {
        QTest::addColumn<QSize>("photo"); // a camera photo of this size is made for the row
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<QSize>("declared"); // when valid, the header claims this size instead
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<bool>("reduced");
        const QSize none;
        QTest::newRow("small photo") << QSize(1200, 900) << false << none << QSize(1200, 900) << false;
        QTest::newRow("48 megapixels") << QSize(8000, 6000) << false << none << QSize(4000, 3000) << true;
        QTest::newRow("70 megapixels") << QSize(10240, 6840) << false << none << QSize(5120, 3420) << true;
        QTest::newRow("jpeg declaring 300 megapixels")
            << QSize(120, 90) << false << QSize(20000, 15000) << none << false;
        QTest::newRow("progressive photo") << QSize(1200, 900) << true << none << QSize(1200, 900) << false;
        QTest::newRow("progressive 48 megapixels") << QSize(8000, 6000) << true << none << QSize(4000, 3000) << true;
        QTest::newRow("progressive jpeg declaring 100 megapixels")
            << QSize(1200, 900) << true << QSize(10000, 10000) << none << false;
        QTest::newRow("bitmap declaring 48 megapixels") << QSize() << false << QSize(8000, 6000) << none << false;
    }

    void largePhotosLoadReduced()
    {
        QFETCH(QSize, photo);
        QFETCH(bool, progressive);
        QFETCH(QSize, declared);
        QFETCH(QSize, expected);
        QFETCH(bool, reduced);
        QByteArray bytes;
        if (!photo.isValid())
            bytes = withBitmapSize(encoded("BMP"), declared.width(), declared.height());
        else if (declared.isValid())
            bytes = withJpegSize(cameraPhoto(photo, progressive), declared.width(), declared.height());
        else
            bytes = cameraPhoto(photo, progressive);
        QCOMPARE(bytes.contains("\xFF\xC2"), progressive);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        bool wasReduced = !reduced;
        const QImage image = loadPicture(&buffer, &wasReduced);
        QCOMPARE(wasReduced, reduced);
        QCOMPARE(image.isNull(), !expected.isValid());
        if (image.isNull())
            return;
        QCOMPARE(image.size(), expected);
        verifyRedThenBlue(image);
    }

    // A pipe-like source is read in pieces up to the file bound and no further.
    void sequentialSourceIsReadWithinTheBound()
    {
        struct Stream : QIODevice
        {
            QByteArray bytes;
            qint64 at = 0;
            qint64 endless = 0; // bytes of filler after `bytes`
            bool isSequential() const override { return true; }
            qint64 readData(char *data, qint64 max) override
            {
                const qint64 total = bytes.size() + endless;
                const qint64 n = qMin(max, total - at);
                const qint64 head = qBound<qint64>(0, bytes.size() - at, n);
                memcpy(data, bytes.constData() + at, size_t(head));
                memset(data + head, 'x', size_t(n - head));
                at += n;
                return n;
            }
            qint64 writeData(const char *, qint64) override { return -1; }
        };
        Stream small;
        small.bytes = encoded("JPG");
        small.open(QIODevice::ReadOnly);
        QCOMPARE(loadPicture(&small).size(), QSize(120, 90));
        Stream huge;
        huge.bytes = encoded("BMP");
        huge.endless = MaxPicturePixels * 8;
        huge.open(QIODevice::ReadOnly);
        QVERIFY(loadPicture(&huge).isNull());
        QVERIFY(huge.at < MaxPicturePixels * 5); // gave up at the bound
    }

    void missingOrFolderPathGivesNoPicture()
    {
        QVERIFY(loadPicture(QStringLiteral("/nonexistent/1.jpg")).isNull());
        QVERIFY(loadPicture(QDir::tempPath()).isNull());
        QVERIFY(loadPictureFor(QStringLiteral("/nonexistent/1.jpg"), QSize(80, 56)).isNull());
    }

    // A picture shown as a thumbnail is decoded at most twice the thumbnail's size, aspect kept, with
    // the same refusals as a whole load; a small one is never enlarged.
    void loadingForAThumbnailDecodesOnlyWhatItNeeds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("camera photo") << cameraPhoto(QSize(1200, 900)) << QSize(149, 112);
        QTest::newRow("48 megapixels") << cameraPhoto(QSize(8000, 6000)) << QSize(149, 112);
        QTest::newRow("small photo") << cameraPhoto(QSize(120, 90)) << QSize(120, 90);
        QTest::newRow("jpeg declaring 300 megapixels") << withJpegSize(encoded("JPG"), 20000, 15000) << QSize();
        QTest::newRow("jpeg cut in half") << cameraPhoto(QSize(1200, 900)).left(4000) << QSize();
    }

    void loadingForAThumbnailDecodesOnlyWhatItNeeds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, expected);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("1.jpg")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const QImage image = loadPictureFor(file.fileName(), QSize(80, 56));
        QCOMPARE(image.isNull(), !expected.isValid());
        if (image.isNull())
            return;
        QCOMPARE(image.size(), expected);
        verifyRedThenBlue(image);
    }
};

QTEST_GUILESS_MAIN(TestPicture)
#include "tst_picture.moc"
