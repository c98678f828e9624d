#include "tests/support/TestSupport.h"

#include "app/Guida.h"
#include "app/Info.h"
#include "app/Splash.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ProgramFolder.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Magazzino.h"
#include "widgets/LinkLabel.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUrlQuery>

namespace {
// Answers the next modal window from inside its own loop: reads what it shows, then closes it.
void whenModal(const std::function<void(QWidget *)> &look)
{
    QTimer::singleShot(0, [look] {
        QWidget *w = QApplication::activeModalWidget();
        QVERIFY(w);
        look(w);
        w->close();
    });
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}
} // namespace

/** Receives what the real TMisc::Open hands to the desktop. */
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestGuida : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;

private slots:
    void init() { m_box = std::make_unique<Sandbox>(); }
    void cleanup()
    {
        Forms::destroyAll();
        m_box.reset();
    }

    void helpWindowShowsTheTopic()
    {
        QString title, text;
        whenModal([&](QWidget *w) {
            title = w->findChild<QLabel *>("lblTitolo")->text();
            text = w->findChild<QPlainTextEdit *>("txtGuida")->toPlainText();
        });
        TfrmGuida::showTopic(nullptr, HelpTopic::Magazzino);
        QCOMPARE(title, QStringLiteral("App Magazzino Prodotti."));
        // One empty line between paragraphs, as typed in the topic.
        QCOMPARE(text.split(QStringLiteral("\n\n")), helpTopic(HelpTopic::Magazzino).paragraphs);
    }

    void helpTextWrapsAtTheBoxWidth()
    {
        TfrmGuida w(nullptr);
        w.setTopic(HelpTopic::Avvio);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *txt = w.findChild<QPlainTextEdit *>("txtGuida");
        QVERIFY(txt->isReadOnly());
        QCOMPARE(txt->horizontalScrollBar()->maximum(), 0);
        QVERIFY(txt->verticalScrollBar()->maximum() > 0);
        auto *title = w.findChild<QLabel *>("lblTitolo");
        QCOMPARE(title->size(), title->sizeHint());
    }

    void callersOpenTheirTopic_data()
    {
        QTest::addColumn<QString>("caller");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::newRow("start window") << "avvio"
                                      << "imgGuida"
                                      << "Uno sguardo a Vetrinova.";
        QTest::newRow("warehouse") << "magazzino"
                                   << "btnGuida"
                                   << "App Magazzino Prodotti.";
        QTest::newRow("page editor") << "listino"
                                     << "cmdGuida"
                                     << "App Gestione Listino Prezzi.";
        QTest::newRow("create list") << "crea"
                                     << "imgGuida"
                                     << "Creazione e apertura dei listini prezzi.";
        QTest::newRow("open list") << "apri"
                                   << "imgGuida"
                                   << "Creazione e apertura dei listini prezzi.";
        QTest::newRow("export") << "export"
                                << "cmdGuida"
                                << "Esportazione magazzino prodotti in Microsoft Excel.";
    }

    void callersOpenTheirTopic()
    {
        QFETCH(QString, caller);
        QFETCH(QString, button);
        QFETCH(QString, title);
        Forms::createAll();
        std::unique_ptr<TfrmExpMagazzino> exporter;
        QWidget *window = nullptr;
        if (caller == "avvio")
            window = Forms::avvio();
        else if (caller == "magazzino")
            window = Forms::magazzino();
        else if (caller == "listino")
            window = Forms::listinoPrezzi();
        else if (caller == "crea")
            window = Forms::creaCatalogo();
        else if (caller == "apri")
            window = Forms::apriCatalogo();
        else
            window = (exporter = std::make_unique<TfrmExpMagazzino>(nullptr)).get();
        QWidget *help = window->findChild<QWidget *>(button);
        if (!help)
            QSKIP("this window has no help button yet");
        window->show();
        QString shown;
        QWidget *owner = nullptr;
        whenModal([&](QWidget *w) {
            shown = w->findChild<QLabel *>("lblTitolo")->text();
            owner = w->parentWidget();
        });
        click(help);
        QCOMPARE(shown, title);
        QCOMPARE(owner, window);
    }

    void linksHandTheirTargetsToTheShell()
    {
        // A program folder whose name has blanks: the quotes keep the path in one piece.
        const QString folder = m_box->path("Programmi utente/Vetrinova 1.0/");
        QVERIFY(QDir().mkpath(folder));
        setProgramFolderOverride(folder);
        const QString manual = "\"" + folder + "Guida.pdf\"";
        const QString mail = "\"mailto:info@orvenza.it?subject=Software Vetrinova&body=Salve, desidererei avere le "
                             "seguenti informazioni sul software in oggetto:\"";
        const QString web = "https://www.orvenza.it";

        TfrmGuida guida(nullptr);
        TfrmInfo info(nullptr);
        TfrmSplash splash(nullptr);
        const QList<QPair<QWidget *, QString>> clicks = {
            { guida.findChild<LinkLabel *>("lnkWeb"), manual },
            { guida.findChild<PictureButton *>("imgPDF"), manual },
            { info.findChild<LinkLabel *>("lnkWeb"), mail },
            { info.findChild<PictureButton *>("imgEmail"), mail },
            { splash.findChild<LinkLabel *>("lnkWeb"), web },
            { splash.findChild<PictureButton *>("imgWeb"), web },
        };
        for (const auto &[widget, target] : clicks) {
            QVERIFY(widget);
            m_box->opened.clear();
            click(widget);
            QCOMPARE(m_box->opened, QStringList { target });
        }
        QCOMPARE(info.findChild<LinkLabel *>("lnkWeb")->text(), QStringLiteral("info@orvenza.it"));
        QCOMPARE(guida.findChild<LinkLabel *>("lnkWeb")->text(), QStringLiteral("Visualizza guida in formato PDF"));
    }

    void linkTurnsOrangeWhilePressed()
    {
        TfrmSplash splash(nullptr);
        auto *link = splash.findChild<LinkLabel *>("lnkWeb");
        auto *icon = splash.findChild<PictureButton *>("imgWeb");
        QCOMPARE(link->color(), QColor("#00008B"));
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        for (QWidget *target : { static_cast<QWidget *>(link), static_cast<QWidget *>(icon) }) {
            QTest::mousePress(target, Qt::LeftButton, {}, target->rect().center());
            QCOMPARE(link->color(), QColor("#FFA500"));
            QTest::mouseRelease(target, Qt::LeftButton, {}, target->rect().center());
            QCOMPARE(link->color(), QColor("#00008B"));
        }
    }

    void closeButtonsClose()
    {
        for (auto *w : std::initializer_list<QDialog *> {
                 new TfrmGuida(nullptr), new TfrmInfo(nullptr), new TfrmSplash(nullptr) }) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            auto *chiudi = w->findChild<QPushButton *>("btnChiudi");
            QCOMPARE(chiudi->text(), QStringLiteral("Chiudi"));
            chiudi->click();
            QVERIFY(!w->isVisible());
            delete w;
        }
    }

    void desktopReceivesFileMailAndWebAddresses()
    {
        TMisc::setHandler({});
        UrlCatcher catcher;
        for (const char *scheme : { "file", "mailto", "https" })
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        const QString folder = m_box->path("Cartella con spazi #1 e 100% è/");
        QVERIFY(QDir().mkpath(folder));
        setProgramFolderOverride(folder);

        TMisc::Open("\"" + folder + "Guida.pdf\"");
        TMisc::Open("\"mailto:info@orvenza.it?subject=Software Vetrinova&body=Salve, desidererei avere le seguenti "
                    "informazioni sul software in oggetto:\"");
        TMisc::Open("https://www.orvenza.it");
        for (const char *scheme : { "file", "mailto", "https" })
            QDesktopServices::unsetUrlHandler(scheme);

        QCOMPARE(catcher.urls.size(), 3);
        QVERIFY(catcher.urls[0].isLocalFile());
        QCOMPARE(catcher.urls[0].toLocalFile(), folder + "Guida.pdf");
        QCOMPARE(catcher.urls[1].scheme(), QStringLiteral("mailto"));
        QCOMPARE(catcher.urls[1].path(), QStringLiteral("info@orvenza.it"));
        const QUrlQuery query(catcher.urls[1]);
        QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), QStringLiteral("Software Vetrinova"));
        QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded),
            QStringLiteral("Salve, desidererei avere le seguenti informazioni sul software in oggetto:"));
        QCOMPARE(catcher.urls[2], QUrl("https://www.orvenza.it"));
    }
};

VETRINOVA_TEST_MAIN(TestGuida)
#include "tst_guida.moc"
