#include "app/rules/HelpTopics.h"
#include "app/rules/Links.h"
#include "storage/ProgramFolder.h"

#include <QtTest>

class TestHelpTopics : public QObject
{
    Q_OBJECT

private slots:
    void titleAndFirstSentence_data()
    {
        QTest::addColumn<HelpTopic>("topic");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("paragraphs");
        QTest::newRow("start window")
            << HelpTopic::Avvio << "Uno sguardo a Vetrinova."
            << "Vetrinova è un software che consente di catalogare gli articoli del proprio magazzino e di stampare "
               "listini prezzi con le immagini dei prodotti su fogli di formato A4."
            << 27;
        QTest::newRow("page editor")
            << HelpTopic::ListinoPrezzi << "App Gestione Listino Prezzi."
            << "L'app Gestione Listino Prezzi mette a disposizione un ambiente in cui è possibile compilare, stampare "
               "e archiviare le singole pagine del listino, ciascuna contenente otto articoli con relative foto e "
               "descrizioni."
            << 4;
        QTest::newRow("warehouse")
            << HelpTopic::Magazzino << "App Magazzino Prodotti."
            << "L'app Magazzino Prodotti serve a gestire la catalogazione della merce creando una scheda per ciascun "
               "prodotto."
            << 12;
        const QString lists = "La schermata di partenza di Vetrinova dà accesso a due ambienti di lavoro: il primo "
                              "permette di creare un nuovo listino prezzi, mentre il secondo va usato per aprire e "
                              "compilare un listino esistente.";
        QTest::newRow("create list") << HelpTopic::CreaCatalogo << "Creazione e apertura dei listini prezzi." << lists
                                     << 6;
        QTest::newRow("open list") << HelpTopic::ApriCatalogo << "Creazione e apertura dei listini prezzi." << lists
                                   << 6;
        QTest::newRow("export")
            << HelpTopic::ExpMagazzino << "Esportazione magazzino prodotti in Microsoft Excel."
            << "Il pulsante Esporta archivio consente di esportare le schede del magazzino prodotti in un foglio di "
               "lavoro di Microsoft Excel, che potrà essere aperto con qualsiasi software in grado di gestire i file "
               "in formato XLS (ad esempio, con Open Office, Libre Office o Microsoft Office)."
            << 3;
        QTest::newRow("import")
            << HelpTopic::ImportaSchede << "Importazione di un elenco di prodotti."
            << "La finestra Importa prodotti da un file trasforma in schede del magazzino un elenco di prodotti "
               "gi\u00e0 pronto"
            << 5;
    }

    void titleAndFirstSentence()
    {
        QFETCH(HelpTopic, topic);
        QFETCH(QString, title);
        QFETCH(QString, first);
        QFETCH(int, paragraphs);
        const HelpText help = helpTopic(topic);
        QCOMPARE(help.title, title);
        QVERIFY2(help.text().startsWith(first), qPrintable(help.text().left(200)));
        // Paragraphs are separated by exactly one empty line and none is empty or carries its own breaks.
        const QStringList split = help.text().split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(split.size(), paragraphs);
        for (const QString &p : split) {
            QVERIFY(!p.trimmed().isEmpty());
            QVERIFY(!p.contains(QLatin1Char('\n')) && !p.contains(QLatin1Char('\r')));
            QCOMPARE(p, p.trimmed());
        }
    }

    void createAndOpenShareOneTopic()
    {
        const HelpText create = helpTopic(HelpTopic::CreaCatalogo);
        const HelpText open = helpTopic(HelpTopic::ApriCatalogo);
        QCOMPARE(open.title, create.title);
        QCOMPARE(open.text(), create.text());
    }

    void startTopicNamesTheFirstAccessPassword()
    {
        const QString text = helpTopic(HelpTopic::Avvio).text();
        QVERIFY(text.contains(QStringLiteral("VETRINOVA")));
        QVERIFY(text.contains(QStringLiteral("otto caratteri")));
    }

    void linkTargets()
    {
        setProgramFolderOverride(QStringLiteral("/tmp/Programmi utente/Vetrinova 1.0"));
        QCOMPARE(Links::manualCommand(), QStringLiteral("\"/tmp/Programmi utente/Vetrinova 1.0/Guida.pdf\""));
        setProgramFolderOverride(QString());
        QCOMPARE(Links::mailCommand(),
            QStringLiteral("\"mailto:info@orvenza.it?subject=Software Vetrinova&body=Salve, desidererei avere le "
                           "seguenti informazioni sul software in oggetto:\""));
        QCOMPARE(Links::webSite(), QStringLiteral("https://www.orvenza.it"));
    }
};

QTEST_GUILESS_MAIN(TestHelpTopics)
#include "tst_helptopics.moc"
