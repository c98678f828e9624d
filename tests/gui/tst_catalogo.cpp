#include "tests/support/TestSupport.h"

#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"
#include "widgets/PictureButton.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <unistd.h> // access() on a name that is not text

namespace {
const QString kCreated = QStringLiteral("Il file di archivio relativo al nuovo listino prezzi è stato creato con "
                                        "successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco dei listini "
                                        "esistenti.");
const QString kNoName = QStringLiteral("Attenzione: per creare l'archivio è necessario indicare il nome del nuovo "
                                       "listino prezzi.");
const QString kUsed = QStringLiteral("Attenzione: il nome del listino prezzi indicato è già stato utilizzato in "
                                     "precedenza.\r\n\r\nInserire un nome diverso oppure, se si desidera aprire un "
                                     "listino prezzi già creato, premere il pulsante Apri listino esistente.");
const QString kUnusable = QStringLiteral("Attenzione: il nome indicato non può essere utilizzato come nome di un "
                                         "file.\r\n\r\nInserire un nome diverso per il nuovo listino prezzi.");
const QString kTooLong = QStringLiteral("Attenzione: il nome indicato è troppo lungo per essere utilizzato come nome "
                                        "di un file.\r\n\r\nInserire un nome più breve per il nuovo listino prezzi.");
const QString kEmptyList = QStringLiteral("Attenzione: l'elenco non contiene nessun listino prezzi.");
const QString kAsk = QStringLiteral("Si sta per eliminare il listino prezzi selezionato. Si ricorda che il file "
                                    "eliminato non potrà essere recuperato.\r\n\r\nSi conferma l'eliminazione "
                                    "dell'archivio?");
const QString kDeleted = QStringLiteral("Il listino prezzi è stato eliminato con successo.");
const QString kPageSaved
    = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
} // namespace

