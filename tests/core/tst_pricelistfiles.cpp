#include "pricelist/rules/ListFiles.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

class TestPriceListFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString folder() const { return programFolder(); }
    void touch(const QString &name) const
    {
        QFile f(folder() + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        setProgramFolderOverride(m_dir->path());
    }
    void cleanup() { setProgramFolderOverride(QString()); }

    void listsComeInListOrder()
    {
        for (const char *name : { "beta.lis", "Alfa.lis", "_Zeta.lis", "note.txt", "lis" })
            touch(QLatin1String(name));
        QDir(folder()).mkdir(QStringLiteral("Cartella.lis"));
        QDir(folder()).mkpath(QStringLiteral("Sotto/Nascosto.lis"));
        QCOMPARE(ListFiles::names(), QStringList({ "Alfa.lis", "beta.lis", "_Zeta.lis" }));
    }

    void forbiddenCharactersAreTakenOut()
    {
        QCOMPARE(ListFiles::withoutForbidden(QStringLiteral("Rosa:Blu")), QStringLiteral("RosaBlu"));
        QCOMPARE(ListFiles::withoutForbidden(QStringLiteral("a\"*/:<>?\\\u00B0\u00C7\u00D1\u00E7\u00F1b|c")),
            QStringLiteral("ab|c"));
        QCOMPARE(ListFiles::withoutForbidden(QStringLiteral("../../etc/x")), QStringLiteral("....etcx"));
    }

    void titlesThatCannotNameAFile_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("check");
        const auto ok = int(ListFiles::TitleCheck::Ok);
        const auto unusable = int(ListFiles::TitleCheck::Unusable);
        const auto tooLong = int(ListFiles::TitleCheck::TooLong);
        QTest::newRow("plain") << QStringLiteral("Fiori di primavera") << ok;
        QTest::newRow("accents and bar") << QStringLiteral("Caff\u00e8 | t\u00e8") << ok;
        QTest::newRow("empty") << QString() << int(ListFiles::TitleCheck::Empty);
        QTest::newRow("dot") << QStringLiteral(".") << unusable;
        QTest::newRow("dot dot") << QStringLiteral("..") << unusable;
        QTest::newRow("three dots") << QStringLiteral("...") << ok;
        QTest::newRow("slash") << QStringLiteral("a/b") << unusable;
        QTest::newRow("tab inside") << QStringLiteral("a\tb") << unusable;
        // Room is kept for the longest photo name, "<title>_Foto_X_<page>.jpg".
        QTest::newRow("longest") << QString(235, QLatin1Char('a')) << ok;
        QTest::newRow("one over") << QString(236, QLatin1Char('a')) << tooLong;
        QTest::newRow("two-byte letters") << QString(118, QChar(0xE8)) << tooLong;
    }

    void titlesThatCannotNameAFile()
    {
        QFETCH(QString, title);
        QFETCH(int, check);
        QCOMPARE(int(ListFiles::checkTitle(title)), check);
    }

    void creatingNeverReplacesAList()
    {
        const QString path = ListFiles::pathOf(QStringLiteral("Fiori"));
        QCOMPARE(path, folder() + QStringLiteral("Fiori.lis"));
        QCOMPARE(ListFiles::create(path).result, ListFiles::Creation::Created);
        QCOMPARE(QFileInfo(path).size(), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(QByteArray(3696, 'x'));
        f.close();
        QCOMPARE(ListFiles::create(path).result, ListFiles::Creation::Exists);
        QCOMPARE(QFileInfo(path).size(), 3696);
        QCOMPARE(ListFiles::create(folder() + QString(300, QLatin1Char('a')) + QStringLiteral(".lis")).result,
            ListFiles::Creation::NameRefused);
    }

    void creatingWhereNoFileCanBeMadeFails()
    {
        setProgramFolderOverride(m_dir->path() + QStringLiteral("/mancante"));
        const ListFiles::Creation made = ListFiles::create(ListFiles::pathOf(QStringLiteral("Fiori")));
        QCOMPARE(made.result, ListFiles::Creation::Failed);
        QVERIFY(!made.errorText.isEmpty());
    }

    void removingTouchesOnlyListsOfTheFolder()
    {
        touch(QStringLiteral("Fiori.lis"));
        touch(QStringLiteral("note.txt"));
        QDir(folder()).mkdir(QStringLiteral("Sotto"));
        touch(QStringLiteral("Sotto/Fiori.lis"));
        QVERIFY(!ListFiles::remove(QStringLiteral("note.txt")));
        QVERIFY(!ListFiles::remove(QStringLiteral("Sotto/Fiori.lis")));
        QVERIFY(!ListFiles::remove(QStringLiteral("../Fiori.lis")));
        QVERIFY(!ListFiles::remove(QStringLiteral("Assente.lis")));
        QVERIFY(ListFiles::remove(QStringLiteral("Fiori.lis")));
        QVERIFY(!QFile::exists(folder() + QStringLiteral("Fiori.lis")));
        QVERIFY(QFile::exists(folder() + QStringLiteral("note.txt")));
        QVERIFY(QFile::exists(folder() + QStringLiteral("Sotto/Fiori.lis")));
    }

    void photoFilesAreNamedAfterListSlotAndPage()
    {
        QCOMPARE(SlotPhotos::photoPath(QStringLiteral("Fiori"), QLatin1Char('C'), QStringLiteral("3")),
            folder() + QStringLiteral("Foto_Listino/Fiori_Foto_C_3.jpg"));
        QCOMPARE(SlotPhotos::thumbnailPath(QStringLiteral("Fiori"), QLatin1Char('C')),
            folder() + QStringLiteral("Foto_Listino/Fiori_Anteprima_C.jpg"));
        QVERIFY(!QDir(SlotPhotos::folder()).exists());
        QVERIFY(SlotPhotos::ensureFolder());
        QVERIFY(QDir(SlotPhotos::folder()).exists());
    }

    void aTitleThatWouldLeaveThePhotoFolderNamesNoPhoto_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("named");
        QTest::newRow("dots") << QStringLiteral("..") << true;
        QTest::newRow("backslashes") << QStringLiteral("..\\..\\Fiori") << false;
        QTest::newRow("slash") << QStringLiteral("../Fiori") << false;
        QTest::newRow("control character") << QStringLiteral("Fi\x01ori") << false;
        QTest::newRow("line break") << QStringLiteral("Fi\nori") << false;
    }

    void aTitleThatWouldLeaveThePhotoFolderNamesNoPhoto()
    {
        // A title is a list file's name, which another program may have made.
        QFETCH(QString, title);
        QFETCH(bool, named);
        const QString photo = SlotPhotos::photoPath(title, QLatin1Char('A'), QStringLiteral("1"));
        const QString thumbnail = SlotPhotos::thumbnailPath(title, QLatin1Char('A'));
        QCOMPARE(photo, named ? SlotPhotos::folder() + title + QStringLiteral("_Foto_A_1.jpg") : QString());
        QCOMPARE(thumbnail, named ? SlotPhotos::folder() + title + QStringLiteral("_Anteprima_A.jpg") : QString());
    }

    void warehousePhotoOfACardNumber_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("file");
        QTest::newRow("card 12") << QStringLiteral("12") << QStringLiteral("12.jpg");
        QTest::newRow("none yet") << QString() << QString();
        QTest::newRow("not a number") << QStringLiteral("12a") << QString();
        QTest::newRow("negative") << QStringLiteral("-1") << QString();
        QTest::newRow("a path") << QStringLiteral("../12") << QString();
    }

    void warehousePhotoOfACardNumber()
    {
        QFETCH(QString, record);
        QFETCH(QString, file);
        QCOMPARE(SlotPhotos::warehousePhotoPath(record), file.isEmpty() ? QString() : folder() + file);
    }

    void picturesAreStretchedToTheFileSize()
    {
        // Left half red, right half blue: after stretching each half still fills its side.
        QImage wide(1600, 900, QImage::Format_RGB32);
        wide.fill(Qt::red);
        for (int y = 0; y < 900; ++y)
            for (int x = 800; x < 1600; ++x)
                wide.setPixel(x, y, qRgb(0, 0, 255));
        const QImage out = SlotPhotos::toFileSize(wide);
        QCOMPARE(out.size(), QSize(366, 274));
        QCOMPARE(QColor(out.pixel(2, 2)), QColor(Qt::red));
        QCOMPARE(QColor(out.pixel(170, 271)), QColor(Qt::red));
        QCOMPARE(QColor(out.pixel(196, 2)), QColor(Qt::blue));
        QCOMPARE(QColor(out.pixel(363, 271)), QColor(Qt::blue));

        // A small picture is enlarged with smooth interpolation: a blend where its colours meet.
        QImage small(2, 1, QImage::Format_RGB32);
        small.setPixel(0, 0, qRgb(0, 0, 0));
        small.setPixel(1, 0, qRgb(255, 255, 255));
        const QImage grown = SlotPhotos::toFileSize(small);
        QCOMPARE(grown.size(), QSize(366, 274));
        QCOMPARE(qAlpha(grown.pixel(0, 273)), 255);
        const int middle = qRed(grown.pixel(183, 137));
        QVERIFY2(middle > 60 && middle < 200, qPrintable(QString::number(middle)));
    }
};

QTEST_GUILESS_MAIN(TestPriceListFiles)
#include "tst_pricelistfiles.moc"
