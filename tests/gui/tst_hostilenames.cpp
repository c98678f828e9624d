#include "app/Application.h"
#include "app/Avvio.h"
#include "app/Forms.h"
#include "pricelist/CreaCatalogo.h"
#include "storage/ProgramFolder.h"
#include "tests/support/TestSupport.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/Magazzino.h"

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>

// Names typed or chosen by the user never reach outside the program folder and its two subfolders:
// the program folder here is a folder inside the sandbox, so anything written beside it is an escape.

namespace {
const QString kCreated = QStringLiteral("Il file di archivio relativo al nuovo listino prezzi \u00e8 stato creato con "
                                        "successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco dei listini "
                                        "esistenti.");
const QString kListUnusable = QStringLiteral("Attenzione: il nome indicato non pu\u00f2 essere utilizzato come nome di un "
                                             "file.\r\n\r\nInserire un nome diverso per il nuovo listino prezzi.");
const QString kListTooLong = QStringLiteral("Attenzione: il nome indicato \u00e8 troppo lungo per essere utilizzato come "
                                            "nome di un file.\r\n\r\nInserire un nome pi\u00f9 breve per il nuovo listino "
                                            "prezzi.");
const QString kAgain = QStringLiteral("\r\n\r\nRinominare il file e sceglierlo di nuovo.");
const QString kFileUnusable
    = QStringLiteral("Attenzione: il nome del file scelto non pu\u00f2 essere utilizzato per un allegato.") + kAgain;
QString fileCharacter(const QString &c)
{
    return QStringLiteral("Attenzione: il nome del file scelto contiene il carattere \"%1\", che non pu\u00f2 essere "
                          "memorizzato nella scheda.")
               .arg(c)
        + kAgain;
}
const QString kFileTooLong
    = QStringLiteral("Attenzione: il nome del file scelto \u00e8 troppo lungo; pu\u00f2 contenere al massimo 250 caratteri.")
    + kAgain;

/** Every file and folder under `root`, by relative path, with the bytes of the files. */
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(QDir(root).relativeFilePath(path), QFileInfo(path).isDir() ? QByteArray("<dir>") : Sandbox::readFile(path));
    }
    return out;
}
} // namespace

class TestHostileNames : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    QString m_root; // the sandbox: the program folder and the user's own files are inside it

    QString program() const { return m_root + QStringLiteral("programma/"); }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        m_root = sb->folder();
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("programma/Documenti_Allegati")));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("programma/Foto_Listino")));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("utente")));
        setProgramFolderOverride(program());
        Sandbox::writeFile(m_root + QStringLiteral("fuori.lis"), "altrui");
        Sandbox::writeFile(m_root + QStringLiteral("utente/fuori.lis"), "altrui");
        Forms::createAll();
    }
    void cleanup()
    {
        Forms::destroyAll();
        sb.reset();
    }

    void listNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("created"); // the file made in the program folder, if any
        QTest::newRow("parent") << "../fuori" << kCreated << "..fuori.lis";
        QTest::newRow("dot dot") << ".." << kListUnusable << "";
        QTest::newRow("deep climb") << "a/../../utente/fuori" << kCreated << "a....utentefuori.lis";
        QTest::newRow("backslash") << "..\\..\\fuori" << kCreated << "....fuori.lis";
        QTest::newRow("absolute") << "/tmp/fuori" << kCreated << "tmpfuori.lis";
        QTest::newRow("control character") << "a\x01" "b" << kListUnusable << "";
        QTest::newRow("line break") << "a\nb" << kListUnusable << "";
        QTest::newRow("250 characters") << QString(250, QLatin1Char('x')) << kListTooLong << "";
        QTest::newRow("outside Windows-1252") << QStringLiteral("\u03a9mega \u4e2d") << kCreated
                                              << QStringLiteral("\u03a9mega \u4e2d.lis");
        QTest::newRow("emoji") << QStringLiteral("fiori \U0001F33B") << kListUnusable << "";
        QTest::newRow("hidden") << ".nascosto" << kCreated << ".nascosto.lis";
    }

    void listNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, created);
        Forms::avvio()->show();
        QWidget *w = Forms::creaCatalogo();
        static_cast<TfrmCreaCatalogo *>(w)->handOverFrom(Forms::avvio());
        QMap<QString, QByteArray> expected = tree(m_root);
        w->findChild<QLineEdit *>(QStringLiteral("txtFile"))->setText(typed);
        QTest::mouseClick(w->findChild<QWidget *>(QStringLiteral("btnApplica")), Qt::LeftButton);
        QCOMPARE(sb->messageTexts(), QStringList { message });
        if (!created.isEmpty())
            expected.insert(QStringLiteral("programma/") + created, QByteArray());
        QCOMPARE(tree(m_root), expected);
    }

    void attachmentNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message"); // empty: copied
        QTest::newRow("plain") << "scheda tecnica.pdf" << "";
        QTest::newRow("dots only") << "..pdf" << "";
        QTest::newRow("dot dot") << ".." << kFileUnusable;
        QTest::newRow("dot") << "." << kFileUnusable;
        QTest::newRow("backslash") << "..\\..\\fuori.lis" << kFileUnusable;
        QTest::newRow("control character") << "a\x01" "b.pdf" << kFileUnusable;
        QTest::newRow("line break") << "riga\nriga.pdf" << kFileUnusable;
        QTest::newRow("leading blank") << " spazio.pdf" << kFileUnusable;
        QTest::newRow("250 characters") << QString(246, QLatin1Char('n')) + ".pdf" << "";
        QTest::newRow("251 characters") << QString(247, QLatin1Char('n')) + ".pdf" << kFileTooLong;
        QTest::newRow("outside Windows-1252") << QStringLiteral("\u03a9mega.pdf") << fileCharacter(QStringLiteral("\u03a9"));
        QTest::newRow("emoji") << QStringLiteral("fiore \U0001F33B.pdf") << fileCharacter(QStringLiteral("\U0001F33B"));
        QTest::newRow("euro and accents") << QStringLiteral("fattura \u20ac \u00e0\u00e8.pdf") << "";
    }

    void attachmentNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        const QString chosen = m_root + QStringLiteral("utente/") + name;
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            Sandbox::writeFile(chosen, "contenuto");
        TfrmAllegaCartella dialog(Forms::magazzino());
        dialog.fillFrom(Forms::magazzino());
        auto *box = dialog.findChild<QLineEdit *>(QStringLiteral("txtFile01"));
        box->setText(QStringLiteral("precedente.pdf"));
        QMap<QString, QByteArray> expected = tree(m_root);
        sb->nextFiles = { chosen };
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnSfoglia01")), Qt::LeftButton);
        if (message.isEmpty()) {
            QCOMPARE(sb->messageTexts(), QStringList());
            QCOMPARE(box->text(), name);
            expected.insert(QStringLiteral("programma/Documenti_Allegati/") + name, "contenuto");
        } else {
            QCOMPARE(sb->messageTexts(), QStringList { message });
            QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
            QCOMPARE(box->text(), QStringLiteral("precedente.pdf"));
        }
        QCOMPARE(tree(m_root), expected);
    }
};

VETRINOVA_TEST_MAIN(TestHostileNames)
#include "tst_hostilenames.moc"
