#include "tests/support/TestSupport.h"

#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/Journal.h"
#include "warehouse/Magazzino.h"
#include "widgets/PictureButton.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>

namespace {
QList<QWidget *> visibleWindows()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

// Counts a window's show events and notes whether the screen was ever left without a window.
class ShowWatch : public QObject
{
public:
    int shows = 0;
    bool screenEmptied = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        if (event->type() == QEvent::Hide && visibleWindows().isEmpty())
            screenEmptied = true;
        return false;
    }
};

Workspace *workspace(const QString &name)
{
    if (name == QLatin1String("magazzino"))
        return Forms::magazzino();
    if (name == QLatin1String("crea"))
        return Forms::creaCatalogo();
    if (name == QLatin1String("apri"))
        return Forms::apriCatalogo();
    if (name == QLatin1String("listino"))
        return Forms::listinoPrezzi();
    return Forms::avvio();
}
} // namespace

class TestWindowSet : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;
    TfrmAvvio *m_avvio = nullptr;

    void click(const QString &name)
    {
        auto *button = m_avvio->findChild<PictureButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        Forms::start();
        m_avvio = Forms::avvio();
        // As after a correct password.
        m_avvio->handOverFrom(Forms::password());
        QVERIFY(QTest::qWaitForWindowExposed(m_avvio));
    }
    void cleanup()
    {
        Forms::destroyAll();
        m_sandbox.reset();
    }

    void startUpClearsWhatInterruptedSavesLeft_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("removed");
        // Qt 6.4 names the temporary as the target, "." and six random letters.
        QTest::newRow("export") << "Magazzino.xls.AbCdEf" << true;
        QTest::newRow("password") << "unins000.dll.qWeRty" << true;
        QTest::newRow("card photo") << "12.jpg.XyZabc" << true;
        QTest::newRow("list") << "Fiori.lis.lhNPUu" << true;
        QTest::newRow("slot photo") << "Foto_Listino/Fiori_Foto_A_1.jpg.kLmNoP" << true;
        QTest::newRow("thumbnail") << "Foto_Listino/Fiori_Anteprima_H.jpg.QrStUv" << true;
        QTest::newRow("attachment") << "Documenti_Allegati/listino prezzi.xlsx.pQrStU" << true;
        QTest::newRow("the photo itself") << "12.jpg" << false;
        QTest::newRow("the list itself") << "Fiori.lis" << false;
        QTest::newRow("a user's backup of a list") << "Fiori.lis.Backup" << false;
        QTest::newRow("a user's attachment") << "Documenti_Allegati/contratto.pdf.Giugno" << false;
        QTest::newRow("in capitals") << "Documenti_Allegati/contratto.pdf.BACKUP" << false;
        QTest::newRow("not a file the program saves") << "note.txt.AbCdEf" << false;
        QTest::newRow("not a card number") << "foto.jpg.AbCdEf" << false;
        QTest::newRow("five letters") << "12.jpg.AbCdE" << false;
        QTest::newRow("a digit") << "12.jpg.AbC1Ef" << false;
        QTest::newRow("in another folder") << "Altro/12.jpg.XyZabc" << false;
    }

    void startUpClearsWhatInterruptedSavesLeft()
    {
        QFETCH(QString, file);
        QFETCH(bool, removed);
        Forms::destroyAll();
        QVERIFY(QDir(m_sandbox->folder()).mkpath(QFileInfo(file).path()));
        Sandbox::writeFile(m_sandbox->path(QStringLiteral("Fiori.lis")), QByteArray());
        Sandbox::writeFile(m_sandbox->path(file), "parziale");
        Forms::start();
        QCOMPARE(QFile::exists(m_sandbox->path(file)), !removed);
        QVERIFY(QFile::exists(m_sandbox->path(QStringLiteral("Fiori.lis"))));
        // Whatever stays, the list window shows lists only.
        Forms::apriCatalogo()->handOverFrom(Forms::avvio());
        auto *list = Forms::apriCatalogo()->findChild<QListWidget *>(QStringLiteral("lstFiles"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Fiori.lis"));
    }

    // A restore stopped after the current files went aside: the start puts them back before the
    // password window reads unins000.dll or anything sees an empty warehouse, and says so.
    void startUpSettlesAnInterruptedRestore()
    {
        Forms::destroyAll();
        const QString aside = QStringLiteral("Ripristino-precedente-20240105-0930");
        QVERIFY(QDir(m_sandbox->folder()).mkpath(aside));
        QVERIFY(QDir(m_sandbox->folder()).mkpath(QStringLiteral("Ripristino-in-corso")));
        for (const char *name : { "Magazzino.pro", "unins000.dll" }) {
            Sandbox::writeFile(m_sandbox->path(aside + QLatin1Char('/') + QLatin1String(name)), "vecchio");
            Sandbox::writeFile(m_sandbox->path(QStringLiteral("Ripristino-in-corso/") + QLatin1String(name)), "nuovo");
        }
        {
            Journal stopped;
            QVERIFY(stopped.begin(Journal::Kind::Restore,
                { aside, QStringLiteral("2"), QStringLiteral("Magazzino.pro"), QStringLiteral("unins000.dll"),
                    QStringLiteral("Magazzino.pro"), QStringLiteral("unins000.dll") }));
        }
        m_sandbox->clearMessages();
        Forms::start();
        QCOMPARE(m_sandbox->messages.size(), 1);
        QVERIFY2(m_sandbox->messageTexts().first().contains(QStringLiteral("\u00e8 stato annullato")),
            qPrintable(m_sandbox->messageTexts().first()));
        for (const char *name : { "Magazzino.pro", "unins000.dll" })
            QCOMPARE(Sandbox::readFile(m_sandbox->path(QLatin1String(name))), QByteArray("vecchio"));
        QVERIFY(!QFile::exists(Journal::path()));
        QCOMPARE(
            QDir(m_sandbox->folder()).entryList({ QStringLiteral("Ripristino*") }, QDir::AllEntries), QStringList());
        QVERIFY(Forms::password()->isVisible());

        // Nothing to settle: nothing said.
        Forms::destroyAll();
        m_sandbox->clearMessages();
        Forms::start();
        QCOMPARE(m_sandbox->messageTexts(), QStringList());
    }

    void everyWindowSetsTheFormats()
    {
        Forms::destroyAll();
        QLocale::setDefault(QLocale::c());
        Forms::createAll();
        QCOMPARE(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1234,50"));
        QCOMPARE(QLocale().toDouble(QStringLiteral("1.234,5")), 0.0);
    }

    // The program's icon on every long-lived window, drawn for each size a desktop asks for.
    void everyWindowCarriesTheProgramsIcon()
    {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        for (int n : { 16, 32, 48, 256 })
            QVERIFY2(icon.availableSizes().contains(QSize(n, n)), qPrintable(QString::number(n)));
        const QList<QWidget *> windows { Forms::password(), Forms::avvio(), Forms::cambiaPassword(), Forms::magazzino(),
            Forms::creaCatalogo(), Forms::apriCatalogo(), Forms::listinoPrezzi() };
        for (QWidget *w : windows)
            QVERIFY2(w->windowIcon().cacheKey() == icon.cacheKey(), qPrintable(w->objectName()));
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d+\\.\\d+")).match(QApplication::applicationVersion()).hasMatch());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("vetrinova"));
    }

    void startWindowFillsTheScreen()
    {
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_avvio });
        QVERIFY(m_avvio->isMaximized());
        QCOMPARE(m_avvio->windowTitle(), QStringLiteral(" Vetrinova"));
        QCOMPARE(m_avvio->panel()->size(), QSize(995, 692));
        QCOMPARE(m_avvio->panel()->geometry().center(), m_avvio->rect().center());
    }

    void handOver_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("target");
        for (const char *kind : { "img", "btn", "app" }) {
            QTest::addRow("%sMagazzino", kind) << QStringLiteral("%1Magazzino").arg(QLatin1String(kind)) << "magazzino";
            QTest::addRow("%sCrea", kind) << QStringLiteral("%1Crea").arg(QLatin1String(kind)) << "crea";
            QTest::addRow("%sApri", kind) << QStringLiteral("%1Apri").arg(QLatin1String(kind)) << "apri";
        }
    }
    void handOver()
    {
        QFETCH(QString, control);
        QFETCH(QString, target);
        Workspace *next = workspace(target);
        ShowWatch watch;
        next->installEventFilter(&watch);
        m_avvio->installEventFilter(&watch);
        // Twice in and out: shown once each time, the same window, never a copy, never a bare screen.
        for (int round = 1; round <= 2; ++round) {
            watch.shows = 0;
            click(control);
            QCOMPARE(visibleWindows(), QList<QWidget *> { next });
            QCOMPARE(watch.shows, 1);
            QVERIFY(next->isMaximized());
            QCOMPARE(next->panel()->size(), QSize(995, 692));
            watch.shows = 0;
            next->close();
            QCOMPARE(visibleWindows(), QList<QWidget *> { m_avvio });
            QCOMPARE(watch.shows, 1);
        }
        QVERIFY(!watch.screenEmptied);
        QVERIFY(!Forms::ending());
    }

    void closingTheStartWindowEndsTheProgram()
    {
        // Even after a price list was open earlier in the run.
        click(QStringLiteral("imgApri"));
        Forms::listinoPrezzi()->handOverFrom(Forms::apriCatalogo());
        QCOMPARE(visibleWindows(), QList<QWidget *> { Forms::listinoPrezzi() });
        Forms::listinoPrezzi()->close();
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_avvio });
        m_avvio->close();
        QVERIFY(Forms::ending());
        QVERIFY(visibleWindows().isEmpty());
    }

    void exitIconEndsTheProgram()
    {
        click(QStringLiteral("imgEsci"));
        QVERIFY(Forms::ending());
        QVERIFY(visibleWindows().isEmpty());
    }

    void webStripOpensTheMakersSite()
    {
        click(QStringLiteral("imgSito"));
        QCOMPARE(m_sandbox->opened, QStringList { QStringLiteral("https://www.orvenza.it") });
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_avvio });
    }

    void iconsOpenTheirWindows_data()
    {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("window");
        QTest::newRow("about") << "imgInfo"
                               << "frmInfo";
        QTest::newRow("help") << "imgGuida"
                              << "frmGuida";
        QTest::newRow("credits") << "imgCrediti"
                                 << "frmSplash";
    }
    void iconsOpenTheirWindows()
    {
        QFETCH(QString, icon);
        QFETCH(QString, window);
        QString shown;
        qint64 shownIcon = 0;
        QTimer::singleShot(0, [&shown, &shownIcon] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                shown = w->objectName();
                shownIcon = w->windowIcon().cacheKey();
                w->close();
            }
        });
        click(icon);
        QCOMPARE(shown, window);
        QCOMPARE(shownIcon, QApplication::windowIcon().cacheKey());
        QCOMPARE(visibleWindows(), QList<QWidget *> { m_avvio });
    }

    void picturesSayWhatTheyDo()
    {
        // A screen reader names every clickable picture.
        const QStringList names = { "imgMagazzino", "btnMagazzino", "appMagazzino", "imgCrea", "btnCrea", "appCrea",
            "imgApri", "btnApri", "appApri", "imgInfo", "imgGuida", "imgCrediti", "imgSito", "imgEsci" };
        for (const QString &name : names) {
            auto *button = m_avvio->findChild<PictureButton *>(name);
            QVERIFY2(button, qPrintable(name));
            QVERIFY2(button->accessibleName() != name, qPrintable(name));
            QVERIFY2(QFile::exists(QStringLiteral(":/art/%1.svg").arg(button->art())), qPrintable(name));
        }
    }
};

VETRINOVA_TEST_MAIN(TestWindowSet)
#include "tst_windowset.moc"
