#include "tests/support/TestSupport.h"

#include "shell/Forms.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/Magazzino.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kOverwrite = QStringLiteral("Attenzione: nella cartella dei documenti allegati è presente un file con lo "
                                          "stesso nome.\r\n\r\nSi vuole sovrascrivere il file esistente?");

QString slot(const char *stem, int s)
{
    return QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(s, 2, 10, QLatin1Char('0'));
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}
} // namespace

class TestAllegaCartella : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<QTemporaryDir> m_elsewhere;
    std::unique_ptr<TfrmAllegaCartella> m_dialog;

    /** The editor's hidden label, made here when the editor does not carry it yet. */
    QLabel *editorLabel(const QString &name)
    {
        QWidget *editor = Forms::magazzino();
        auto *label = editor->findChild<QLabel *>(name);
        if (!label) {
            label = new QLabel(editor);
            label->setObjectName(name);
            label->hide();
        }
        return label;
    }

    QString source(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_elsewhere->filePath(name);
        Sandbox::writeFile(path, bytes);
        return path;
    }

    QString attached(const QString &name) const { return m_box->folder() + "Documenti_Allegati/" + name; }

    QLineEdit *box(const char *stem, int s) const { return m_dialog->findChild<QLineEdit *>(slot(stem, s)); }
    QPushButton *button(const char *stem, int s) const { return m_dialog->findChild<QPushButton *>(slot(stem, s)); }

    void openDialog()
    {
        m_dialog = std::make_unique<TfrmAllegaCartella>(Forms::magazzino());
        m_dialog->fillFrom(Forms::magazzino());
    }

    void browse(int s, const QString &chosen)
    {
        m_box->nextFiles = { chosen };
        click(button("btnSfoglia", s));
    }

