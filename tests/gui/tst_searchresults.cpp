// What the search window, the two warehouse lists and the export grid show for one fixed archive,
// pinned line by line: however the lines are read, kept and sorted, a user sees the same lists.
#include "tests/support/TestSupport.h"

#include "shell/Application.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/Codepage.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/ResultList.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/TrovaMagazzino.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>

#include <memory>

using F = TSchedaProdotto;
using Boxes = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Boxes)

namespace {
// Codice, Nome, Tipologia, Giacenza, Avviso, Pagato, DataSca, Costo, Ditta, Note: accents, case,
// cards that differ only after the sorted columns, one identical twice, texts longer than their column.
struct FixtureCard
{
    const char *codice, *nome, *tipologia, *giacenza, *avviso, *pagato, *data, *costo, *ditta, *note;
};
const FixtureCard kCards[] = {
    { "b-20", "Vaso di cristallo", "Vetro", "3", "5", "No", "01/02/2025", "12,50", "Rossi & C.", "fragile" },
    { "A-10", "Tazza", "Ceramica", "10", "2", "Sì", "", "3,00", "Bianchi", "" },
    { "a-10", "tazza grande", "Ceramica", "2", "2", "No", "15/03/2024", "4,00", "bianchi", "" },
    { "É-01", "Caffè è più buono", "Città", "0", "0", "no", "", "1,00", "Caffè Società", "più" },
    { "_7", "Piatto fondo", "Ceramica", "abc", "1", "No", "31/12/2099", "2,50", "Verdi", "" },
    { "C-3", "Bicchiere", "Vetro", "1,5", "1,5", "Sì", "", "0,90", "Rossi", "" },
    { "C-3", "Bicchiere", "Vetro", "1,5", "1,5", "Sì", "", "0,90", "Rossi", "" },
    { "C-3", "Bicchiere", "Vetro", "7", "1", " No", "", "0,95", "Rossi", "" },
    { "ZZZZZZZZZZZZZZZZZZZZZZZZZZ", "Nome molto lungo che supera la colonna del riepilogo",
        "Categoria lunga oltre "
        "il limite",
        "12345", "99999", "No", "01/01/2020", "1.234,56", "Ditta dal nome davvero molto lungo S.p.A.", "" },
    { "", "senza codice", "", "", "", "", "", "", "", "" },
    { "d1", "Vaso", "vetro", "-2", "0", "No", "10/10/2010", "€ 5", "ROSSI", "vaso" },
    { "D1", "VASO", "VETRO", "4", "4", "No", "", "5,00", "Rossi spa", "" },
};

void writeArchive()
{
    for (const FixtureCard &c : kCards) {
        F card;
        card[F::Codice] = QString::fromUtf8(c.codice);
        card[F::Nome] = QString::fromUtf8(c.nome);
        card[F::Tipologia] = QString::fromUtf8(c.tipologia);
        card[F::Giacenza] = QString::fromUtf8(c.giacenza);
        card[F::Avviso] = QString::fromUtf8(c.avviso);
        card[F::Pagato] = QString::fromUtf8(c.pagato);
        card[F::DataSca] = QString::fromUtf8(c.data);
        card[F::Costo] = QString::fromUtf8(c.costo);
        card[F::Ditta] = QString::fromUtf8(c.ditta);
        card[F::Note] = QString::fromUtf8(c.note);
        card[F::Caratteristiche] = QStringLiteral("Caratteristiche della scheda");
        card[F::Collocazione] = QStringLiteral("Scaffale %1").arg(QString::fromUtf8(c.codice).left(1));
        card[F::Agente] = QStringLiteral("Agente Sud");
        card[F::Documento] = QStringLiteral("Fattura n. 1");
        WarehouseArchive::append(card);
    }
}

template <typename T> T *named(QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

/** Each shown line, then the number of the card it opens, as "line|n". */
QStringList shown(QWidget *window)
{
    QStringList out;
    const ResultListModel *model = window->findChild<ResultPanel *>()->model();
    QAbstractItemModel *view = named<QListView>(window, "lstRecords")->model();
    for (int i = 0; i < view->rowCount(); ++i)
        out << view->index(i, 0).data().toString() + QStringLiteral("|%1").arg(model->recordAt(i));
    return out;
}

/** The fixture's expected lines: one file per list, one line each, UTF-8. */
QStringList expectedLines(const QString &name)
{
    QFile file(QStringLiteral(FIXTURES_DIR "/search/%1.txt").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture %s missing", qPrintable(file.fileName()));
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

/** Every card's code in list order: "" first, a to z as capitals, then "_" and "É" by their codes. */
QStringList everyCode()
{
    return { "", "A-10", "a-10", "b-20", "C-3", "C-3", "C-3", "d1", "D1", "ZZZZZZZZZZZZZZZZZZZZZZ", "_7", "É-01" };
}

/** The codes of the lines, in the order shown ("Cod. X   ..." gives X). */
QStringList codes(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out << line.mid(5, 22).trimmed();
    return out;
}
} // namespace

class TestSearchResults : public QObject
{
    Q_OBJECT

    std::unique_ptr<Sandbox> m_sandbox;

    template <typename Window> std::unique_ptr<Window> open()
    {
        auto w = std::make_unique<Window>(nullptr);
        if (auto *tag = w->template findChild<QLabel *>(QStringLiteral("lblMemory")))
            tag->setText(QStringLiteral("magazzino"));
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not shown");
        return w;
    }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        Forms::createAll();
        writeArchive();
    }

    void cleanup()
    {
        Forms::destroyAll();
        m_sandbox.reset();
    }

    void everyCardListedWholeAndSorted()
    {
        auto w = open<TfrmTrovaMagazzino>();
        named<QPushButton>(w.get(), "btnCerca")->click();
        QCOMPARE(shown(w.get()), expectedLines(QStringLiteral("all")));
        QCOMPARE(
            named<QLabel>(w.get(), "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 12 schede."));
    }

    void searches_data()
    {
        QTest::addColumn<Boxes>("boxes");
        QTest::addColumn<QStringList>("found"); // codes in the order shown
        QTest::addColumn<QString>("counted"); // lblConta: boxes that are not blank

        QTest::newRow("code, any case") << Boxes { { "txtCodice", "A-1" } } << QStringList { "A-10", "a-10" } << "1";
        QTest::newRow("code, lower finds upper")
            << Boxes { { "txtCodice", "c-3" } } << QStringList { "C-3", "C-3", "C-3" } << "1";
        QTest::newRow("accented capital matched exactly")
            << Boxes { { "txtCodice", "É" } } << QStringList { "É-01" } << "1";
        QTest::newRow("accented capital not lowered") << Boxes { { "txtCodice", "é" } } << QStringList {} << "1";
        QTest::newRow("cost") << Boxes { { "txtCosto", "0,9" } } << QStringList { "C-3", "C-3", "C-3" } << "1";
        QTest::newRow("euro sign") << Boxes { { "txtCosto", "€" } } << QStringList { "d1" } << "1";
        QTest::newRow("name, accents") << Boxes { { "txtNome", "è più" } } << QStringList { "É-01" } << "1";
        QTest::newRow("name, vaso in any case")
            << Boxes { { "txtNome", "VaSo" } } << QStringList { "b-20", "d1", "D1" } << "1";
        QTest::newRow("category") << Boxes { { "txtTipologia", "città" } } << QStringList { "É-01" } << "1";
        QTest::newRow("features") << Boxes { { "txtCaratteristiche", "della" } } << everyCode() << "1";
        QTest::newRow("place") << Boxes { { "txtCollocazione", "scaffale d" } } << QStringList { "d1", "D1" } << "1";
        QTest::newRow("supplier") << Boxes { { "txtDitta", "rossi" } }
                                  << QStringList { "b-20", "C-3", "C-3", "C-3", "d1", "D1" } << "1";
        QTest::newRow("agent") << Boxes { { "txtAgente", "nord" } } << QStringList {} << "1";
        QTest::newRow("document") << Boxes { { "txtDocumento", "FATTURA N. 1" } } << everyCode() << "1";
        QTest::newRow("notes") << Boxes { { "txtNote", "più" } } << QStringList { "É-01" } << "1";
        QTest::newRow("two boxes, both must occur")
            << Boxes { { "txtNome", "vaso" }, { "txtDitta", "spa" } } << QStringList { "D1" } << "2";
        QTest::newRow("two boxes, one missing")
            << Boxes { { "txtNome", "tazza" }, { "txtNote", "x" } } << QStringList {} << "2";
        // A blank box is not counted, and its blanks occur in no field, so it changes nothing.
        QTest::newRow("blank box beside a filled one")
            << Boxes { { "txtNome", "tazza" }, { "txtNote", "   " } } << QStringList { "A-10", "a-10" } << "1";
        QTest::newRow("only blank boxes list every card") << Boxes { { "txtNote", " " } } << everyCode() << "0";
        QTest::newRow("box kept with its blanks")
            << Boxes { { "txtNome", " grande" } } << QStringList { "a-10" } << "1";
        QTest::newRow("text the archive cannot hold") << Boxes { { "txtNome", "vaso Ω" } } << QStringList {} << "1";
        QTest::newRow("past the stored width")
            << Boxes { { "txtCodice", "ZZZZZZZZZZZZZZZZZZZZZZZZZZ" } } << QStringList {} << "1";
    }

    void searches()
    {
        QFETCH(Boxes, boxes);
        QFETCH(QStringList, found);
        QFETCH(QString, counted);
        auto w = open<TfrmTrovaMagazzino>();
        for (const auto &[box, text] : boxes)
            named<QLineEdit>(w.get(), box)->setText(text);
        named<QPushButton>(w.get(), "btnCerca")->click();
        const QStringList lines = shown(w.get());
        QCOMPARE(codes(lines), found);
        QCOMPARE(named<QLabel>(w.get(), "lblConta")->text(), counted);
        QCOMPARE(named<QLabel>(w.get(), "lblTrovate")->text(),
            QStringLiteral("Il presente riepilogo contiene %1 schede.").arg(found.size()));
        // Each line is the very line of the whole list.
        const QStringList all = expectedLines(QStringLiteral("all"));
        for (const QString &line : lines)
            QVERIFY2(all.contains(line), qPrintable(line));
    }

    void underStockList()
    {
        auto w = open<TfrmSottoscorta>();
        QCOMPARE(shown(w.get()), expectedLines(QStringLiteral("under-stock")));
    }

    void unpaidList()
    {
        auto w = open<TfrmDaSaldare>();
        QCOMPARE(shown(w.get()), expectedLines(QStringLiteral("unpaid")));
    }

    void exportGridShowsEveryCardAsStored()
    {
        auto w = open<TfrmExpMagazzino>();
        const QAbstractItemModel *model = named<QTableView>(w.get(), "grdRecords")->model();
        QStringList rows;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        QCOMPARE(rows, expectedLines(QStringLiteral("export-grid")));
    }
};

VETRINOVA_TEST_MAIN(TestSearchResults)
#include "tst_searchresults.moc"
