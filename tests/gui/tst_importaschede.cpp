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
#include <QTableWidget>

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
        QCOMPARE(preview->item(1, 0)->text(), QStringLiteral("007"));
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
            QVERIFY(!control<QPushButton>(&w, "btnVerifica")->isEnabled());
        }
    }
};

VETRINOVA_TEST_MAIN(TestImportaSchede)
#include "tst_importaschede.moc"
