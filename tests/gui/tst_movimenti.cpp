// The stock movements seen from the windows: what the card editor's Salva records, a damaged journal
// that never stops a save, and the history, period and inventory views with their print and .xlsx.
#include "shell/Forms.h"
#include "storage/Clock.h"
#include "storage/Movements.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Movimenti.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using F = TSchedaProdotto::Field;

class TestMovimenti : public QObject
{
    Q_OBJECT

    std::unique_ptr<Sandbox> sb;
    TfrmMagazzino *m = nullptr;

    QLineEdit *box(const QString &name) const { return ownControl<QLineEdit>(m, name); }
    void click(QWidget *window, const QString &name)
    {
        QWidget *w = ownControl<QWidget>(window, name);
        QVERIFY2(w, qPrintable(name));
        QTest::mouseClick(w, Qt::LeftButton);
    }

    void fillRequired()
    {
        box(QStringLiteral("txtCodice"))->setText(QStringLiteral("ART-1"));
        box(QStringLiteral("txtCosto"))->setText(QStringLiteral("3,50"));
        box(QStringLiteral("txtNome"))->setText(QStringLiteral("Vaso"));
        box(QStringLiteral("txtUM"))->setText(QStringLiteral("Scatola"));
        box(QStringLiteral("txtTipologia"))->setText(QStringLiteral("Casa"));
        box(QStringLiteral("txtCaratteristiche"))->setText(QStringLiteral("Ceramica"));
        box(QStringLiteral("txtPrezzo"))->setText(QStringLiteral("7,00"));
    }

    /** + or - on the editor with `quantity` typed in the stock window, applied. */
    void stockStep(bool add, const QString &quantity)
    {
        onNextModal([quantity](QWidget *d) {
            d->findChild<QLineEdit *>(QStringLiteral("txtAggiunta"))->setText(quantity);
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnAggiorna")), Qt::LeftButton);
        });
        click(m, add ? QStringLiteral("btnAggiungi") : QStringLiteral("btnSottrai"));
    }

