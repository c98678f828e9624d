#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"

#include "storage/SchedaProdotto.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/rules/ExportWriter.h"
#include "widgets/OpenURL.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace {
using S = TSchedaProdotto;

const QString kFirstQuestion
    = QStringLiteral("L'esportazione dei dati in Excel può richiedere diversi minuti a seconda "
                     "del numero di schede presenti in archivio.\r\n\r\nSi vuole esportare i "
                     "dati adesso?");
const QString kSecondQuestion
    = QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\nSi vuole "
                     "aprire il file di Excel?");
const QString kFailure
    = QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\rAccertarsi che "
                     "il file di Excel non sia già aperto.");

void addCard(const QString &codice, const QString &nome, const QString &note = QString())
{
    S card;
    card[S::Codice] = codice;
    card[S::Costo] = QStringLiteral("12,50");
    card[S::Nome] = nome;
    card[S::Giacenza] = QStringLiteral("3");
    card[S::Avviso] = QStringLiteral("1");
    card[S::Recapito] = QStringLiteral("0512345678");
    card[S::DataSca] = QStringLiteral("31/12/2014");
    card[S::Note] = note;
    card[S::Pagato] = S::paidText(false);
    card[S::File01] = QStringLiteral("listino.xlsx");
    WarehouseArchive::append(card);
}

/** The data rows of an export, each as its seventeen cell texts (as bytes). */
QList<QList<QByteArray>> dataRows(const QByteArray &file)
{
    QList<QList<QByteArray>> rows;
    const QByteArray open = "<td style=\"text-align: left;\" sdnum=\"1040;0;@\">";
    qsizetype at = file.indexOf("</tr>") + 5;
    while (file.mid(at, 4) == "<tr>") {
        at += 4;
        QList<QByteArray> cells;
        while (file.mid(at, open.size()) == open) {
            at += open.size();
            const qsizetype end = file.indexOf("</td>", at);
            cells.append(file.mid(at, end - at));
            at = end + 5;
        }
        rows.append(cells);
        at += 5; // </tr>
    }
    return rows;
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}
} // namespace

