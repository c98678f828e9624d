#include "app/rules/PasswordStore.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/TestSupport.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/Magazzino.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/WarehouseSheet.h"

#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <unistd.h>

// Names typed or chosen by the user never reach outside the program folder and its two subfolders:
// the program folder here is a folder inside the sandbox, so anything written beside it is an escape.

namespace {
const QString kCreated = QStringLiteral("Il file di archivio relativo al nuovo listino prezzi \u00e8 stato creato con "
                                        "successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco dei listini "
                                        "esistenti.");
const QString kListUnusable
    = QStringLiteral("Attenzione: il nome indicato non pu\u00f2 essere utilizzato come nome di un "
                     "file.\r\n\r\nInserire un nome diverso per il nuovo listino prezzi.");
const QString kListTooLong
    = QStringLiteral("Attenzione: il nome indicato \u00e8 troppo lungo per essere utilizzato come "
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
    = QStringLiteral(
          "Attenzione: il nome del file scelto \u00e8 troppo lungo; pu\u00f2 contenere al massimo 250 caratteri.")
    + kAgain;

const QString kArchive = QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                                        "Accertarsi di possedere i privilegi di scrittura nella cartella di "
                                        "installazione del programma.");
const QString kLinkedOutside = QStringLiteral("L'archivio \u00e8 un collegamento a un file fuori dalla cartella del "
                                              "programma: pu\u00f2 essere consultato ma non modificato.");
const QString kCardSaved
    = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");

/** A symbolic link at `link` holding `target` as written (relative to the link's folder or absolute). */
void makeLink(const QString &target, const QString &link)
{
    QVERIFY(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0);
}

/** Every file and folder under `root`, by relative path, with the bytes of the files. */
QMap<QString, QByteArray> tree(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(
        root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out.insert(
            QDir(root).relativeFilePath(path), QFileInfo(path).isDir() ? QByteArray("<dir>") : Sandbox::readFile(path));
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

    template <typename T = QWidget> static T *named(QWidget *window, const char *name)
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    static void click(QWidget *window, const char *name) { QTest::mouseClick(named(window, name), Qt::LeftButton); }

    static TSchedaProdotto card(const QString &code)
    {
        TSchedaProdotto c;
        using F = TSchedaProdotto::Field;
        for (F f : { F::Codice, F::Costo, F::Nome, F::UM, F::Tipologia, F::Caratteristiche, F::Prezzo })
            c[f] = code;
        return c;
    }

    static TPaginaListino page(const QString &name)
    {
        TPaginaListino p;
        for (int f = 0; f < TVoceListino::FieldCount; ++f)
            p.voci[0].values[f] = name;
        return p;
    }

    /** The card editor on the first card, or the page editor of Fiori.lis on its first page. */
    QWidget *showFirst(bool list)
    {
        QWidget *w;
        if (list) {
            TfrmListinoPrezzi *ed = Forms::listinoPrezzi();
            named<QLabel>(ed, "lblFile")->setText(program() + QStringLiteral("Fiori.lis"));
            named<QLabel>(ed, "lblNome")->setText(QStringLiteral("Fiori"));
            Forms::avvio()->show();
            ed->handOverFrom(Forms::avvio());
            w = ed;
        } else {
            w = Forms::magazzino();
            Forms::magazzino()->handOverFrom(nullptr);
        }
        click(w, "cmdPrimo");
        return w;
    }

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
        QTest::newRow("control character") << "a\x01"
                                              "b"
                                           << kListUnusable << "";
        QTest::newRow("line break") << "a\nb" << kListUnusable << "";
        QTest::newRow("250 characters") << QString(250, QLatin1Char('x')) << kListTooLong << "";
        QTest::newRow("outside Windows-1252")
            << QStringLiteral("\u03a9mega \u4e2d") << kCreated << QStringLiteral("\u03a9mega \u4e2d.lis");
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
        QTest::newRow("plain") << "scheda tecnica.pdf"
                               << "";
        QTest::newRow("dots only") << "..pdf"
                                   << "";
        QTest::newRow("dot dot") << ".." << kFileUnusable;
        QTest::newRow("dot") << "." << kFileUnusable;
        QTest::newRow("backslash") << "..\\..\\fuori.lis" << kFileUnusable;
        QTest::newRow("control character") << "a\x01"
                                              "b.pdf"
                                           << kFileUnusable;
        QTest::newRow("line break") << "riga\nriga.pdf" << kFileUnusable;
        QTest::newRow("leading blank") << " spazio.pdf" << kFileUnusable;
        QTest::newRow("250 characters") << QString(246, QLatin1Char('n')) + ".pdf"
                                        << "";
        QTest::newRow("251 characters") << QString(247, QLatin1Char('n')) + ".pdf" << kFileTooLong;
        QTest::newRow("outside Windows-1252")
            << QStringLiteral("\u03a9mega.pdf") << fileCharacter(QStringLiteral("\u03a9"));
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

    void linkedArchivesAreReadButWrittenOnlyInside_data()
    {
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("target"); // where the archive really is, from the sandbox
        QTest::addColumn<QString>("link"); // what the link in the program folder says
        QTest::addColumn<bool>("writable");
        QTest::newRow("warehouse on a shared disk") << false << "utente/condiviso.pro"
                                                    << "../utente/condiviso.pro" << false;
        QTest::newRow("warehouse, absolute link") << false << "utente/condiviso.pro"
                                                  << "" << false;
        QTest::newRow("warehouse in a subfolder") << false << "programma/archivi/Magazzino.pro"
                                                  << "archivi/Magazzino.pro" << true;
        QTest::newRow("list on a shared disk") << true << "utente/Fiori.lis"
                                               << "../utente/Fiori.lis" << false;
        QTest::newRow("list in a subfolder") << true << "programma/archivi/Fiori.lis"
                                             << "archivi/Fiori.lis" << true;
    }

    void linkedArchivesAreReadButWrittenOnlyInside()
    {
        QFETCH(bool, list);
        QFETCH(QString, target);
        QFETCH(QString, link);
        QFETCH(bool, writable);
        const QString real = m_root + target;
        QVERIFY(QDir().mkpath(QFileInfo(real).path()));
        if (list)
            PriceListFile::append(real, page(QStringLiteral("Rosa")));
        else
            WarehouseArchive::append(card(QStringLiteral("C1")));
        if (!list) // appended in the program folder: moved to where the link will lead
            QVERIFY(QFile::rename(program() + QStringLiteral("Magazzino.pro"), real));
        makeLink(link.isEmpty() ? real : link,
            program() + (list ? QStringLiteral("Fiori.lis") : QStringLiteral("Magazzino.pro")));
        const QByteArray before = Sandbox::readFile(real);

        QWidget *w = showFirst(list);
        QCOMPARE(sb->messageTexts(), QStringList());
        QCOMPARE(named<QLabel>(w, "lblPosizione")->text(), QStringLiteral("1"));
        QCOMPARE(named<QLineEdit>(w, list ? "txtNome_A" : "txtNome")->text(),
            list ? QStringLiteral("Rosa") : QStringLiteral("C1"));

        named<QLineEdit>(w, list ? "txtNome_A" : "txtNome")->setText(QStringLiteral("Cambiato"));
        click(w, list ? "cmdSalva" : "btnSalva");
        if (writable) {
            QCOMPARE(sb->messageTexts(), QStringList { kCardSaved });
            QVERIFY(Sandbox::readFile(real) != before);
        } else {
            QCOMPARE(sb->messageTexts(), QStringList { kLinkedOutside });
            QCOMPARE(sb->messages.first().kind, Msg::Kind::Error);
            QCOMPARE(Sandbox::readFile(real), before);
        }
        QVERIFY(QFileInfo(program() + (list ? "Fiori.lis" : "Magazzino.pro")).isSymLink());
    }

    void aDanglingLinkNeverCreatesTheFileItPointsTo_data()
    {
        QTest::addColumn<bool>("list");
        QTest::newRow("warehouse") << false;
        QTest::newRow("list") << true;
    }

    void aDanglingLinkNeverCreatesTheFileItPointsTo()
    {
        QFETCH(bool, list);
        makeLink(QStringLiteral("../utente/nuovo"), program() + (list ? "Fiori.lis" : "Magazzino.pro"));
        const QMap<QString, QByteArray> before = tree(m_root);
        showFirst(list);
        QCOMPARE(sb->messageTexts(), QStringList { kArchive });
        QCOMPARE(tree(m_root), before);
    }

    void photosAndAttachmentsAreNeverWrittenThroughALinkToOutside()
    {
        // Each file the program would replace is a link to a file of the user's, outside.
        for (const char *name : { "foto.jpg", "miniatura.jpg", "segreto.pdf" })
            Sandbox::writeFile(m_root + QStringLiteral("utente/") + QLatin1String(name), "dell'utente");
        makeLink(QStringLiteral("../utente/foto.jpg"), program() + QStringLiteral("1.jpg"));
        makeLink(
            QStringLiteral("../../utente/foto.jpg"), program() + QStringLiteral("Foto_Listino/Fiori_Foto_A_1.jpg"));
        makeLink(m_root + QStringLiteral("utente/miniatura.jpg"),
            program() + QStringLiteral("Foto_Listino/Fiori_Anteprima_A.jpg"));
        makeLink(
            QStringLiteral("../../utente/segreto.pdf"), program() + QStringLiteral("Documenti_Allegati/scheda.pdf"));
        WarehouseArchive::append(card(QStringLiteral("C1")));
        PriceListFile::append(program() + QStringLiteral("Fiori.lis"), page(QStringLiteral("Rosa")));
        const QString user = m_root + QStringLiteral("utente");
        const QMap<QString, QByteArray> before = tree(user);

        QWidget *editor = showFirst(false);
        click(editor, "btnSalva"); // the card and its photo
        QCOMPARE(sb->messageTexts(), QStringList { kCardSaved });
        QWidget *pages = showFirst(true);
        click(pages, "cmdSalva"); // the page and its eight photos
        static_cast<TfrmListinoPrezzi *>(pages)->writeThumbnails();
        TfrmAllegaCartella dialog(editor);
        dialog.fillFrom(qobject_cast<TfrmMagazzino *>(editor));
        Sandbox::writeFile(user + QStringLiteral("/scheda.pdf"), "nuova");
        sb->nextFiles = { user + QStringLiteral("/scheda.pdf") };
        sb->clearMessages();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnSfoglia01")), Qt::LeftButton);
        QCOMPARE(sb->messages.size(), 1); // the question whether to replace it, answered yes

        QMap<QString, QByteArray> expected = before;
        expected.insert(QStringLiteral("scheda.pdf"), "nuova");
        QCOMPARE(tree(user), expected);
        QVERIFY(QFileInfo(program() + QStringLiteral("1.jpg")).isSymLink());
    }

    // A file the program writes that is a link out of its folder is refused with that reason, never as
    // a full disk, a file already open or a program to reinstall.
    void aLinkOutsideIsRefusedWithThatReason()
    {
        const QString user = m_root + QStringLiteral("utente/");
        makeJpeg(user + QStringLiteral("foto.jpg"), QSize(40, 30));
        Sandbox::writeFile(user + QStringLiteral("tabella.xls"), "dell'utente");
        Sandbox::writeFile(user + QStringLiteral("password.ini"), "[Accesso]\r\nValore=X\r\n");
        QVERIFY(QDir().mkpath(user + QStringLiteral("foto_listino")));
        makeLink(user + QStringLiteral("foto.jpg"), program() + QStringLiteral("1.jpg"));
        makeLink(user + QStringLiteral("tabella.xls"), program() + QStringLiteral("Magazzino.xls"));
        makeLink(user + QStringLiteral("password.ini"), program() + QStringLiteral("unins000.dll"));
        QVERIFY(QDir(program()).rmdir(QStringLiteral("Foto_Listino")));
        makeLink(user + QStringLiteral("foto_listino"), program() + QStringLiteral("Foto_Listino"));
        WarehouseArchive::append(card(QStringLiteral("C1")));
        PriceListFile::append(program() + QStringLiteral("Fiori.lis"), page(QStringLiteral("Rosa")));
        const QMap<QString, QByteArray> before = tree(user);
        const QString why = QStringLiteral("collegamento che porta fuori dalla cartella del programma");

        QWidget *editor = showFirst(false);
        click(editor, "btnSalva"); // the card is saved, its photo refused
        QCOMPARE(sb->messages.size(), 1);
        QVERIFY2(sb->messages[0].text.contains(why) && !sb->messages[0].text.contains(QStringLiteral("disco")),
            qPrintable(sb->messages[0].text));
        sb->clearMessages();
        QWidget *pages = showFirst(true);
        click(pages, "cmdSalva"); // the page is saved, its photos refused
        QCOMPARE(sb->messages.size(), 1);
        QVERIFY2(sb->messages[0].text.contains(why) && !sb->messages[0].text.contains(QStringLiteral("disco")),
            qPrintable(sb->messages[0].text));

        QCOMPARE(ExportWriter::write(ExportWriter::exportPath(), WarehouseSheet()).error(), WriteError::LinkOutside);
        const auto stored = PasswordStore::write(QStringLiteral("NUOVA"));
        QVERIFY2(!stored, "the password store was written through a link");
        QCOMPARE(stored.error().why, WriteError::LinkOutside);
        QCOMPARE(tree(user), before);
    }
};

VETRINOVA_TEST_MAIN(TestHostileNames)
#include "tst_hostilenames.moc"