private slots:
    void init()
    {
        m_box = std::make_unique<Sandbox>();
        m_elsewhere = std::make_unique<QTemporaryDir>();
        Forms::createAll();
        for (int s = 1; s <= 3; ++s) {
            editorLabel(slot("lblFile", s))->clear();
            editorLabel(slot("lblDesc", s))->clear();
        }
    }
    void cleanup()
    {
        m_dialog.reset();
        Forms::destroyAll();
        m_elsewhere.reset();
        m_box.reset();
    }

    void openedWithTheEditorsAttachments()
    {
        editorLabel("lblFile01")->setText("  listino.xlsx ");
        editorLabel("lblDesc01")->setText("Listino fornitore ");
        editorLabel("lblDesc03")->setText("solo descrizione");
        QString memory;
        QList<bool> apri;
        QStringList boxes;
        QTimer::singleShot(0, [&] {
            auto *w = QApplication::activeModalWidget();
            QVERIFY(w);
            memory = w->findChild<QLabel *>("lblMemory")->text();
            for (int s = 1; s <= 3; ++s) {
                boxes << w->findChild<QLineEdit *>(slot("txtFile", s))->text()
                      << w->findChild<QLineEdit *>(slot("txtDesc", s))->text();
                apri << w->findChild<QPushButton *>(slot("btnApri", s))->isEnabled();
            }
            w->close();
        });
        TfrmAllegaCartella::showFor(Forms::magazzino());
        QCOMPARE(memory, QStringLiteral("magazzino"));
        QCOMPARE(boxes, (QStringList { "listino.xlsx", "Listino fornitore", "", "", "", "solo descrizione" }));
        QCOMPARE(apri, (QList<bool> { true, false, false }));
    }

    void chosenFileIsCopiedIntoANewFolder()
    {
        openDialog();
        const QString chosen = source("listino.xlsx", "foglio");
        QVERIFY(!QFileInfo::exists(TfrmAllegaCartella::folder()));
        browse(2, chosen);
        QCOMPARE(m_box->fileDialogs,
            (QList<QStringList> { { "Selezionare il file da allegare:", "Tutti i file (*.*)|*", "", "" } }));
        QCOMPARE(box("txtFile", 2)->text(), QStringLiteral("listino.xlsx"));
        QVERIFY(button("btnApri", 2)->isEnabled());
        QCOMPARE(Sandbox::readFile(attached("listino.xlsx")), QByteArray("foglio"));
        QCOMPARE(Sandbox::readFile(chosen), QByteArray("foglio"));
        QVERIFY(m_box->messages.isEmpty());

        m_box->opened.clear();
        click(button("btnApri", 2));
        QCOMPARE(m_box->opened, QStringList { "\"" + attached("listino.xlsx") + "\"" });
    }

    void sameNameAsksBeforeOverwriting_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("No keeps the folder's file") << QMessageBox::No << QByteArray("vecchio");
        QTest::newRow("Yes replaces it") << QMessageBox::Yes << QByteArray("nuovo");
    }

    void sameNameAsksBeforeOverwriting()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QByteArray, kept);
        QVERIFY(QDir().mkpath(TfrmAllegaCartella::folder()));
        Sandbox::writeFile(attached("fattura.pdf"), "vecchio");
        openDialog();
        m_box->answers = { answer };
        browse(1, source("fattura.pdf", "nuovo"));
        QCOMPARE(m_box->messageTexts(), QStringList { kOverwrite });
        QCOMPARE(m_box->messages[0].kind, Msg::Kind::Confirm);
        QCOMPARE(Sandbox::readFile(attached("fattura.pdf")), kept);
        QCOMPARE(box("txtFile", 1)->text(), QStringLiteral("fattura.pdf"));
    }

    void choosingAFileOfTheFolderKeepsIt()
    {
        QVERIFY(QDir().mkpath(TfrmAllegaCartella::folder()));
        Sandbox::writeFile(attached("fattura.pdf"), "contenuto");
        openDialog();
        browse(3, attached("fattura.pdf"));
        QCOMPARE(Sandbox::readFile(attached("fattura.pdf")), QByteArray("contenuto"));
        QCOMPARE(box("txtFile", 3)->text(), QStringLiteral("fattura.pdf"));
    }

    void cancellingTheChooserChangesNothing()
    {
        editorLabel("lblFile01")->setText("listino.xlsx");
        openDialog();
        browse(1, QString());
        QCOMPARE(box("txtFile", 1)->text(), QStringLiteral("listino.xlsx"));
        QVERIFY(!QFileInfo::exists(TfrmAllegaCartella::folder()));
    }

    void failedCopyIsSilentAndChangesNothingOnDisk_data()
    {
        QTest::addColumn<QString>("case_");
        QTest::newRow("source vanished, no folder yet") << "vanished";
        QTest::newRow("source vanished, same name kept") << "vanished-existing";
        QTest::newRow("folder cannot be made") << "blocked";
    }

    void failedCopyIsSilentAndChangesNothingOnDisk()
    {
        QFETCH(QString, case_);
        if (case_ == "vanished-existing") {
            QVERIFY(QDir().mkpath(TfrmAllegaCartella::folder()));
            Sandbox::writeFile(attached("scheda.pdf"), "vecchio");
        } else if (case_ == "blocked") {
            Sandbox::writeFile(TfrmAllegaCartella::folder(), "un file al posto della cartella");
        }
        const QStringList before = QDir(m_box->folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        openDialog();
        const QString chosen = case_ == "blocked" ? source("scheda.pdf", "nuovo") : m_elsewhere->filePath("scheda.pdf");
        browse(1, chosen);
        QCOMPARE(box("txtFile", 1)->text(), QStringLiteral("scheda.pdf"));
        QCOMPARE(QDir(m_box->folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        if (case_ == "vanished-existing") {
            QCOMPARE(m_box->messageTexts(), QStringList { kOverwrite });
            QCOMPARE(Sandbox::readFile(attached("scheda.pdf")), QByteArray("vecchio"));
            QCOMPARE(QDir(TfrmAllegaCartella::folder()).entryList(QDir::Files), QStringList { "scheda.pdf" });
        } else {
            QVERIFY(m_box->messages.isEmpty());
        }
        if (case_ == "blocked")
            QCOMPARE(Sandbox::readFile(TfrmAllegaCartella::folder()), QByteArray("un file al posto della cartella"));
    }

    void crossEmptiesTheNameOnly()
    {
        QVERIFY(QDir().mkpath(TfrmAllegaCartella::folder()));
        Sandbox::writeFile(attached("listino.xlsx"), "foglio");
        editorLabel("lblFile03")->setText("listino.xlsx");
        editorLabel("lblDesc03")->setText("Listino");
        openDialog();
        QVERIFY(button("btnApri", 3)->isEnabled());
        click(m_dialog->findChild<QWidget *>("imgCancella03"));
        QCOMPARE(box("txtFile", 3)->text(), QString());
        QVERIFY(!button("btnApri", 3)->isEnabled());
        QCOMPARE(box("txtDesc", 3)->text(), QStringLiteral("Listino"));
        QCOMPARE(Sandbox::readFile(attached("listino.xlsx")), QByteArray("foglio"));
        // A name of blanks counts as no name.
        box("txtFile", 3)->setText("   ");
        QVERIFY(!button("btnApri", 3)->isEnabled());
    }

    void applyWritesTheEditorsLabels()
    {
        editorLabel("lblFile01")->setText("vecchio.pdf");
        openDialog();
        box("txtFile", 1)->clear();
        browse(2, source("nuovo.pdf", "x"));
        box("txtDesc", 2)->setText("  Scheda tecnica  ");
        m_dialog->show();
        click(m_dialog->findChild<QPushButton *>("btnApplica"));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(editorLabel("lblFile01")->text(), QString());
        QCOMPARE(editorLabel("lblFile02")->text(), QStringLiteral("nuovo.pdf"));
        QCOMPARE(editorLabel("lblDesc02")->text(), QStringLiteral("Scheda tecnica"));
    }

    void applyDoesNothingForAnotherCaller()
    {
        editorLabel("lblDesc01")->setText("Listino");
        openDialog();
        m_dialog->findChild<QLabel *>("lblMemory")->setText("listino");
        box("txtDesc", 1)->setText("Cambiata");
        m_dialog->show();
        click(m_dialog->findChild<QPushButton *>("btnApplica"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(editorLabel("lblDesc01")->text(), QStringLiteral("Listino"));
    }

    void cancelLeavesTheEditorAsItWas()
    {
        editorLabel("lblDesc01")->setText("Listino");
        openDialog();
        box("txtDesc", 1)->setText("Cambiata");
        m_dialog->show();
        click(m_dialog->findChild<QPushButton *>("btnAnnulla"));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(editorLabel("lblDesc01")->text(), QStringLiteral("Listino"));
    }

    void aStoredNameOnlyEverOpensAFileOfTheFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("opens");
        QTest::newRow("plain") << "listino 2024.xlsx" << true;
        QTest::newRow("dots inside") << "..listino..xlsx" << true;
        QTest::newRow("climbing out") << "../../home/u/x.desktop" << false;
        QTest::newRow("absolute") << "/home/u/x.desktop" << false;
        QTest::newRow("subfolder") << "sotto/x.pdf" << false;
        QTest::newRow("backslashes") << "..\\..\\x.desktop" << false;
        QTest::newRow("drive and backslash") << "C:\\Windows\\x.exe" << false;
        QTest::newRow("parent") << ".." << false;
        QTest::newRow("control character") << "a\x01"
                                              "b.pdf"
                                           << false;
        QTest::newRow("line break") << "riga\nx.desktop" << false;
    }

    void aStoredNameOnlyEverOpensAFileOfTheFolder()
    {
        // The name comes from a card of the archive, as another program may have written it.
        QFETCH(QString, stored);
        QFETCH(bool, opens);
        TSchedaProdotto card;
        card[TSchedaProdotto::Codice] = QStringLiteral("C1");
        card[TSchedaProdotto::File02] = stored;
        WarehouseArchive::append(card);
        TfrmMagazzino *editor = Forms::magazzino();
        editor->handOverFrom(nullptr);
        click(editor->findChild<QWidget *>(QStringLiteral("cmdPrimo")));
        QCOMPARE(editorLabel("lblFile02")->text(), stored);
        openDialog();
        QVERIFY(button("btnApri", 2)->isEnabled());
        click(button("btnApri", 2));
        if (opens) {
            QCOMPARE(m_box->opened, QStringList { "\"" + attached(stored) + "\"" });
            QCOMPARE(m_box->messageTexts(), QStringList());
        } else {
            QCOMPARE(m_box->opened, QStringList());
            QCOMPARE(m_box->messageTexts(),
                QStringList { QStringLiteral(
                    "Il nome del file allegato non \u00e8 valido: il file non pu\u00f2 essere aperto.") });
            QCOMPARE(m_box->messages.first().kind, Msg::Kind::Warning);
        }
    }
};

VETRINOVA_TEST_MAIN(TestAllegaCartella)
#include "tst_allegacartella.moc"