class TestExpMagazzino : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_box;
    std::unique_ptr<TfrmExpMagazzino> m_window;

    QTableView *grid() const { return m_window->findChild<QTableView *>("grdRecords"); }

    void openWindow()
    {
        m_window = std::make_unique<TfrmExpMagazzino>(nullptr);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void exportNow() { click(m_window->findChild<QWidget *>("cmdEsporta")); }

    QByteArray exported() const { return Sandbox::readFile(ExportWriter::exportPath()); }

    void editCell(int row, int column, const QString &text, bool commit)
    {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        const QModelIndex index = grid()->model()->index(row, column);
        grid()->scrollTo(index);
        const QPoint at = grid()->visualRect(index).center();
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        QLineEdit *editor = nullptr;
        QTRY_VERIFY((editor = grid()->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
        editor->selectAll();
        QTest::keyClicks(editor, text);
        if (commit) {
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(index.data().toString(), text);
        }
    }

private slots:
    void init() { m_box = std::make_unique<Sandbox>(); }
    void cleanup()
    {
        m_window.reset();
        Os::Faults::disarm();
        m_box.reset();
    }

    void gridColumns()
    {
        openWindow();
        const QAbstractItemModel *model = grid()->model();
        const QStringList headers = { "N.", "Codice articolo", "Costo unitario", "Nome prodotto", "Giacenza",
            "Aspetto esteriore del bene", "Categoria merceologica", "Caratteristiche", "Collocazione in magazzino",
            "Ditta fornitrice", "Agente", "Recapito telefonico", "Documento di acquisto", "Modalitò di pagamento",
            "Data scadenza", "Note", "Prezzo di vendita", "Pagato" };
        const QList<int> widths
            = { 60, 160, 150, 250, 100, 250, 250, 300, 250, 250, 250, 200, 250, 250, 150, 300, 150, 120 };
        const QList<int> editable = { 3, 5, 6, 11, 15, 16, 17 };
        QCOMPARE(model->columnCount(), 18);
        for (int c = 0; c < 18; ++c) {
            QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), headers[c]);
            QCOMPARE(grid()->columnWidth(c), widths[c]);
            QCOMPARE(bool(model->flags(model->index(0, c)) & Qt::ItemIsEditable), editable.contains(c));
        }
        QCOMPARE(grid()->verticalHeader()->defaultSectionSize(), 21);
        QCOMPARE(m_window->findChild<QLabel *>("panInfo")->text(),
            QStringLiteral("Esportazione archivio in Microsoft Excel."));
        const QList<QPair<const char *, QString>> hints
            = { { "cmdEsporta", "Esporta l'archivio in formato Microsoft Excel." },
                  { "cmdGuida", "Visualizza la pagina della guida sensibile al contesto." },
                  { "cmdEsci", "Esci da questo ambiente di lavoro." } };
        for (const auto &[name, hint] : hints)
            QCOMPARE(m_window->findChild<QWidget *>(name)->property("statusText").toString(), hint);
    }

    void threeCardsExportedAndOpened()
    {
        addCard("007", "Vaso");
        addCard("B2", "Tazza");
        addCard("C3", "Piatto");
        openWindow();
        QCOMPARE(grid()->model()->rowCount(), 3);
        QCOMPARE(grid()->model()->index(2, 0).data().toString(), QStringLiteral("3"));
        QCOMPARE(grid()->model()->index(2, 1).data().toString(), QStringLiteral("C3"));

        exportNow();
        QCOMPARE(m_box->messages.size(), 2);
        QCOMPARE(m_box->messages[0].kind, Msg::Kind::Confirm);
        QCOMPARE(m_box->messages[0].text, kFirstQuestion);
        QCOMPARE(m_box->messages[1].kind, Msg::Kind::Confirm);
        QCOMPARE(m_box->messages[1].text, kSecondQuestion);
        QCOMPARE(m_box->opened, QStringList { "\"" + m_box->folder() + "Magazzino.xls\"" });

        const QByteArray file = exported();
        QVERIFY(file.startsWith("<html xmlns:o="));
        QVERIFY(file.endsWith("</table></body></html>"));
        QVERIFY(!file.contains('\n') && !file.contains('\r'));
        const auto rows = dataRows(file);
        QCOMPARE(rows.size(), 3);
        const QList<QByteArray> first
            = { "007", "12,50", "Vaso", "3", "", "", "", "", "", "", "0512345678", "", "", "31/12/2014", "", "", "No" };
        QCOMPARE(rows[0], first);
        QCOMPARE(rows[2][0], QByteArray("C3"));
        // Every data cell carries the text attribute; the header cells do not need it.
        QCOMPARE(file.count("<td"), 17 + 3 * 17);
        QCOMPARE(file.count("sdnum=\"1040;0;@\""), 3 * 17);
    }

    void emptyArchiveGivesTenEmptyRows()
    {
        openWindow();
        QCOMPARE(grid()->model()->rowCount(), 10);
        for (int c = 0; c < 18; ++c)
            QCOMPARE(grid()->model()->index(9, c).data().toString(), QString());
        m_box->answers = { QMessageBox::Yes, QMessageBox::No };
        exportNow();
        const auto rows = dataRows(exported());
        QCOMPARE(rows.size(), 10);
        for (const auto &row : rows)
            QCOMPARE(row, QList<QByteArray>(17));
        QVERIFY(m_box->opened.isEmpty());
    }

    void editedCellReachesTheFileNotTheArchive()
    {
        addCard("A1", "Vaso", "<b>regalo</b> & \"fragile\"");
        const QByteArray archive = Sandbox::readFile(warehousePath());
        openWindow();
        editCell(0, 3, "Vaso grande", true);
        // An edit still open when the icon is clicked counts too: the icon takes no focus.
        editCell(0, 11, "051 99", false);
        m_box->answers = { QMessageBox::Yes, QMessageBox::No };
        exportNow();
        const auto rows = dataRows(exported());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0][2], QByteArray("Vaso grande"));
        QCOMPARE(rows[0][10], QByteArray("051 99"));
        QCOMPARE(rows[0][14], QByteArray("&lt;b&gt;regalo&lt;/b&gt; &amp; &quot;fragile&quot;"));
        QCOMPARE(Sandbox::readFile(warehousePath()), archive);

        openWindow();
        QCOMPARE(grid()->model()->index(0, 3).data().toString(), QStringLiteral("Vaso"));
    }

    void aCellPastedWithLineBreaksStaysOneLine()
    {
        addCard("A1", "Vaso");
        openWindow();
        editCell(0, 3, QString(), false);
        auto *editor = grid()->viewport()->findChild<QLineEdit *>();
        QGuiApplication::clipboard()->setText(QStringLiteral("riga1\nriga2\r\nriga3\tfine"));
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("riga1 riga2 riga3 fine"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(grid()->model()->index(0, 3).data().toString(), QStringLiteral("riga1 riga2 riga3 fine"));
        m_box->answers = { QMessageBox::Yes, QMessageBox::No };
        exportNow();
        QVERIFY(!exported().contains('\n') && !exported().contains('\r'));
        QCOMPARE(dataRows(exported()).value(0).value(2), QByteArray("riga1 riga2 riga3 fine"));
    }

    void noToTheFirstQuestionWritesNothing()
    {
        addCard("A1", "Vaso");
        Sandbox::writeFile(ExportWriter::exportPath(), "earlier export");
        openWindow();
        m_box->answers = { QMessageBox::No };
        exportNow();
        QCOMPARE(m_box->messageTexts(), QStringList { kFirstQuestion });
        QCOMPARE(exported(), QByteArray("earlier export"));
        QVERIFY(m_box->opened.isEmpty());
    }

    void failureShowsTheMessageAndKeepsTheEarlierExport_data()
    {
        QTest::addColumn<bool>("folderInTheWay");
        QTest::newRow("Magazzino.xls is a folder") << true;
        QTest::newRow("the disk fails while writing") << false;
    }

    void failureShowsTheMessageAndKeepsTheEarlierExport()
    {
        QFETCH(bool, folderInTheWay);
        addCard("A1", "Vaso");
        if (folderInTheWay)
            QVERIFY(QDir().mkdir(ExportWriter::exportPath()));
        else {
            Sandbox::writeFile(ExportWriter::exportPath(), "earlier export");
            Os::Faults::arm({ .kind = Os::Faults::Kind::Write, .call = 1, .path = "Magazzino.xls", .lasting = true });
        }
        openWindow();
        exportNow();
        QCOMPARE(m_box->messages.size(), 2);
        QCOMPARE(m_box->messages[1].kind, Msg::Kind::Plain);
        QCOMPARE(m_box->messages[1].text, kFailure);
        QVERIFY(m_box->opened.isEmpty());
        if (folderInTheWay)
            QVERIFY(QFileInfo(ExportWriter::exportPath()).isDir());
        else
            QCOMPARE(exported(), QByteArray("earlier export"));
        // No half-written file is left behind.
        QCOMPARE(QDir(m_box->folder()).entryList({ "Magazzino.xls?*" }, QDir::Files), QStringList());

        // The grid is unchanged and the export can be repeated once the way is clear.
        Os::Faults::disarm();
        if (folderInTheWay)
            QVERIFY(QDir().rmdir(ExportWriter::exportPath()));
        m_box->clearMessages();
        exportNow();
        QCOMPARE(m_box->messageTexts(), (QStringList { kFirstQuestion, kSecondQuestion }));
        QCOMPARE(dataRows(exported()).size(), 1);
    }

    void exitCloses()
    {
        openWindow();
        click(m_window->findChild<QWidget *>("cmdEsci"));
        QVERIFY(!m_window->isVisible());
    }
};

VETRINOVA_TEST_MAIN(TestExpMagazzino)
#include "tst_expmagazzino.moc"
