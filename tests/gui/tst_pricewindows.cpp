// The two price windows as a user drives them: a change previewed, applied and undone from
// "Variazione prezzi", and the difference table of "Aggiorna dal magazzino" with its default choices.
#include "pricelist/AggiornaListino.h"
#include "pricelist/ListinoPrezzi.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/TestSupport.h"
#include "warehouse/VariazionePrezzi.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

namespace {
TSchedaProdotto card(const QString &code, const QString &name, const QString &price)
{
    TSchedaProdotto c;
    c[TSchedaProdotto::Codice] = code;
    c[TSchedaProdotto::Nome] = name;
    c[TSchedaProdotto::Prezzo] = price;
    c[TSchedaProdotto::Costo] = QStringLiteral("1,00");
    c[TSchedaProdotto::Pagato] = QStringLiteral("No");
    return c;
}
} // namespace

class TestPriceWindows : public QObject
{
    Q_OBJECT

    void makeShop()
    {
        WarehouseArchive::append(card(QStringLiteral("A1"), QStringLiteral("Vaso"), QStringLiteral("10,00")));
        WarehouseArchive::append(card(QStringLiteral("B2"), QStringLiteral("Tazza"), QStringLiteral("su richiesta")));
        WarehouseArchive::append(card(QStringLiteral("C3"), QStringLiteral("Piatto"), QStringLiteral("4,00")));
        TPaginaListino page;
        page.voci[0][TVoceListino::Codice] = QStringLiteral("A1");
        page.voci[0][TVoceListino::Nome] = QStringLiteral("Vaso vecchio");
        page.voci[0][TVoceListino::Prezzo] = QStringLiteral("9,00");
        page.voci[1][TVoceListino::Codice] = QStringLiteral("X9");
        PriceListFile::append(m_box->path(QStringLiteral("Estate.lis")), page);
    }

private slots:
    void init() { m_box = std::make_unique<Sandbox>(); }
    void cleanup() { m_box.reset(); }

    void changePreviewedAppliedAndUndone()
    {
        makeShop();
        const QByteArray before = Sandbox::readFile(warehousePath());
        TfrmVariazionePrezzi window(nullptr, { 1, 2, 3 });
        window.show();
        auto *apply = window.findChild<QPushButton *>(QStringLiteral("cmdApplica"));
        auto *undo = window.findChild<QPushButton *>(QStringLiteral("cmdAnnullaVariazione"));
        QVERIFY(!apply->isEnabled());
        QVERIFY(!undo->isEnabled());
        window.findChild<QLineEdit *>(QStringLiteral("txtValore"))->setText(QStringLiteral("10"));
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdAnteprima")), Qt::LeftButton);
        const QString summary = window.findChild<QLabel *>(QStringLiteral("lblRiepilogo"))->text();
        QVERIFY2(summary.startsWith(QStringLiteral("Cambiano 2 schede (totale da 14,00 a 15,40 euro)")),
            qPrintable(summary));
        QVERIFY(apply->isEnabled());
        // A new value makes the preview stale: it must be made again before applying.
        window.findChild<QLineEdit *>(QStringLiteral("txtValore"))->setText(QStringLiteral("20"));
        QVERIFY(!apply->isEnabled());
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdAnteprima")), Qt::LeftButton);

        m_box->answers = { QMessageBox::No }; // no list update afterwards
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(WarehouseArchive::read(1)[TSchedaProdotto::Prezzo], QStringLiteral("12,00"));
        QCOMPARE(WarehouseArchive::read(2)[TSchedaProdotto::Prezzo], QStringLiteral("su richiesta"));
        QCOMPARE(WarehouseArchive::read(3)[TSchedaProdotto::Prezzo], QStringLiteral("4,80"));
        QVERIFY(m_box->messageTexts().join('\n').contains(QStringLiteral("Estate")));
        QVERIFY(undo->isEnabled());

        m_box->answers = { QMessageBox::Yes };
        QTest::mouseClick(undo, Qt::LeftButton);
        QCOMPARE(Sandbox::readFile(warehousePath()), before);
        QVERIFY(!undo->isEnabled());
    }

    void differenceTableChecksPricesOnly()
    {
        makeShop();
        TfrmAggiornaListino window(
            nullptr, m_box->path(QStringLiteral("Estate.lis")), QStringLiteral("Estate"), nullptr);
        QVERIFY(window.compare());
        auto *table = window.findChild<QTableWidget *>(QStringLiteral("tblDifferenze"));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("Nome"));
        QCOMPARE(table->item(0, 0)->checkState(), Qt::Unchecked);
        QCOMPARE(table->item(1, 3)->text(), QStringLiteral("Prezzo"));
        QCOMPARE(table->item(1, 0)->checkState(), Qt::Checked);
        auto *missing = window.findChild<QListWidget *>(QStringLiteral("lstMancanti"));
        QCOMPARE(missing->count(), 1);
        QVERIFY(missing->item(0)->text().contains(QStringLiteral("X9")));

        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdApplica")), Qt::LeftButton);
        const TPaginaListino page = PriceListFile::read(m_box->path(QStringLiteral("Estate.lis")), 1);
        QCOMPARE(page.voci[0][TVoceListino::Prezzo], QStringLiteral("10,00"));
        QCOMPARE(page.voci[0][TVoceListino::Nome], QStringLiteral("Vaso vecchio"));
        // Compared again: only the unchecked name is left, and the update can be undone.
        QCOMPARE(table->rowCount(), 1);
        QVERIFY(window.findChild<QPushButton *>(QStringLiteral("cmdAnnullaAggiornamento"))->isEnabled());
    }

    // The update shows a rewritten page again from the file: edits on screen are saved or given up first.
    void unsavedEditsOfTheShownPageAreSettledFirst()
    {
        makeShop();
        const QString path = m_box->path(QStringLiteral("Estate.lis"));
        TfrmListinoPrezzi editor;
        editor.openFile(path, QStringLiteral("Estate"));
        editor.showSavedPage(1);
        QVERIFY(TfrmAggiornaListino::settleShownPage(&editor)); // nothing edited: no question
        QVERIFY(m_box->messageTexts().isEmpty());

        auto *name = editor.findChild<QLineEdit *>(QStringLiteral("txtNome_A"));
        name->setText(QStringLiteral("Vaso blu"));
        // What Salva needs of the first product, so that Sì can save.
        editor.findChild<QLineEdit *>(QStringLiteral("txtUM_A"))->setText(QStringLiteral("Vetro"));
        editor.findChild<QLineEdit *>(QStringLiteral("txtCaratteristiche_A"))->setText(QStringLiteral("Alto"));
        m_box->answers = { QMessageBox::Cancel };
        QVERIFY(!TfrmAggiornaListino::settleShownPage(&editor));
        QCOMPARE(name->text(), QStringLiteral("Vaso blu"));
        QCOMPARE(PriceListFile::read(path, 1).voci[0][TVoceListino::Nome], QStringLiteral("Vaso vecchio"));

        m_box->answers = { QMessageBox::Yes };
        QVERIFY(TfrmAggiornaListino::settleShownPage(&editor));
        QCOMPARE(PriceListFile::read(path, 1).voci[0][TVoceListino::Nome], QStringLiteral("Vaso blu"));
    }

private:
    std::unique_ptr<Sandbox> m_box;
};

QTEST_MAIN(TestPriceWindows)
#include "tst_pricewindows.moc"
