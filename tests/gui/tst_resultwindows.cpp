#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"

#include "pricelist/ImportaMagazzino.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/ReportOutput.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/TrovaMagazzino.h"
#include "widgets/PhotoBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

using F = TSchedaProdotto;

namespace {
TSchedaProdotto card(std::initializer_list<std::pair<F::Field, QString>> fields)
{
    TSchedaProdotto c;
    c[F::Costo] = c[F::Prezzo] = QStringLiteral("0,00");
    c[F::Giacenza] = c[F::Avviso] = QStringLiteral("0");
    for (const auto &[field, text] : fields)
        c[field] = text;
    return c;
}

template <typename T> T *named(QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

QStringList shownLines(QWidget *window)
{
    QStringList lines;
    QAbstractItemModel *model = named<QListView>(window, "lstRecords")->model();
    for (int i = 0; i < model->rowCount(); ++i)
        lines << model->index(i, 0).data().toString();
    return lines;
}

int selectedRow(QWidget *window)
{
    const QModelIndexList rows = named<QListView>(window, "lstRecords")->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void doubleClickRow(QWidget *window, int row)
{
    auto *list = named<QListView>(window, "lstRecords");
    // The view lays its items out after the list has been shown.
    QTRY_VERIFY(!list->visualRect(list->model()->index(row, 0)).isEmpty());
    const QRect r = list->visualRect(list->model()->index(row, 0));
    // As the mouse does it: the first click selects, the second arrives as a double click.
    const QPoint at(20, r.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

QColor centreColour(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 && qAbs(a.blue() - b.blue()) < 24;
}

const QStringList kSlotBoxes = { "txtNome_", "txtUM_", "txtCaratteristiche_", "txtCodice_", "txtPrezzo_" };
} // namespace

class TestResultWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;
    QList<PreparedReport> m_printed;

    QWidget *editor() { return Forms::magazzino(); }
    QWidget *pageEditor() { return Forms::listinoPrezzi(); }

    template <typename Window> std::unique_ptr<Window> open(QWidget *owner, const QString &tag = QString())
    {
        auto w = std::make_unique<Window>(owner);
        if (!tag.isNull())
            named<QLabel>(w.get(), "lblMemory")->setText(tag);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("window not active");
        return w;
    }

    void search(QWidget *w) { named<QPushButton>(w, "btnCerca")->click(); }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        Forms::createAll();
        m_printed.clear();
        ReportOutput::setHandler([this](ReportOutput::Action action, const PreparedReport &report) {
            QCOMPARE(action, ReportOutput::Action::Print);
            m_printed.append(report);
        });
    }

    void cleanup()
    {
        ReportOutput::setHandler({});
        Os::Faults::disarm();
        Forms::destroyAll();
        m_sandbox.reset();
    }

    void emptyBoxesListEveryCardSortedByCode()
    {
        WarehouseArchive::append(card({ { F::Codice, "b2" }, { F::Nome, "Tazza" } }));
        WarehouseArchive::append(card({ { F::Codice, "A1" }, { F::Nome, "Vaso" } }));
        WarehouseArchive::append(card({ { F::Codice, "_9" } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        QVERIFY(named<QWidget>(w.get(), "panAvvio")->isVisible());
        QVERIFY(!named<QWidget>(w.get(), "panContainer")->isVisible());
        QCOMPARE(w->focusWidget(), named<QLineEdit>(w.get(), "txtCodice"));

        search(w.get());
        QVERIFY(!named<QWidget>(w.get(), "panAvvio")->isVisible());
        QVERIFY(named<QWidget>(w.get(), "panContainer")->isVisible());
        const QStringList lines = shownLines(w.get());
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("Cod. A1 "));
        QVERIFY(lines[1].startsWith("Cod. b2 "));
        QVERIFY(lines[2].startsWith("Cod. _9 "));
        QCOMPARE(
            named<QLabel>(w.get(), "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 3 schede."));
        QCOMPARE(named<QLabel>(w.get(), "lblConta")->text(), QStringLiteral("0"));
        QCOMPARE(w->focusWidget(), named<QLineEdit>(w.get(), "txtTrova"));
        QCOMPARE(selectedRow(w.get()), -1);
    }

    void filledBoxesCombineAndTheCountIsShown()
    {
        WarehouseArchive::append(card({ { F::Codice, "XABCY" }, { F::Ditta, "Rossi" } }));
        WarehouseArchive::append(card({ { F::Codice, "abc1" }, { F::Ditta, "Bianchi" } }));
        WarehouseArchive::append(card({ { F::Codice, "abc2" }, { F::Ditta, "Rossi & C." } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        QTest::keyClicks(named<QLineEdit>(w.get(), "txtCodice"), "abc");
        QTest::keyClicks(named<QLineEdit>(w.get(), "txtDitta"), "ROSSI");
        named<QLineEdit>(w.get(), "txtNote")->setText("   ");
        search(w.get());
        QCOMPARE(named<QLabel>(w.get(), "lblConta")->text(), QStringLiteral("2"));
        QCOMPARE(shownLines(w.get()).size(), 2);
        QVERIFY(shownLines(w.get())[0].startsWith("Cod. abc2"));
        QVERIFY(shownLines(w.get())[1].startsWith("Cod. XABCY"));
    }

    void oneCardFoundStillSaysSchede()
    {
        WarehouseArchive::append(card({ { F::Codice, "A1" } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        search(w.get());
        QCOMPARE(
            named<QLabel>(w.get(), "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 1 schede."));
    }

    void missingArchiveIsCreatedAndListsNothing()
    {
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        search(w.get());
        QVERIFY(QFileInfo::exists(warehousePath()));
        QCOMPARE(
            named<QLabel>(w.get(), "lblTrovate")->text(), QStringLiteral("Il presente riepilogo contiene 0 schede."));
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void waitingTextShowsOnMouseDown()
    {
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        auto *cerca = named<QPushButton>(w.get(), "btnCerca");
        QVERIFY(!named<QLabel>(w.get(), "lblAttendere")->isVisible());
        QTest::mousePress(cerca, Qt::LeftButton);
        QVERIFY(named<QLabel>(w.get(), "lblAttendere")->isVisible());
        QTest::mouseRelease(cerca, Qt::LeftButton);
        QVERIFY(named<QWidget>(w.get(), "panContainer")->isVisible());
    }

    void unreadableArchiveShowsThePlainMessageAndStays()
    {
        QDir(m_sandbox->folder()).mkdir("Magazzino.pro");
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        QTest::mouseClick(named<QPushButton>(w.get(), "btnCerca"), Qt::LeftButton);
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Plain);
        QCOMPARE(m_sandbox->messages[0].text, Msg::archiveMessage());
        QVERIFY(named<QWidget>(w.get(), "panAvvio")->isVisible());
        QVERIFY(named<QLabel>(w.get(), "lblAttendere")->isVisible());
        QVERIFY(w->isVisible());
    }

    void enterMovesAlongTheBoxesAndShowsTheHighlight()
    {
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        auto *codice = named<QLineEdit>(w.get(), "txtCodice");
        QVERIFY(named<QWidget>(w.get(), "effCampo01")->isVisible());
        QTest::keyClick(codice, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), named<QLineEdit>(w.get(), "txtCosto"));
        QVERIFY(!named<QWidget>(w.get(), "effCampo01")->isVisible());
        QVERIFY(named<QWidget>(w.get(), "effCampo02")->isVisible());
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        QCOMPARE(w->focusWidget(), named<QLineEdit>(w.get(), "txtNome"));
        QVERIFY(named<QWidget>(w.get(), "effCampo09")->isVisible());
        named<QLineEdit>(w.get(), "txtNote")->setFocus();
        QTest::keyClick(w->focusWidget(), Qt::Key_Return);
        QCOMPARE(w->focusWidget(), codice);
        // Enter never starts the search nor closes the window.
        QVERIFY(named<QWidget>(w.get(), "panAvvio")->isVisible());
        QVERIFY(w->isVisible());
    }

    void findInTheList()
    {
        for (const char *name : { "Vaso blu", "Tazza", "Vaso rosso", "Piatto" })
            WarehouseArchive::append(
                card({ { F::Codice, QString::number(WarehouseArchive::count() + 1) }, { F::Nome, name } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        search(w.get());
        auto *trova = named<QLineEdit>(w.get(), "txtTrova");
        auto *btnTrova = named<QPushButton>(w.get(), "btnTrova");
        // Enter hands the cursor to Trova without finding.
        QTest::keyClicks(trova, "VASO");
        QTest::keyClick(trova, Qt::Key_Return);
        QCOMPARE(w->focusWidget(), btnTrova);
        QCOMPARE(selectedRow(w.get()), -1);
        // Enter on the focused button finds, as a click does; the same key moves on and wraps.
        QTest::keyClick(btnTrova, Qt::Key_Return);
        QCOMPARE(selectedRow(w.get()), 0);
        btnTrova->click();
        QCOMPARE(selectedRow(w.get()), 2);
        btnTrova->click();
        QCOMPARE(selectedRow(w.get()), 0);
        // A key found nowhere keeps the selection.
        trova->setText("sedia");
        btnTrova->click();
        QCOMPARE(selectedRow(w.get()), 0);
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void findInAnEmptyListSaysSo()
    {
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        search(w.get());
        named<QLineEdit>(w.get(), "txtTrova")->setText("x");
        named<QPushButton>(w.get(), "btnTrova")->click();
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages[0].kind, Msg::Kind::Plain);
        QCOMPARE(m_sandbox->messages[0].text,
            QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
    }

    void doubleClickLoadsTheVeryCardClicked()
    {
        // A card and its duplicate give the same line; each entry still loads its own record.
        TSchedaProdotto original = card({ { F::Codice, "A1" }, { F::Nome, "Vaso" }, { F::Costo, "12,50" },
            { F::Pagato, "Sì" }, { F::Note, "originale" }, { F::File01, "a.pdf" }, { F::Desc03, "doc" },
            { F::Recapito, "0612345" }, { F::Prezzo, "20,00" } });
        TSchedaProdotto duplicate = original;
        duplicate[F::Note] = "copia";
        duplicate[F::File01].clear();
        WarehouseArchive::append(card({ { F::Codice, "Z9" } }));
        WarehouseArchive::append(original);
        WarehouseArchive::append(duplicate);
        makeJpeg(m_sandbox->path("2.jpg"), QSize(40, 30), Qt::red);

        for (const auto &[row, record, note, file] :
            { std::tuple { 0, 2, "originale", "a.pdf" }, std::tuple { 1, 3, "copia", "" } }) {
            auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
            search(w.get());
            QCOMPARE(shownLines(w.get())[0], shownLines(w.get())[1]);
            doubleClickRow(w.get(), row);
            QVERIFY(!w->isVisible());
            QCOMPARE(named<QLabel>(editor(), "lblPosizione")->text(), QString::number(record));
            QCOMPARE(named<QLineEdit>(editor(), "txtNote")->text(), QString::fromUtf8(note));
            QCOMPARE(named<QLabel>(editor(), "lblFile01")->text(), QString::fromUtf8(file));
            QCOMPARE(named<QLineEdit>(editor(), "txtCodice")->text(), QStringLiteral("A1"));
            QCOMPARE(named<QLineEdit>(editor(), "txtCosto")->text(), QStringLiteral("12,50"));
            QCOMPARE(named<QLineEdit>(editor(), "txtPrezzo")->text(), QStringLiteral("20,00"));
            QCOMPARE(named<QLineEdit>(editor(), "txtRecapito")->text(), QStringLiteral("0612345"));
            QCOMPARE(named<QLabel>(editor(), "lblDesc03")->text(), QStringLiteral("doc"));
            QVERIFY(named<QCheckBox>(editor(), "chkPagato")->isChecked());
            const QImage photo = named<PhotoBox>(editor(), "imgFoto")->picture();
            if (record == 2)
                QVERIFY(near(centreColour(photo), Qt::red));
            else
                QCOMPARE(photo, named<PhotoBox>(editor(), "imgBianco")->picture());
        }
    }

    void paidTickFollowsOnlySiAndNo()
    {
        WarehouseArchive::append(card({ { F::Codice, "A" }, { F::Pagato, "No" } }));
        WarehouseArchive::append(card({ { F::Codice, "B" }, { F::Pagato, "" } }));
        WarehouseArchive::append(card({ { F::Codice, "C" }, { F::Pagato, "Sì" } }));
        auto *paid = named<QCheckBox>(editor(), "chkPagato");
        for (const auto &[row, ticked] :
            { std::pair { 2, true }, std::pair { 1, true }, std::pair { 0, false }, std::pair { 1, false } }) {
            auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
            search(w.get());
            doubleClickRow(w.get(), row);
            QCOMPARE(paid->isChecked(), ticked);
        }
    }

    void unknownCallerTagFillsNothing()
    {
        WarehouseArchive::append(card({ { F::Codice, "A1" } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "listino");
        search(w.get());
        doubleClickRow(w.get(), 0);
        QVERIFY(!w->isVisible());
        QCOMPARE(named<QLineEdit>(editor(), "txtCodice")->text(), QString());
    }

    void closingEmptiesTheList()
    {
        WarehouseArchive::append(card({ { F::Codice, "A1" } }));
        auto w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        search(w.get());
        named<QPushButton>(w.get(), "btnChiudi")->click();
        QVERIFY(!w->isVisible());
        QCOMPARE(shownLines(w.get()).size(), 0);
    }

    void underStockListIsBuiltOnShow()
    {
        WarehouseArchive::append(card({ { F::Codice, "C" }, { F::Giacenza, "3" }, { F::Avviso, "3" } }));
        WarehouseArchive::append(card({ { F::Codice, "D" }, { F::Giacenza, "4" }, { F::Avviso, "3" } }));
        WarehouseArchive::append(card({ { F::Codice, "E" }, { F::Giacenza, "" }, { F::Avviso, "3" } }));
        WarehouseArchive::append(card({ { F::Codice, "A" } }));
        auto w = open<TfrmSottoscorta>(editor());
        QCOMPARE(w->windowTitle(), QStringLiteral(" Materiali in esaurimento"));
        const QStringList lines = shownLines(w.get());
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("Cod. A "));
        QVERIFY(lines[1].startsWith("Cod. C "));
        QVERIFY(lines[1].contains("  Pagato: "));
        QCOMPARE(w->focusWidget(), named<QLineEdit>(w.get(), "txtTrova"));
        QVERIFY(m_sandbox->messages.isEmpty());
        doubleClickRow(w.get(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(named<QLabel>(editor(), "lblPosizione")->text(), QStringLiteral("1"));
        QCOMPARE(named<QLineEdit>(editor(), "txtCodice")->text(), QStringLiteral("C"));
    }

    void unpaidListUsesItsOwnLine()
    {
        WarehouseArchive::append(card({ { F::Codice, "P" }, { F::Pagato, "Sì" } }));
        WarehouseArchive::append(
            card({ { F::Codice, "N" }, { F::Pagato, "No" }, { F::Ditta, "Forniture Ingrosso Città di Castello" } }));
        WarehouseArchive::append(card({ { F::Codice, "n" }, { F::Pagato, "no" } }));
        auto w = open<TfrmDaSaldare>(editor());
        QCOMPARE(w->windowTitle(), QStringLiteral(" Riepilogo pagamenti non saldati"));
        const QStringList lines = shownLines(w.get());
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].mid(93, 24), QStringLiteral("Forniture Ingrosso Città"));
        QVERIFY(!lines[0].contains("Pagato"));
        doubleClickRow(w.get(), 0);
        QCOMPARE(
            named<QLineEdit>(editor(), "txtDitta")->text(), QStringLiteral("Forniture Ingrosso Città di Castello"));
        QCOMPARE(named<QLabel>(editor(), "lblPosizione")->text(), QStringLiteral("2"));
    }

    void listOfAnUnreadableArchiveIsEmptyAndSilent()
    {
        QDir(m_sandbox->folder()).mkdir("Magazzino.pro");
        auto w = open<TfrmDaSaldare>(editor());
        QCOMPARE(shownLines(w.get()).size(), 0);
        QVERIFY(m_sandbox->messages.isEmpty());
        named<QPushButton>(w.get(), "btnTrova")->click();
        QCOMPARE(m_sandbox->messageTexts(),
            QStringList({ QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce.") }));
    }

    void openersTellTheWindowWhoCalled_data()
    {
        QTest::addColumn<QString>("caller");
        QTest::newRow("warehouse editor") << "magazzino";
        QTest::newRow("slot E") << "prodotto_E";
    }

    void openersTellTheWindowWhoCalled()
    {
        QFETCH(QString, caller);
        WarehouseArchive::append(card({ { F::Codice, "A1" }, { F::Nome, "Vaso" } }));
        QPointer<QDialog> shown;
        QString tag;
        // The window is modal: drive it from inside its own loop, and never leave it open.
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            tag = named<QLabel>(shown, "lblMemory")->text();
            search(shown);
            doubleClickRow(shown, 0);
            if (shown->isVisible())
                shown->reject();
        });
        if (caller == "magazzino")
            TfrmTrovaMagazzino::openFrom(editor());
        else
            TfrmImportaMagazzino::openFrom(pageEditor(), 'E');
        QCOMPARE(tag, caller);
        QVERIFY(shown.isNull()); // freed once closed
        if (caller == "magazzino")
            QCOMPARE(named<QLineEdit>(editor(), "txtNome")->text(), QStringLiteral("Vaso"));
        else
            QCOMPARE(named<QLineEdit>(pageEditor(), "txtNome_E")->text(), QStringLiteral("Vaso"));
    }

    void printCarriesTheListAndItsTitle_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("cards");
        QTest::newRow("search") << "search"
                                << "Riepilogo prodotti in magazzino" << 60;
        QTest::newRow("import") << "import"
                                << "Riepilogo prodotti in magazzino" << 2;
        QTest::newRow("under stock") << "under stock"
                                     << "Materiali in esaurimento" << 60;
        QTest::newRow("unpaid") << "unpaid"
                                << "Riepilogo pagamenti non saldati" << 3;
        QTest::newRow("empty list") << "unpaid"
                                    << "Riepilogo pagamenti non saldati" << 0;
    }

    void printCarriesTheListAndItsTitle()
    {
        QFETCH(QString, window);
        QFETCH(QString, title);
        QFETCH(int, cards);
        for (int i = 0; i < cards; ++i)
            WarehouseArchive::append(card({ { F::Codice, QString::number(cards - i) }, { F::Pagato, "No" } }));
        std::unique_ptr<QDialog> w;
        if (window == "search")
            w = open<TfrmTrovaMagazzino>(editor(), "magazzino");
        else if (window == "import")
            w = open<TfrmImportaMagazzino>(pageEditor(), "prodotto_A");
        else if (window == "under stock")
            w = open<TfrmSottoscorta>(editor());
        else
            w = open<TfrmDaSaldare>(editor());
        if (named<QWidget>(w.get(), "panContainer")->isHidden())
            search(w.get());
        const QStringList before = shownLines(w.get());
        QCOMPARE(before.size(), cards);

        named<QPushButton>(w.get(), "btnStampa")->click();
        QCOMPARE(m_printed.size(), 1);
        const PreparedReport &report = m_printed.first();
        QCOMPARE(report.pages.first().item("txtTitolo")->text(), title);
        QStringList printed;
        for (const PreparedPage &page : report.pages)
            for (const PreparedItem *part : page.itemsNamed("txtRiepilogo"))
                for (const PreparedLine &line : part->lines)
                    printed << line.text;
        QCOMPARE(printed, before);
        QVERIFY(report.pages.last().item("txtPagina"));
        // The window stays, with its list as it was.
        QVERIFY(w->isVisible());
        QCOMPARE(shownLines(w.get()), before);
    }

    void importFillsOnlyItsSlot()
    {
        WarehouseArchive::append(card({ { F::Codice, "Z" } }));
        WarehouseArchive::append(card({ { F::Codice, "V-7" }, { F::Nome, "Vaso" }, { F::UM, "Scatola" },
            { F::Caratteristiche, "Vetro soffiato" }, { F::Costo, "3,00" }, { F::Prezzo, "0,00" } }));
        makeJpeg(m_sandbox->path("2.jpg"), QSize(40, 30), Qt::green);
        QImage before(20, 20, QImage::Format_RGB32);
        before.fill(Qt::yellow);
        for (QChar slot = 'A'; slot <= 'H'; slot = QChar(slot.unicode() + 1)) {
            for (const QString &stem : kSlotBoxes)
                named<QLineEdit>(pageEditor(), stem + slot)->setText("prima");
            named<PhotoBox>(pageEditor(), QStringLiteral("imgFoto_%1").arg(slot))->setPicture(before);
        }

        auto w = open<TfrmImportaMagazzino>(pageEditor(), "prodotto_C");
        QCOMPARE(w->windowTitle(), QStringLiteral(" Importa prodotti da magazzino"));
        search(w.get());
        doubleClickRow(w.get(), 0);
        QVERIFY(!w->isVisible());

        QCOMPARE(named<QLineEdit>(pageEditor(), "txtNome_C")->text(), QStringLiteral("Vaso"));
        QCOMPARE(named<QLineEdit>(pageEditor(), "txtUM_C")->text(), QStringLiteral("Scatola"));
        QCOMPARE(named<QLineEdit>(pageEditor(), "txtCaratteristiche_C")->text(), QStringLiteral("Vetro soffiato"));
        QCOMPARE(named<QLineEdit>(pageEditor(), "txtCodice_C")->text(), QStringLiteral("V-7"));
        QCOMPARE(named<QLineEdit>(pageEditor(), "txtPrezzo_C")->text(), QStringLiteral("0,00"));
        QCOMPARE(named<QLabel>(pageEditor(), "lblRecord")->text(), QStringLiteral("2"));
        QVERIFY(near(centreColour(named<PhotoBox>(pageEditor(), "imgFoto_C")->picture()), Qt::green));
        for (QChar slot = 'A'; slot <= 'H'; slot = QChar(slot.unicode() + 1)) {
            if (slot == 'C')
                continue;
            for (const QString &stem : kSlotBoxes)
                QCOMPARE(named<QLineEdit>(pageEditor(), stem + slot)->text(), QStringLiteral("prima"));
            QCOMPARE(named<PhotoBox>(pageEditor(), QStringLiteral("imgFoto_%1").arg(slot))->picture(), before);
        }
        // Nothing reaches the disk until the page is saved.
        QCOMPARE(QDir(m_sandbox->folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
            QStringList({ "2.jpg", "Magazzino.pro" }));
    }

    void importOfACardWithoutPhotoGivesThePlaceholder()
    {
        WarehouseArchive::append(card({ { F::Codice, "A" } }));
        auto w = open<TfrmImportaMagazzino>(pageEditor(), "prodotto_H");
        search(w.get());
        doubleClickRow(w.get(), 0);
        QCOMPARE(named<PhotoBox>(pageEditor(), "imgFoto_H")->picture(),
            named<PhotoBox>(pageEditor(), "imgBianco")->picture());
        QCOMPARE(named<QLabel>(pageEditor(), "lblRecord")->text(), QStringLiteral("1"));
    }

    void importWithAnUnknownTagFillsNothing()
    {
        WarehouseArchive::append(card({ { F::Codice, "A" }, { F::Nome, "Vaso" } }));
        auto w = open<TfrmImportaMagazzino>(pageEditor(), "prodotto_I");
        search(w.get());
        doubleClickRow(w.get(), 0);
        QVERIFY(!w->isVisible());
        for (QChar slot = 'A'; slot <= 'H'; slot = QChar(slot.unicode() + 1))
            QCOMPARE(named<QLineEdit>(pageEditor(), QStringLiteral("txtNome_%1").arg(slot))->text(), QString());
    }
};

VETRINOVA_TEST_MAIN(TestResultWindows)
#include "tst_resultwindows.moc"