class TestCatalogo : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;

    template <typename T = QWidget> static T *control(QWidget *window, const char *name)
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    static void click(QWidget *window, const char *name) { QTest::mouseClick(control(window, name), Qt::LeftButton); }

    QWidget *showCreate()
    {
        TfrmCreaCatalogo *w = Forms::creaCatalogo();
        w->handOverFrom(Forms::avvio());
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("create window not active");
        return w;
    }

    QWidget *showList()
    {
        TfrmApriCatalogo *w = Forms::apriCatalogo();
        w->handOverFrom(Forms::avvio());
        return w;
    }

    QStringList items() const
    {
        QStringList texts;
        auto *list = control<QListWidget>(Forms::apriCatalogo(), "lstFiles");
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    void select(const QString &text)
    {
        auto *list = control<QListWidget>(Forms::apriCatalogo(), "lstFiles");
        const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
        QVERIFY(found.first()->isSelected());
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
        Forms::avvio()->show();
    }
    void cleanup()
    {
        Forms::destroyAll();
        sb.reset();
    }

    void typedNameLosesTheForbiddenCharacters()
    {
        QWidget *w = showCreate();
        auto *box = control<QLineEdit>(w, "txtFile");
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->grab().toImage().pixelColor(1, 1), QColor(0xFFFFFF00u));
        QCOMPARE(box->grab().toImage().pixelColor(0, 17), QColor(0xFF87CEEBu));
        QTest::keyClicks(box, "Rosa:Blu|<*>?/\\\"x");
        for (QChar c : QStringLiteral("\u00B0\u00C7\u00D1\u00E7\u00F1\u00E8"))
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(box->text(), QStringLiteral("RosaBlu|x\u00E8"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(sb->messages.isEmpty());
        QVERIFY(w->isVisible());
        box->clearFocus();
        QCOMPARE(box->grab().toImage().pixelColor(1, 1), QColor(0xFFF0F8FFu));
    }

    void pastedNameLosesTheForbiddenCharacters()
    {
        QWidget *w = showCreate();
        auto *box = control<QLineEdit>(w, "txtFile");
        QTest::keyClicks(box, "Li");
        QGuiApplication::clipboard()->setText(QStringLiteral("  ../../tmp/Rosa:Blu\u00F1  "));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("Li  ....tmpRosaBlu  "));
        QCOMPARE(box->cursorPosition(), box->text().size());
        click(w, "btnApplica");
        QCOMPARE(sb->messageTexts(), QStringList { kCreated });
        QCOMPARE(QDir(sb->folder()).entryList(QDir::Files), QStringList { "Li  ....tmpRosaBlu.lis" });
    }

    void creating_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("filesAfter");
        QTest::addColumn<bool>("staysOpen");
        const QStringList before { "Fiori.lis" };
        QTest::newRow("new list") << "  Piante grasse " << kCreated << QStringList { "Fiori.lis", "Piante grasse.lis" }
                                  << false;
        QTest::newRow("nothing typed") << "" << kNoName << before << true;
        QTest::newRow("only blanks") << "    " << kNoName << before << true;
        QTest::newRow("name used") << "Fiori" << kUsed << before << true;
        QTest::newRow("dot dot") << ".." << kUnusable << before << true;
        QTest::newRow("dot") << " . " << kUnusable << before << true;
        QTest::newRow("too long") << QString(240, QLatin1Char('a')) << kTooLong << before << true;
    }

    void creating()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QStringList, filesAfter);
        QFETCH(bool, staysOpen);
        Sandbox::writeFile(sb->path("Fiori.lis"), QByteArray(3696, 'x'));
        QWidget *w = showCreate();
        auto *box = control<QLineEdit>(w, "txtFile");
        QTest::keyClicks(box, typed);
        click(w, "btnApplica");

        QCOMPARE(sb->messageTexts(), QStringList { message });
        QCOMPARE(sb->messages.first().kind, message == kCreated ? Msg::Kind::Information : Msg::Kind::Warning);
        QCOMPARE(QDir(sb->folder()).entryList(QDir::Files), filesAfter);
        QCOMPARE(Sandbox::readFile(sb->path("Fiori.lis")), QByteArray(3696, 'x'));
        QCOMPARE(w->isVisible(), staysOpen);
        QCOMPARE(Forms::avvio()->isVisible(), !staysOpen);
        if (staysOpen) {
            QCOMPARE(box->text(), typed);
        } else {
            QCOMPARE(QFileInfo(sb->path("Piante grasse.lis")).size(), 0);
            QCOMPARE(control<QLabel>(w, "lblFile")->text(), sb->path("Piante grasse.lis"));
        }
    }

    void showingAgainStartsEmpty()
    {
        QWidget *w = showCreate();
        QTest::keyClicks(control<QLineEdit>(w, "txtFile"), "Bozza");
        click(w, "btnAnnulla");
        QVERIFY(!w->isVisible());
        QVERIFY(Forms::avvio()->isVisible());
        QVERIFY(QDir(sb->folder()).entryList(QDir::Files).isEmpty());
        showCreate();
        QCOMPARE(control<QLineEdit>(w, "txtFile")->text(), QString());
    }

    void aFailedCreationIsReported()
    {
        setProgramFolderOverride(sb->folder() + QStringLiteral("mancante"));
        QWidget *w = showCreate();
        QTest::keyClicks(control<QLineEdit>(w, "txtFile"), "Fiori");
        click(w, "btnApplica");
        QCOMPARE(sb->messages.size(), 1);
        QCOMPARE(sb->messages.first().kind, Msg::Kind::ErrorReport);
        QVERIFY(w->isVisible());
    }

    void listShowsEveryListInListOrder()
    {
        for (const char *name : { "beta.lis", "Alfa.lis", "_Zeta.lis", "note.txt" })
            Sandbox::writeFile(sb->path(QLatin1String(name)), QByteArray());
        QWidget *w = showList();
        QCOMPARE(items(), QStringList({ "Alfa.lis", "beta.lis", "_Zeta.lis" }));
        QCOMPARE(control<QLabel>(w, "lblCreati")->text(), QStringLiteral("Sono stati creati 3 listini prezzi."));
        const QFont font = control<QListWidget>(w, "lstFiles")->item(0)->font();
        QCOMPARE(font.family(), QStringLiteral("Courier New"));
        QCOMPARE(font.pointSize(), 14);
        QCOMPARE(control<QLabel>(w, "lblMemory")->text(), QStringLiteral("avvio"));
        QCOMPARE(control<QLabel>(w, "lblFile")->text(), sb->folder());

        // Shown again, the list is looked up afresh.
        Sandbox::writeFile(sb->path("Casa.lis"), QByteArray());
        w->close();
        showList();
        QCOMPARE(items(), QStringList({ "Alfa.lis", "beta.lis", "Casa.lis", "_Zeta.lis" }));
    }

    void oneListStillReadsPlural()
    {
        Sandbox::writeFile(sb->path("Fiori.lis"), QByteArray());
        QCOMPARE(
            control<QLabel>(showList(), "lblCreati")->text(), QStringLiteral("Sono stati creati 1 listini prezzi."));
    }

    void emptyOrUnselectedListRefusesOpenAndDelete()
    {
        QWidget *w = showList();
        QCOMPARE(control<QLabel>(w, "lblCreati")->text(), QStringLiteral("Sono stati creati 0 listini prezzi."));
        click(w, "btnApri");
        click(w, "btnElimina");
        QCOMPARE(sb->messageTexts(), QStringList({ kEmptyList, kEmptyList }));

        sb->clearMessages();
        Sandbox::writeFile(sb->path("Fiori.lis"), QByteArray());
        w->close();
        showList();
        click(w, "btnApri");
        click(w, "btnElimina");
        QCOMPARE(sb->messageTexts(),
            QStringList({ QStringLiteral("Attenzione: selezionare il listino prezzi dall'elenco prima di premere "
                                         "il pulsante Apri archivio."),
                QStringLiteral("Attenzione: selezionare dall'elenco il listino prezzi da eliminare prima "
                               "di premere il pulsante del cestino.") }));
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
        QVERIFY(w->isVisible());
        QVERIFY(QFile::exists(sb->path("Fiori.lis")));
    }

    void openingHandsTheListToTheEditor()
    {
        Sandbox::writeFile(sb->path("Alfa.lis"), QByteArray());
        Sandbox::writeFile(sb->path("Prova.lis"), QByteArray());
        QWidget *w = showList();
        select(QStringLiteral("Prova.lis"));
        click(w, "btnApri");
        QWidget *editor = Forms::listinoPrezzi();
        QVERIFY(editor->isVisible());
        QVERIFY(!w->isVisible());
        QVERIFY(!Forms::avvio()->isVisible());
        QCOMPARE(control<QLabel>(editor, "lblNome")->text(), QStringLiteral("Prova"));
        QCOMPARE(control<QLabel>(editor, "lblFile")->text(), sb->path("Prova.lis"));
        QCOMPARE(control<QLabel>(editor, "lblPosizione")->text(), QString());

        // The editor closes back to the start window, not to the list.
        click(editor, "cmdEsci");
        QVERIFY(Forms::avvio()->isVisible());
        QVERIFY(!editor->isVisible());
        QVERIFY(!w->isVisible());
    }

    void deleting_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("yes") << QMessageBox::Yes;
        QTest::newRow("no") << QMessageBox::No;
    }

    void deleting()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        for (const char *name : { "Alfa.lis", "Fiori.lis" })
            Sandbox::writeFile(sb->path(QLatin1String(name)), QByteArray(3696, 'x'));
        QDir(sb->folder()).mkdir("Foto_Listino");
        makeJpeg(sb->path("Foto_Listino/Fiori_Foto_A_1.jpg"), QSize(366, 274));
        QWidget *w = showList();
        select(QStringLiteral("Fiori.lis"));
        sb->answers << answer;
        click(w, "btnElimina");

        const bool yes = answer == QMessageBox::Yes;
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Confirm);
        QCOMPARE(sb->messageTexts(), yes ? QStringList({ kAsk, kDeleted }) : QStringList { kAsk });
        QCOMPARE(QFile::exists(sb->path("Fiori.lis")), !yes);
        QVERIFY(QFile::exists(sb->path("Alfa.lis")));
        QVERIFY(QFile::exists(sb->path("Foto_Listino/Fiori_Foto_A_1.jpg")));
        QCOMPARE(items(), yes ? QStringList { "Alfa.lis" } : QStringList({ "Alfa.lis", "Fiori.lis" }));
        QCOMPARE(control<QLabel>(w, "lblCreati")->text(),
            QStringLiteral("Sono stati creati %1 listini prezzi.").arg(yes ? 1 : 2));
        QVERIFY(w->isVisible());

        // Closing with the close box afterwards goes back to the start window.
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(Forms::avvio()->isVisible());
        QVERIFY(!Forms::listinoPrezzi()->isVisible());
    }

    void aListWhoseNameStartsWithADotIsLikeAnyOther()
    {
        QWidget *create = showCreate();
        QTest::keyClicks(control<QLineEdit>(create, "txtFile"), ".Segreto");
        click(create, "btnApplica");
        QCOMPARE(sb->messageTexts(), QStringList { kCreated });
        sb->clearMessages();
        QCOMPARE(QDir(sb->folder()).entryList(QDir::Files | QDir::Hidden), QStringList { ".Segreto.lis" });

        // Created twice, the name is taken; the list window shows it, opens it and deletes it.
        showCreate();
        QTest::keyClicks(control<QLineEdit>(create, "txtFile"), ".Segreto");
        click(create, "btnApplica");
        QCOMPARE(sb->messageTexts(), QStringList { kUsed });
        sb->clearMessages();
        click(create, "btnAnnulla");

        QWidget *lists = showList();
        QCOMPARE(items(), QStringList { ".Segreto.lis" });
        select(QStringLiteral(".Segreto.lis"));
        click(lists, "btnApri");
        QWidget *editor = Forms::listinoPrezzi();
        QVERIFY(editor->isVisible());
        QVERIFY(sb->messages.isEmpty());
        QCOMPARE(control<QLabel>(editor, "lblNome")->text(), QStringLiteral(".Segreto"));
        click(editor, "cmdEsci");

        showList();
        select(QStringLiteral(".Segreto.lis"));
        click(lists, "btnElimina");
        QCOMPARE(sb->messageTexts(), QStringList({ kAsk, kDeleted }));
        QVERIFY(!QFile::exists(sb->path(".Segreto.lis")));
        QVERIFY(items().isEmpty());
    }

    void listsCopiedInFromElsewhere_data()
    {
        // The bytes of the file name, and the text the list shows (or the note about the files left out).
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("leftOut");
        QTest::newRow("double extension") << QByteArray("x.lis.lis") << "x.lis.lis"
                                          << "";
        QTest::newRow("tilde") << QByteArray("~.lis") << "~.lis"
                               << "";
        QTest::newRow("capital extension") << QByteArray("Rose.LIS") << "Rose.LIS"
                                           << "";
        QTest::newRow("UTF-8 outside Windows-1252") << QStringLiteral("Caf\u00e9\u20ac\u4e2d.lis").toUtf8()
                                                    << QStringLiteral("Caf\u00e9\u20ac\u4e2d.lis") << "";
        QTest::newRow("emoji") << QStringLiteral("fiori \U0001F33B.lis").toUtf8()
                               << QStringLiteral("fiori \U0001F33B.lis") << "";
        QTest::newRow("colon and question mark") << QByteArray("Sconti: 10%?.lis") << "Sconti: 10%?.lis"
                                                 << "";
        QTest::newRow("leading blank") << QByteArray(" Fiori.lis") << " Fiori.lis"
                                       << "";
        QTest::newRow("trailing blank") << QByteArray("Fiori .lis") << "Fiori .lis"
                                        << "";
        const QString note
            = QStringLiteral("1 file .lis non \u00e8 elencato perch\u00e9 il suo nome contiene caratteri "
                             "non ammessi o non leggibili; rinominarlo per aprirlo: %1");
        QTest::newRow("Latin-1 byte") << QByteArray("Caf\xe9.lis") << ""
                                      << note.arg(QStringLiteral("\u00abCaf\ufffd.lis\u00bb"));
        QTest::newRow("backslash") << QByteArray("..\\Fiori.lis") << ""
                                   << note.arg(QStringLiteral("\u00ab..\\Fiori.lis\u00bb"));
        QTest::newRow("line break") << QByteArray("a\nb.lis") << "" << note.arg(QStringLiteral("\u00aba?b.lis\u00bb"));
    }

    void listsCopiedInFromElsewhere()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, listed);
        QFETCH(QString, leftOut);
        // Beside a list of the program's own whose name a careless trim could make of it.
        TPaginaListino page;
        for (int f = 0; f < TVoceListino::FieldCount; ++f)
            page.voci[0].values[f] = QStringLiteral("Rosa");
        PriceListFile::append(sb->path("Fiori.lis"), page);
        const QByteArray raw = QFile::encodeName(sb->folder()) + file;
        const QByteArray bytes(TPaginaListino::RecordSize, ' ');
        const Os::File made = Os::createNew(raw.toStdString());
        QVERIFY(made != Os::kNoFile);
        QVERIFY(Os::writeAt(made, 0, bytes.constData(), bytes.size()));
        QVERIFY(Os::close(made));

        QWidget *lists = showList();
        auto *note = control<QLabel>(lists, "lblEsclusi");
        if (listed.isEmpty()) {
            QCOMPARE(items(), QStringList { "Fiori.lis" });
            QCOMPARE(
                control<QLabel>(lists, "lblCreati")->text(), QStringLiteral("Sono stati creati 1 listini prezzi."));
            QVERIFY(note->isVisible());
            QCOMPARE(note->text(), leftOut);
            QVERIFY(::access(raw.constData(), F_OK) == 0);
            return;
        }
        QVERIFY(!note->isVisible());
        QVERIFY(items().contains(listed));

        // Opened: the editor shows the file's own page and saves it back into the same file.
        select(listed);
        click(lists, "btnApri");
        QWidget *editor = Forms::listinoPrezzi();
        QVERIFY(editor->isVisible());
        QCOMPARE(control<QLabel>(editor, "lblNome")->text(), listed.chopped(4));
        click(editor, "cmdPrimo");
        QCOMPARE(control<QLabel>(editor, "lblPosizione")->text(), QStringLiteral("1"));
        QCOMPARE(control<QLineEdit>(editor, "txtNome_A")->text(), QString());
        control<QLineEdit>(editor, "txtNome_A")->setText(QStringLiteral("Tulipano"));
        for (const char *b : { "txtUM_A", "txtCaratteristiche_A", "txtCodice_A" })
            control<QLineEdit>(editor, b)->setText(QStringLiteral("x"));
        control<QLineEdit>(editor, "txtPrezzo_A")->setText(QStringLiteral("1,00"));
        click(editor, "cmdSalva");
        QCOMPARE(sb->messageTexts(), QStringList { kPageSaved });
        QCOMPARE(
            PriceListFile::read(QFile::decodeName(raw), 1).voci[0][TVoceListino::Nome], QStringLiteral("Tulipano"));
        QCOMPARE(PriceListFile::read(sb->path("Fiori.lis"), 1).voci[0][TVoceListino::Nome], QStringLiteral("Rosa"));
        // Its photos carry its own title, not that of the list beside it.
        QVERIFY(QFile::exists(sb->path("Foto_Listino/") + listed.chopped(4) + QStringLiteral("_Foto_A_1.jpg")));
        QVERIFY(!QFile::exists(sb->path("Foto_Listino/Fiori_Foto_A_1.jpg")));
        click(editor, "cmdEsci");

        // Deleted like any other.
        sb->clearMessages();
        showList();
        select(listed);
        click(lists, "btnElimina");
        QCOMPARE(sb->messageTexts(), QStringList({ kAsk, kDeleted }));
        QVERIFY(::access(raw.constData(), F_OK) != 0);
        QCOMPARE(items(), QStringList { "Fiori.lis" });
    }

    void aFailedDeletionIsReported()
    {
        Sandbox::writeFile(sb->path("Alfa.lis"), QByteArray());
        Sandbox::writeFile(sb->path("Fiori.lis"), QByteArray());
        QWidget *w = showList();
        select(QStringLiteral("Fiori.lis"));
        QFile::remove(sb->path("Fiori.lis")); // gone behind the program's back
        click(w, "btnElimina");
        QCOMPARE(sb->messages.size(), 2);
        QCOMPARE(sb->messages.at(1).kind, Msg::Kind::Error);
        QCOMPARE(sb->messages.at(1).text,
            QStringLiteral("Attenzione: non è stato possibile eliminare il listino prezzi selezionato.\r\n\r\n"
                           "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del "
                           "programma."));
        QCOMPARE(items(), QStringList { "Alfa.lis" });
        QCOMPARE(control<QLabel>(w, "lblCreati")->text(), QStringLiteral("Sono stati creati 1 listini prezzi."));
    }
};

VETRINOVA_TEST_MAIN(TestCatalogo)
#include "tst_catalogo.moc"
