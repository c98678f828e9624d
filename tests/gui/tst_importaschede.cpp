#include "tests/support/TestSupport.h"

#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/ImportaSchede.h"
#include "widgets/LinkLabel.h"
#include "widgets/PictureButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

using F = TSchedaProdotto::Field;

class TestImportaSchede : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<QTemporaryDir> m_elsewhere;

    QString listFile()
    {
        // Windows-1252 with semicolons, as a till program writes it; row 3 has no price.
        const QByteArray bytes = "Codice;Descrizione;Costo;Prezzo;Aspetto;Categoria;Caratteristiche;Qt\xE0\r\n"
                                 "A1;Vaso \x80;10;25,00;Scatola;Casa;Smaltato;3\r\n"
                                 "A2;Tazza;2;;Scatola;Casa;Bianca;1\r\n"
                                 "A3;Piatto;4,5;9,90;Scatola;Casa;Fondo;12\r\n";
        const QString path = m_elsewhere->path() + QStringLiteral("/elenco.csv");
        Sandbox::writeFile(path, bytes);
        return path;
    }

    template <typename T> static T *control(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("missing control %s", name);
        return c;
    }

private slots:
    void init()
    {
        m_box = std::make_unique<Sandbox>();
        m_elsewhere = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        m_elsewhere.reset();
        m_box.reset();
    }

    void startWindowOpensTheImport()
    {
        Forms::createAll();
        TfrmAvvio *avvio = Forms::avvio();
        auto *icon = control<PictureButton>(avvio, "imgImporta");
        auto *link = control<LinkLabel>(avvio, "lnkImporta");
        QCOMPARE(icon->accessibleName(), QStringLiteral("Importa prodotti da un file"));
        QVERIFY(!icon->statusText().isEmpty());
        QVERIFY(!link->accessibleDescription().isEmpty());
        // Nothing specified sits where the entry is.
        for (const char *other : { "imgCrediti", "imgSito", "imgEsci" })
            QVERIFY(!control<QWidget>(avvio, other)->geometry().intersects(link->geometry().united(icon->geometry())));
        int opened = 0;
        onNextModal([&](QWidget *w) {
            opened += w->objectName() == QLatin1String("frmImportaSchede");
            static_cast<QDialog *>(w)->reject();
        });
        QTest::mouseClick(icon, Qt::LeftButton);
        QCOMPARE(opened, 1);
        if (qEnvironmentVariableIsSet("VETRINOVA_GRAB"))
            avvio->grab().save(qEnvironmentVariable("VETRINOVA_GRAB") + QStringLiteral(".avvio.png"));
        Forms::destroyAll();
    }

    void detectsChecksAndWritesOnlyOnConfirm()
    {
        TfrmImportaSchede w(nullptr);
        w.show();
        w.loadFile(listFile());
        QCOMPARE(control<QComboBox>(&w, "cboSeparatore")->currentText(), QStringLiteral("Punto e virgola"));
        QCOMPARE(control<QComboBox>(&w, "cboCodifica")->currentText(), QStringLiteral("Windows-1252 (ANSI)"));
        auto *preview = control<QTableWidget>(&w, "tblAnteprima");
        QCOMPARE(preview->columnCount(), 8);
        QCOMPARE(preview->item(1, 1)->text(), QStringLiteral("Vaso \u20ac"));
        QCOMPARE(control<QComboBox>(&w, "cboCampoNome")->currentData().toInt(), 1);
        QCOMPARE(control<QComboBox>(&w, "cboCampoGiacenza")->currentData().toInt(), 7);
        QCOMPARE(control<QComboBox>(&w, "cboCampoNote")->currentData().toInt(), -1);

        // Another separator reads the file again; the detected one comes back as chosen.
        control<QComboBox>(&w, "cboSeparatore")->setCurrentIndex(1);
        QCOMPARE(preview->columnCount(), 3);
        control<QComboBox>(&w, "cboSeparatore")->setCurrentIndex(0);
        QCOMPARE(preview->columnCount(), 8);

        auto *importa = control<QPushButton>(&w, "btnImporta");
        QVERIFY(!importa->isEnabled());
        control<QPushButton>(&w, "btnVerifica")->click();
        const QString checked = control<QPlainTextEdit>(&w, "txtRapporto")->toPlainText();
        QVERIFY2(checked.contains(QStringLiteral("Riga 3: manca il prezzo di vendita")), qPrintable(checked));
        QVERIFY(importa->isEnabled());
        QVERIFY(!QFile::exists(warehousePath()) || QFileInfo(warehousePath()).size() == 0);

        // A changed column needs a new check.
        control<QComboBox>(&w, "cboCampoNote")->setCurrentIndex(2);
        QVERIFY(!importa->isEnabled());
        control<QPushButton>(&w, "btnVerifica")->click();

        m_box->answers = { QMessageBox::No };
        importa->click();
        QVERIFY(!QFile::exists(warehousePath()) || QFileInfo(warehousePath()).size() == 0);
        m_box->clearMessages();
        importa->click();
        QCOMPARE(WarehouseArchive::count(), 2);
        QCOMPARE(WarehouseArchive::read(1)[F::Nome], QStringLiteral("Vaso \u20ac"));
        QCOMPARE(WarehouseArchive::read(1)[F::Note], QStringLiteral("Vaso \u20ac"));
        QCOMPARE(WarehouseArchive::read(2)[F::Costo], QStringLiteral("4,50"));
        QCOMPARE(m_box->messages.last().text,
            QStringLiteral("Importazione completata: 2 schede aggiunte, 0 aggiornate, 1 righe rifiutate."));
        QCOMPARE(m_box->messages.last().kind, Msg::Kind::Plain);
        QVERIFY(!importa->isEnabled());

        const QString saved = m_elsewhere->path() + QStringLiteral("/rapporto.txt");
        m_box->nextFiles = { saved };
        control<QPushButton>(&w, "btnSalvaRapporto")->click();
        QCOMPARE(
            QString::fromUtf8(Sandbox::readFile(saved)), control<QPlainTextEdit>(&w, "txtRapporto")->toPlainText());
        QVERIFY(QString::fromUtf8(Sandbox::readFile(saved)).contains(QStringLiteral("Schede aggiunte: 2")));

        if (qEnvironmentVariableIsSet("VETRINOVA_GRAB"))
            w.grab().save(qEnvironmentVariable("VETRINOVA_GRAB"));
    }

    void unreadableFileIsRefusedPlainly()
    {
        TfrmImportaSchede w(nullptr);
        const QString path = m_elsewhere->path() + QStringLiteral("/x.csv");
        Sandbox::writeFile(path, QByteArray(4000, '\0'));
        w.loadFile(path);
        QCOMPARE(m_box->messages.size(), 1);
        QVERIFY(m_box->messages.first().text.contains(QStringLiteral("non contiene testo")));
        // The import's messages are plain boxes with OK only.
        QCOMPARE(m_box->messages.first().kind, Msg::Kind::Plain);
        QVERIFY(!control<QPushButton>(&w, "btnVerifica")->isEnabled());
    }

    void spreadsheetsOfferTheirSheetsAndSayWhyTheyAreRefused()
    {
        TfrmImportaSchede w(nullptr);
        const QString sheets = QStringLiteral(FIXTURES_DIR "/sheets/");
        m_box->nextFiles = { sheets + QStringLiteral("awkward.ods") };
        control<QPushButton>(&w, "btnScegliFile")->click();
        QCOMPARE(m_box->fileDialogs.size(), 1);
        QVERIFY2(m_box->fileDialogs.first().at(1).contains(QStringLiteral("*.xls;*.ods;*.fods")),
            qPrintable(m_box->fileDialogs.first().at(1)));
        QVERIFY(m_box->messages.isEmpty());
        QCOMPARE(control<QLabel>(&w, "lblTipo")->text(), QStringLiteral("Foglio di calcolo OpenDocument (.ods)"));
        auto *sheet = control<QComboBox>(&w, "cboFoglio");
        QVERIFY(sheet->isEnabled());
        QCOMPARE(sheet->itemText(1), QStringLiteral("Riservato (nascosto)"));
        auto *preview = control<QTableWidget>(&w, "tblAnteprima");
        QCOMPARE(preview->item(4, 1)->text(), QStringLiteral("007")); // below the titles, from column B
        QVERIFY(control<QPushButton>(&w, "btnVerifica")->isEnabled());
        sheet->setCurrentIndex(1);
        QCOMPARE(preview->item(0, 0)->text(), QStringLiteral("segreto"));

        const QList<QPair<QString, QString>> refused = {
            { QStringLiteral("protetto.xls"), QStringLiteral("protetto da password") },
            { QStringLiteral("danneggiato.ods"), QStringLiteral("danneggiato") },
            { QStringLiteral("vuoto.xls"), QStringLiteral("\u00e8 vuoto") },
        };
        for (const auto &[file, reason] : refused) {
            m_box->clearMessages();
            w.loadFile(sheets + file);
            QCOMPARE(m_box->messages.size(), 1);
            QVERIFY2(m_box->messages.first().text.contains(reason), qPrintable(m_box->messages.first().text));
            QCOMPARE(m_box->messages.first().kind, Msg::Kind::Plain);
            QVERIFY(!control<QPushButton>(&w, "btnVerifica")->isEnabled());
        }
    }

    void tabWalksEveryControlOnceAndEnterPressesNoButton()
    {
        TfrmImportaSchede w(nullptr);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.loadFile(listFile());
        control<QPushButton>(&w, "btnVerifica")->click(); // Importa and Salva rapporto can be reached now
        QVERIFY(control<QPushButton>(&w, "btnImporta")->isEnabled());
        // In screen order; the sheet box is off for a text file and Tab passes it by.
        QStringList expected = { "txtFile", "btnScegliFile", "cboSeparatore", "cboCodifica", "tblAnteprima",
            "chkIntestazioni", "spnIntestazioni" };
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
            expected << QStringLiteral("cboCampo") + QLatin1String(TSchedaProdotto::info(static_cast<F>(i)).name);
        expected << "chkAggiorna"
                 << "txtCartellaFoto"
                 << "btnCartellaFoto"
                 << "txtRapporto"
                 << "btnVerifica"
                 << "btnImporta"
                 << "btnSalvaRapporto"
                 << "btnGuida"
                 << "btnChiudi";
        control<QWidget>(&w, "txtFile")->setFocus(Qt::TabFocusReason);
        QStringList seen;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
        }
        QCOMPARE(seen, expected.mid(1) << expected.first());
        // Every control the keyboard reaches tells a screen reader what it is.
        for (const QString &name : expected)
            QVERIFY2(!control<QWidget>(&w, qPrintable(name))->accessibleName().isEmpty(), qPrintable(name));

        // Enter in a box presses no button: no file dialog, no message, no window.
        m_box->clearMessages();
        const qsizetype dialogs = m_box->fileDialogs.size();
        int opened = 0;
        QTimer watch; // a window opened by mistake is counted and closed, so the test cannot hang
        watch.setInterval(5);
        connect(&watch, &QTimer::timeout, this, [&opened] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ++opened;
                modal->reject();
            }
        });
        watch.start();
        for (const QString &name : expected) {
            QWidget *box = control<QWidget>(&w, qPrintable(name));
            if (qobject_cast<QPushButton *>(box) || qobject_cast<QCheckBox *>(box))
                continue;
            box->setFocus(Qt::TabFocusReason);
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Enter);
        }
        QCOMPARE(m_box->fileDialogs.size(), dialogs);
        QVERIFY(m_box->messages.isEmpty());
        QCOMPARE(opened, 0);
        QVERIFY(w.isVisible());
    }

    void guidaOpensTheImportTopic()
    {
        TfrmImportaSchede w(nullptr);
        QString title;
        onNextModal([&](QWidget *modal) {
            if (modal->objectName() == QLatin1String("frmGuida"))
                title = control<QLabel>(modal, "lblTitolo")->text();
            static_cast<QDialog *>(modal)->reject();
        });
        control<QPushButton>(&w, "btnGuida")->click();
        QCOMPARE(title, QStringLiteral("Importazione di un elenco di prodotti."));
    }

    void headerRowBelowTitlesAndThePreviewShowsWhatIsStored()
    {
        TfrmImportaSchede w(nullptr);
        w.show();
        w.loadFile(QStringLiteral(FIXTURES_DIR "/sheets/awkward.ods"));
        QVERIFY(m_box->messages.isEmpty());
        // A merged title, a note and an empty row stand above the headers, which start in column B.
        auto *header = control<QSpinBox>(&w, "spnIntestazioni");
        QCOMPARE(header->value(), 4);
        QCOMPARE(control<QComboBox>(&w, "cboCampoCodice")->currentData().toInt(), 1);
        QCOMPARE(control<QComboBox>(&w, "cboCampoCodice")->currentText(), QStringLiteral("B - Codice"));
        auto *preview = control<QTableWidget>(&w, "tblAnteprima");
        QCOMPARE(preview->item(0, 0)->text(), QStringLiteral("Listino fornitore - gennaio 2025"));
        QVERIFY(!preview->item(0, 0)->toolTip().isEmpty());
        QVERIFY(preview->item(3, 1)->font().bold());
        // Each typed cell shows what the card will store, the file's text in its tooltip.
        const auto row = [&](const QString &code) {
            for (int r = 0; r < preview->rowCount(); ++r)
                if (preview->item(r, 1) && preview->item(r, 1)->text() == code)
                    return r;
            return -1;
        };
        const int typed = row(QStringLiteral("00123"));
        QVERIFY(typed > 0);
        QCOMPARE(preview->item(typed, 2)->text(), QStringLiteral("1234,50"));
        QCOMPARE(preview->item(typed, 4)->text(), QStringLiteral("1200"));
        QCOMPARE(preview->item(typed, 8)->text(), QStringLiteral("12,50"));
        QCOMPARE(preview->item(typed, 8)->toolTip(), QStringLiteral("Nel file: \u00ab\u20ac 12,50\u00bb"));
        QCOMPARE(preview->item(typed, 9)->text(), QStringLiteral("03/01/2025"));
        QCOMPARE(preview->item(row(QStringLiteral("0815")), 9)->text(), QStringLiteral("03/01/2025"));
        QVERIFY(preview->item(typed, 1)->toolTip().isEmpty()); // kept as it is, zeros and all
        QCOMPARE(preview->item(row(QStringLiteral("X9")), 1)->toolTip(),
            QStringLiteral("Riga rifiutata: manca il prezzo di vendita"));

        control<QPushButton>(&w, "btnVerifica")->click();
        QVERIFY2(control<QLabel>(&w, "panInfo")->text().startsWith(QStringLiteral("Righe pronte da importare: 6.")),
            qPrintable(control<QLabel>(&w, "panInfo")->text()));

        // Another header row maps the columns from it and needs a new check.
        header->setValue(1);
        QCOMPARE(control<QComboBox>(&w, "cboCampoCodice")->currentData().toInt(), -1);
        QVERIFY(!control<QPushButton>(&w, "btnImporta")->isEnabled());
        QVERIFY(preview->item(0, 0)->font().bold());
        QVERIFY(!preview->item(3, 1)->font().bold());
        header->setValue(4);
        QCOMPARE(control<QComboBox>(&w, "cboCampoPrezzo")->currentData().toInt(), 8);
    }
};

VETRINOVA_TEST_MAIN(TestImportaSchede)
#include "tst_importaschede.moc"