    static int rows(QWidget *window, const QString &grid)
    {
        return ownControl<QTableView>(window, grid)->model()->rowCount();
    }
    static QString cell(QWidget *window, const QString &grid, int row, int column)
    {
        QAbstractItemModel *model = ownControl<QTableView>(window, grid)->model();
        return model->data(model->index(row, column)).toString();
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Clock::setNow(QDateTime(QDate(2025, 5, 20), QTime(11, 30)));
        Forms::createAll();
        m = Forms::magazzino();
        m->handOverFrom(nullptr);
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m));
    }

    void cleanup()
    {
        Os::Faults::disarm();
        Forms::destroyAll();
        sb.reset();
    }

    // A new card, then + 5 and - 2 with the stock window, then a count typed in the box: each Salva
    // records its movements with their reasons, and the history window shows them newest first.
    void salvaRecordsStockWindowStepsAndTypedCounts()
    {
        fillRequired();
        box(QStringLiteral("txtGiacenza"))->setText(QStringLiteral("10"));
        click(m, QStringLiteral("btnSalva"));
        stockStep(true, QStringLiteral("5"));
        stockStep(false, QStringLiteral("2"));
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), QStringLiteral("13"));
        click(m, QStringLiteral("btnSalva"));
        box(QStringLiteral("txtGiacenza"))->setText(QStringLiteral("11"));
        click(m, QStringLiteral("btnSalva"));
        QVERIFY(!sb->messageTexts().join(QLatin1Char('\n')).contains(QStringLiteral("non \u00e8 stato registrato")));

        const Movements::Rows history = Movements::history(1);
        QCOMPARE(history.problem, Movements::Problem::None);
        QStringList reasons;
        for (const auto &row : history.rows)
            reasons << Movements::reasonText(row.reason) + QLatin1Char(' ') + QString::number(row.change);
        QCOMPARE(reasons, QStringList({ "Rettifica -2", "Scarico -2", "Carico 5", "Rettifica 10" }));

        QString title;
        int shown = 0;
        QString newest, running;
        onNextModal([&](QWidget *w) {
            title = ownControl<QLabel>(w, QStringLiteral("lblTitolo"))->text();
            shown = rows(w, QStringLiteral("grdMovimenti"));
            newest = cell(w, QStringLiteral("grdMovimenti"), 0, 1);
            running = cell(w, QStringLiteral("grdMovimenti"), 1, 6);
            click(w, QStringLiteral("cmdStampa"));
            click(w, QStringLiteral("cmdChiudi"));
        });
        TfrmMovimenti::showCard(m, 1, QStringLiteral("ART-1"), QStringLiteral("Vaso"), 11);
        QVERIFY(title.contains(QStringLiteral("ART-1")));
        QCOMPARE(shown, 4);
        QCOMPARE(newest, QStringLiteral("Rettifica"));
        QCOMPARE(running, QStringLiteral("13"));
        QCOMPARE(sb->reports.size(), 1);
        QCOMPARE(sb->reports.first().first, ReportOutput::Action::Preview);
    }

    // A folder where Movimenti.db should be: the card is saved, the movement is reported as not
    // recorded, the history says why and rebuilds the journal empty, after which Salva records again.
    void damagedJournalNeverStopsASave()
    {
        QVERIFY(QDir().mkdir(sb->path(QStringLiteral("Movimenti.db"))));
        fillRequired();
        box(QStringLiteral("txtGiacenza"))->setText(QStringLiteral("4"));
        click(m, QStringLiteral("btnSalva"));
        QCOMPARE(WarehouseArchive::count(), qint64(1));
        const QString said = sb->messageTexts().join(QLatin1Char('\n'));
        QVERIFY2(said.contains(QStringLiteral("inserita in archivio")), qPrintable(said));
        QVERIFY2(
            said.contains(QStringLiteral("il movimento di magazzino non \u00e8 stato registrato")), qPrintable(said));

        QString state;
        bool offered = false;
        QString after;
        onNextModal([&](QWidget *w) {
            state = ownControl<QLabel>(w, QStringLiteral("lblStato"))->text();
            auto *rebuild = ownControl<QPushButton>(w, QStringLiteral("cmdRicrea"));
            offered = rebuild->isVisible();
            QTest::mouseClick(rebuild, Qt::LeftButton);
            after = ownControl<QLabel>(w, QStringLiteral("lblStato"))->text();
            click(w, QStringLiteral("cmdChiudi"));
        });
        TfrmMovimenti::showCard(m, 1, QStringLiteral("ART-1"), QStringLiteral("Vaso"), 4);
        QVERIFY2(state.contains(QStringLiteral("danneggiato")), qPrintable(state));
        QVERIFY(offered);
        QVERIFY(after.isEmpty());
        QVERIFY(QFileInfo(sb->path(QStringLiteral("Movimenti.db"))).isFile());

        stockStep(true, QStringLiteral("3"));
        click(m, QStringLiteral("btnSalva"));
        const Movements::Rows history = Movements::history(1);
        QCOMPARE(history.rows.size(), size_t(1));
        QCOMPARE(history.rows.front().reason, Movements::Reason::Carico);
    }

    // The archive refuses the card: the error is shown and no movement stays in the journal.
    void refusedCardLeavesNoMovement()
    {
        fillRequired();
        box(QStringLiteral("txtGiacenza"))->setText(QStringLiteral("4"));
        Os::Faults::Fault fault;
        fault.kind = Os::Faults::Kind::Write;
        fault.call = 1;
        fault.path = "Magazzino.pro";
        fault.wholeName = true;
        Os::Faults::arm(fault);
        click(m, QStringLiteral("btnSalva"));
        const bool fired = Os::Faults::fired();
        Os::Faults::disarm();
        QVERIFY(fired);
        QCOMPARE(WarehouseArchive::count(), qint64(0));
        QVERIFY(Movements::history(1).rows.empty());
        QVERIFY(Movements::period(QDate(2000, 1, 1), QDate(2100, 1, 1)).rows.empty());
    }

    // The period's movements with each product's totals, and the stock value at a date, printed and
    // saved as .xlsx.
    void periodAndInventoryViews()
    {
        TSchedaProdotto card;
        card[F::Codice] = QStringLiteral("VAS-1");
        card[F::Nome] = QStringLiteral("Vaso");
        card[F::Costo] = QStringLiteral("2,00");
        card[F::Giacenza] = QStringLiteral("8");
        WarehouseArchive::append(card);
        std::vector<Movements::Movement> moves;
        const std::tuple<QDate, double, double> script[] = {
            { QDate(2024, 12, 10), 10, 1.5 }, // before the period
            { QDate(2025, 1, 5), -4, 1.5 }, { QDate(2025, 1, 20), 6, 2.0 },
            { QDate(2025, 2, 2), -4, 2.0 }, // after the period
        };
        double stock = 0;
        for (const auto &[day, change, cost] : script) {
            Movements::Movement mv;
            mv.when = QDateTime(day, QTime(10, 0));
            mv.card = 1;
            mv.code = QStringLiteral("VAS-1");
            mv.name = QStringLiteral("Vaso");
            mv.before = stock;
            mv.change = change;
            mv.after = stock += change;
            mv.cost = cost;
            mv.reason = change > 0 ? Movements::Reason::Carico : Movements::Reason::Scarico;
            moves.push_back(mv);
        }
        QCOMPARE(Movements::appendConfirmed(moves), Movements::Problem::None);

        const QString xlsx = sb->path(QStringLiteral("Periodo.xlsx"));
        sb->nextFiles << xlsx;
        int movements = 0;
        QString totalIn, totalOut, summary;
        onNextModal([&](QWidget *w) {
            ownControl<QLineEdit>(w, QStringLiteral("txtDal"))->setText(QStringLiteral("01/01/2025"));
            ownControl<QLineEdit>(w, QStringLiteral("txtAl"))->setText(QStringLiteral("31/01/2025"));
            click(w, QStringLiteral("cmdMostra"));
            movements = rows(w, QStringLiteral("grdMovimenti"));
            totalIn = cell(w, QStringLiteral("grdTotali"), 0, 3);
            totalOut = cell(w, QStringLiteral("grdTotali"), 0, 4);
            summary = ownControl<QLabel>(w, QStringLiteral("lblTotale"))->text();
            click(w, QStringLiteral("cmdEsportaXlsx"));
            click(w, QStringLiteral("cmdChiudi"));
        });
        TfrmMovimenti::showPeriod(m);
        QCOMPARE(movements, 2);
        QCOMPARE(totalIn, QStringLiteral("6"));
        QCOMPARE(totalOut, QStringLiteral("4"));
        QVERIFY2(summary.contains(QStringLiteral("entrate 6, uscite 4")), qPrintable(summary));
        QVERIFY(Sandbox::readFile(xlsx).startsWith("PK"));

        QString value, stockThen, note;
        onNextModal([&](QWidget *w) {
            ownControl<QLineEdit>(w, QStringLiteral("txtAl"))->setText(QStringLiteral("31/01/2025"));
            click(w, QStringLiteral("cmdMostra"));
            stockThen = cell(w, QStringLiteral("grdMovimenti"), 0, 3);
            value = ownControl<QLabel>(w, QStringLiteral("lblTotale"))->text();
            click(w, QStringLiteral("cmdStampa"));
            ownControl<QLineEdit>(w, QStringLiteral("txtAl"))->setText(QStringLiteral("30/11/2024"));
            click(w, QStringLiteral("cmdMostra"));
            note = cell(w, QStringLiteral("grdMovimenti"), 0, 6);
            click(w, QStringLiteral("cmdChiudi"));
        });
        TfrmMovimenti::showInventory(m);
        // 8 now, less the scarico of February: 12 at 2,00 (the cost of its last movement in January).
        QCOMPARE(stockThen, QStringLiteral("12"));
        QVERIFY2(value.contains(QStringLiteral("24,00")), qPrintable(value));
        QVERIFY2(note.contains(QStringLiteral("inizia dopo")), qPrintable(note));
        QCOMPARE(sb->reports.size(), 1);
        QString printed;
        for (const PreparedPage &page : sb->reports.first().second.pages)
            for (const PreparedItem &item : page.items)
                printed += item.text() + QLatin1Char('\n');
        QVERIFY2(printed.contains(QStringLiteral("VAS-1")), qPrintable(printed));
    }
};

QTEST_MAIN(TestMovimenti)
#include "tst_movimenti.moc"
