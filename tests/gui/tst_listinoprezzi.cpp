#include "storage/platform/Faults.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/TestSupport.h"

#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/PhotoBox.h"

#include <QLabel>
#include <QLineEdit>

namespace {
const QString kNoPages = QStringLiteral("L'archivio non contiene nessuna scheda.");
const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
const QString kSaved = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString kLetters = QStringLiteral("ABCDEFGH");
} // namespace

class TestListinoPrezzi : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    TfrmListinoPrezzi *ed = nullptr;

    template <typename T = QWidget> T *control(const QString &name) const
    {
        T *w = ed->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
    QString text(const QString &name) const { return control<QLabel>(name)->text(); }
    PhotoBox *photo(QChar slot) const { return control<PhotoBox>(QStringLiteral("imgFoto_") + slot); }
    void click(const QString &name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QString listPath() const { return sb->path("Fiori.lis"); }

    /** Opens list Fiori (made with `pages` pages named "Pagina N" in slot A) as the list window does. */
    void open(int pages)
    {
        Sandbox::writeFile(listPath(), QByteArray());
        for (int n = 1; n <= pages; ++n) {
            TPaginaListino page;
            page.voci[0][TVoceListino::Nome] = QStringLiteral("Pagina %1").arg(n);
            page.voci[7][TVoceListino::Prezzo] = QStringLiteral("%1,00").arg(n);
            PriceListFile::append(listPath(), page);
        }
        control<QLabel>("lblFile")->setText(listPath());
        control<QLabel>("lblNome")->setText(QStringLiteral("Fiori"));
        ed->handOverFrom(Forms::avvio());
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
    }

    void typeSlotA()
    {
        const QStringList values { "Rosa", "Vaso 18 cm", "Profumata", "ROS-18", "12,50" };
        const QStringList stems { "txtNome_A", "txtUM_A", "txtCaratteristiche_A", "txtCodice_A", "txtPrezzo_A" };
        for (int i = 0; i < 5; ++i) {
            box(stems[i])->setFocus();
            box(stems[i])->selectAll();
            QTest::keyClicks(box(stems[i]), values[i]);
        }
        box("txtNome_B")->setFocus();
    }

    QSize fileSize(const QString &relative) const { return QImage(sb->path(relative)).size(); }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
        Forms::avvio()->show();
        ed = Forms::listinoPrezzi();
    }
    void cleanup()
    {
        Os::Faults::disarm();
        Forms::destroyAll();
        ed = nullptr;
        sb.reset();
    }

    void showingStartsANewPage()
    {
        open(2);
        click("cmdUltimo");
        QCOMPARE(text("lblPosizione"), QStringLiteral("2"));
        box("txtCodice_D")->setText(QStringLiteral("X"));
        ed->close();
        QVERIFY(Forms::avvio()->isVisible());
        QVERIFY(!ed->isVisible());
        QCOMPARE(PriceListFile::read(listPath(), 2).voci[3][TVoceListino::Codice], QString());

        open(0);
        QCOMPARE(text("lblPosizione"), QString());
        QCOMPARE(ed->focusWidget(), box("txtNome_A"));
        for (QChar x : kLetters) {
            for (const char *stem : { "txtNome_", "txtUM_", "txtCaratteristiche_", "txtCodice_" })
                QCOMPARE(box(QLatin1String(stem) + x)->text(), QString());
            QCOMPARE(box(QStringLiteral("txtPrezzo_") + x)->text(), QStringLiteral("0,00"));
            QCOMPARE(photo(x)->picture(), ed->blankPicture());
        }
        QCOMPARE(ed->blankPicture().size(), QSize(136, 104));
    }

    void boxesStopAtTheFieldWidths()
    {
        open(0);
        const struct
        {
            const char *stem;
            int width;
        } widths[] = { { "txtCodice_", 25 }, { "txtNome_", 50 }, { "txtUM_", 120 }, { "txtCaratteristiche_", 250 },
            { "txtPrezzo_", 12 } };
        for (QChar x : kLetters)
            for (const auto &w : widths)
                QCOMPARE(BoxBehaviour::of(box(QLatin1String(w.stem) + x))->typingLimit(), w.width);
    }

    void saveNeedsSlotA_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("what");
        QTest::newRow("name") << "txtNome_A"
                              << "il nome";
        QTest::newRow("appearance") << "txtUM_A"
                                    << "l'aspetto esteriore";
        QTest::newRow("characteristics") << "txtCaratteristiche_A"
                                         << "le caratteristiche";
        QTest::newRow("code") << "txtCodice_A"
                              << "il codice articolo";
        QTest::newRow("price") << "txtPrezzo_A"
                               << "il prezzo di vendita";
    }

    void saveNeedsSlotA()
    {
        QFETCH(QString, emptied);
        QFETCH(QString, what);
        open(0);
        typeSlotA();
        // Blanks count as empty; the price box still holds the cursor, so nothing fills it in.
        box(emptied)->setFocus();
        box(emptied)->selectAll();
        QTest::keyClick(box(emptied), Qt::Key_Delete);
        if (emptied != QLatin1String("txtPrezzo_A"))
            QTest::keyClicks(box(emptied), "   ");
        click("cmdSalva");
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("Attenzione: per salvare la scheda è necessario indicare %1 del primo "
                                         "prodotto.")
                              .arg(what) });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
        QCOMPARE(QApplication::focusWidget(), box(emptied));
        QCOMPARE(QFileInfo(listPath()).size(), 0);
        QCOMPARE(text("lblPosizione"), QString());
    }

    void firstSaveAppendsSecondOverwrites()
    {
        open(0);
        typeSlotA();
        box("txtNome_C")->setText(QStringLiteral("  Iris  "));
        click("cmdSalva");
        QCOMPARE(sb->messageTexts(), QStringList { kInserted });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Information);
        QCOMPARE(text("lblPosizione"), QStringLiteral("1"));
        QByteArray file = Sandbox::readFile(listPath());
        QCOMPARE(file.size(), 3696);
        QCOMPARE(file.mid(924 + 26, 5), QByteArray("\x04Iris"));
        QCOMPARE(file.mid(449, 6),
            QByteArray("\x05"
                       "12,50"));
        // Slots left empty are empty fields, their price the default text.
        QCOMPARE(file.at(462 + 26), char(0));
        QCOMPARE(file.mid(462 + 449, 5),
            QByteArray("\x04"
                       "0,00"));

        sb->clearMessages();
        box("txtNome_A")->setText(QStringLiteral("Rosa rossa"));
        click("cmdSalva");
        QCOMPARE(sb->messageTexts(), QStringList { kSaved });
        file = Sandbox::readFile(listPath());
        QCOMPARE(file.size(), 3696);
        QCOMPARE(PriceListFile::read(listPath(), 1).voci[0][TVoceListino::Nome], QStringLiteral("Rosa rossa"));
    }

    void newThenSaveAppendsAfterTheLastPage()
    {
        open(7);
        click("cmdPrimo");
        click("cmdAvanti");
        QCOMPARE(text("lblPosizione"), QStringLiteral("2"));
        click("cmdNuovo");
        QCOMPARE(text("lblPosizione"), QString());
        QCOMPARE(box("txtNome_A")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), box("txtNome_A"));
        typeSlotA();
        click("cmdSalva");
        QCOMPARE(text("lblPosizione"), QStringLiteral("8"));
        QCOMPARE(QFileInfo(listPath()).size(), 8 * 3696);
        QCOMPARE(PriceListFile::read(listPath(), 2).voci[0][TVoceListino::Nome], QStringLiteral("Pagina 2"));
    }

    void navigation_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("shown"); // 0: a new page
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("after"); // the page shown afterwards, "" for none, "=" for unchanged
        QTest::addColumn<bool>("noPagesMessage");

        for (const char *button : { "cmdPrimo", "cmdIndietro", "cmdAvanti", "cmdUltimo" })
            QTest::addRow("no pages, %s", button) << 0 << 0 << button << "=" << true;
        QTest::newRow("no pages, page shown, next") << 0 << 2 << "cmdAvanti"
                                                    << "" << true;
        QTest::newRow("no pages, page shown, last") << 0 << 2 << "cmdUltimo"
                                                    << "=" << true;
        QTest::newRow("new, first") << 5 << 0 << "cmdPrimo"
                                    << "1" << false;
        QTest::newRow("new, previous") << 5 << 0 << "cmdIndietro"
                                       << "1" << false;
        QTest::newRow("new, next") << 5 << 0 << "cmdAvanti"
                                   << "1" << false;
        QTest::newRow("new, last") << 5 << 0 << "cmdUltimo"
                                   << "5" << false;
        QTest::newRow("3, first") << 5 << 3 << "cmdPrimo"
                                  << "1" << false;
        QTest::newRow("3, previous") << 5 << 3 << "cmdIndietro"
                                     << "2" << false;
        QTest::newRow("3, next") << 5 << 3 << "cmdAvanti"
                                 << "4" << false;
        QTest::newRow("3, last") << 5 << 3 << "cmdUltimo"
                                 << "5" << false;
        QTest::newRow("1, previous") << 5 << 1 << "cmdIndietro"
                                     << "=" << false;
        QTest::newRow("5, next") << 5 << 5 << "cmdAvanti"
                                 << "=" << false;
    }

    void navigation()
    {
        QFETCH(int, pages);
        QFETCH(int, shown);
        QFETCH(QString, button);
        QFETCH(QString, after);
        QFETCH(bool, noPagesMessage);
        open(pages);
        if (shown > 0) {
            if (pages > 0) {
                click("cmdPrimo");
                for (int i = 1; i < shown; ++i)
                    click("cmdAvanti");
            } else {
                control<QLabel>("lblPosizione")->setText(QString::number(shown));
            }
        }
        const QString before = text("lblPosizione");
        box("txtNome_A")->setText(QStringLiteral("scritto a mano"));
        sb->clearMessages();

        click(button);
        QCOMPARE(sb->messageTexts(), noPagesMessage ? QStringList { kNoPages } : QStringList());
        if (noPagesMessage)
            QCOMPARE(sb->messages.first().kind, Msg::Kind::Information);
        if (after == QLatin1String("=")) {
            QCOMPARE(text("lblPosizione"), before);
            QCOMPARE(box("txtNome_A")->text(), QStringLiteral("scritto a mano"));
        } else if (after.isEmpty()) {
            QCOMPARE(text("lblPosizione"), QString());
        } else {
            QCOMPARE(text("lblPosizione"), after);
            QCOMPARE(box("txtNome_A")->text(), QStringLiteral("Pagina ") + after);
            QCOMPARE(box("txtPrezzo_H")->text(), after + QStringLiteral(",00"));
        }
        QCOMPARE(QFileInfo(listPath()).size(), pages * 3696);
    }

    void archiveFailuresKeepTheScreen_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Os::Faults::Kind>("failing");
        using K = Os::Faults::Kind;
        QTest::newRow("save, open") << "cmdSalva" << K::Open;
        QTest::newRow("save, write") << "cmdSalva" << K::Write;
        QTest::newRow("last, read") << "cmdUltimo" << K::Read;
        QTest::newRow("first, open") << "cmdPrimo" << K::Open;
        QTest::newRow("next, close") << "cmdAvanti" << K::Close;
    }

    void archiveFailuresKeepTheScreen()
    {
        QFETCH(QString, button);
        QFETCH(Os::Faults::Kind, failing);
        open(3);
        typeSlotA();
        const QByteArray before = Sandbox::readFile(listPath());
        Os::Faults::arm({ .kind = failing, .call = 1, .path = ".lis", .lasting = true });
        click(button);
        Os::Faults::disarm();
        QCOMPARE(sb->messageTexts(), QStringList { Msg::archiveMessage() });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Error);
        QCOMPARE(text("lblPosizione"), QString());
        QCOMPARE(box("txtNome_A")->text(), QStringLiteral("Rosa"));
        QCOMPARE(Sandbox::readFile(listPath()), before);
        QVERIFY(!QDir(sb->path("Foto_Listino")).exists());
    }

    void enterMovesAlongTheChain()
    {
        open(0);
        QStringList expected;
        for (int round = 0; round < 2; ++round)
            for (QChar x : kLetters)
                for (const char *stem : { "txtNome_", "txtUM_", "txtCaratteristiche_", "txtCodice_", "txtPrezzo_" })
                    expected << QLatin1String(stem) + x;
        expected = expected.mid(1, 41); // from txtUM_A round to txtNome_A and one step on
        box("txtNome_A")->setFocus();
        // The box with the cursor is yellow, the others white, all with a sky-blue border.
        QCOMPARE(box("txtNome_A")->grab().toImage().pixelColor(1, 1), QColor(0xFFFFFF00u));
        QCOMPARE(box("txtUM_A")->grab().toImage().pixelColor(1, 1), QColor(Qt::white));
        QCOMPARE(box("txtUM_A")->grab().toImage().pixelColor(0, 11), QColor(0xFF87CEEBu));
        QStringList visited;
        for (int i = 0; i < 41; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        QVERIFY(sb->messages.isEmpty());
    }

    void priceBoxesTakeMoneyOnly_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << "7"
                               << "7,00";
        QTest::newRow("rounded") << "3,999"
                                 << "4,00";
        QTest::newRow("letters and stops dropped") << "1a.5,b2"
                                                   << "15,20";
        QTest::newRow("emptied") << ""
                                 << "0,00";
        QTest::newRow("home, end and tab dropped") << "12\x01"
                                                      "3\x02"
                                                      "4\t5"
                                                   << "12345,00";
    }

    void priceBoxesTakeMoneyOnly()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        open(0);
        QLineEdit *price = box("txtPrezzo_C");
        price->setFocus();
        price->selectAll();
        QTest::keyClick(price, Qt::Key_Backspace);
        for (QChar c : keys) {
            if (c == QLatin1Char('\x01'))
                QTest::keyClick(price, Qt::Key_Home);
            else if (c == QLatin1Char('\x02'))
                QTest::keyClick(price, Qt::Key_End);
            else if (c == QLatin1Char('\t'))
                QTest::keyClick(price, Qt::Key_Tab);
            else
                QTest::keyClicks(price, QString(c));
            QCOMPARE(QApplication::focusWidget(), price);
        }
        QTest::keyClick(price, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), box("txtNome_D"));
        QCOMPARE(price->text(), shown);
    }

    void statusLineNamesTheControlUnderTheMouse()
    {
        open(0);
        auto *panInfo = control<QLabel>("panInfo");
        const struct
        {
            const char *control;
            const char *status;
        } hints[] = {
            { "cmdNuovo", "Prepara la schermata per l'inserimento di una nuova scheda." },
            { "cmdSalva", "Salva la scheda corrente." },
            { "cmdAnteprima", "Visualizza l'anteprima di stampa." },
            { "cmdStampa", "Stampa la scheda corrente." },
            { "cmdPrimo", "Visualizza la prima scheda in archivio." },
            { "cmdIndietro", "Visualizza la scheda precedente in archivio." },
            { "cmdAvanti", "Visualizza la scheda successiva in archivio." },
            { "cmdUltimo", "Visualizza l'ultima scheda in archivio." },
            { "cmdGuida", "Visualizza la pagina della guida sensibile al contesto." },
            { "cmdEsci", "Esci da questa schermata di lavoro." },
            { "imgFoto_C", "Carica una foto esistente. Puoi anche incollarla con Ctrl+V o trascinarla qui." },
            { "impProdotto_G", "Importa l'articolo dal magazzino." },
            { "txtNome_B", "Importa l'articolo dal magazzino." }, // text boxes leave it as it was
            { "bkgProdotto_05", "" },
            { "txtUM_A", "" },
        };
        for (const auto &h : hints) {
            QWidget *w = control(QLatin1String(h.control));
            // The slot background is reached between its photo and its boxes.
            const bool background = QByteArray(h.control).startsWith("bkg");
            QTest::mouseMove(w, background ? QPoint(152, 60) : w->rect().center());
            QTRY_COMPARE(panInfo->text(), QString::fromUtf8(h.status));
        }
    }

    void choosingAPhoto()
    {
        open(0);
        const QImage blank = ed->blankPicture();
        click("imgFoto_B");
        QCOMPARE(sb->fileDialogs.size(), 1);
        QCOMPARE(sb->fileDialogs.first().at(0),
            QStringLiteral("Selezionare un file di immagine in formato Jpeg o "
                           "Bitmap."));
        QCOMPARE(sb->fileDialogs.first().at(1),
            QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp"));
        QCOMPARE(photo('B')->picture(), blank);

        sb->nextFiles << makeJpeg(sb->path("grande.jpg"), QSize(1600, 900));
        click("imgFoto_B");
        QCOMPARE(photo('B')->picture().size(), QSize(1600, 900));
        click("imgFoto_B"); // cancelled: the photo stays
        QCOMPARE(photo('B')->picture().size(), QSize(1600, 900));

        // A file that cannot be shown is refused with a word; the slot keeps its photo for the next Salva.
        Sandbox::writeFile(sb->path("rotta.jpg"), "non una foto");
        sb->nextFiles << sb->path("rotta.jpg");
        click("imgFoto_B");
        QCOMPARE(photo('B')->picture().size(), QSize(1600, 900));
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("Impossibile mostrare la foto scelta: il file \u00e8 danneggiato, troppo "
                                         "grande o non \u00e8 un'immagine JPEG o Bitmap. La foto del prodotto non "
                                         "\u00e8 stata cambiata.") });
        QCOMPARE(sb->messages.last().kind, Msg::Kind::Warning);
    }

    void savedPhotosAreStretchedAndComeBack()
    {
        open(0);
        sb->nextFiles << makeJpeg(sb->path("grande.jpg"), QSize(1600, 900), Qt::red);
        click("imgFoto_A");
        typeSlotA();
        click("cmdSalva");
        for (QChar x : kLetters)
            QCOMPARE(fileSize(QStringLiteral("Foto_Listino/Fiori_Foto_%1_1.jpg").arg(x)), QSize(366, 274));
        QCOMPARE(QDir(sb->path("Foto_Listino")).entryList(QDir::Files).size(), 8);
        QCOMPARE(photo('A')->picture().size(), QSize(1600, 900)); // the box keeps the photo chosen

        // Back on the page, the boxes hold the pictures read back; a missing file shows blank.
        QFile::remove(sb->path("Foto_Listino/Fiori_Foto_C_1.jpg"));
        click("cmdNuovo");
        click("cmdPrimo");
        QCOMPARE(photo('A')->picture().size(), QSize(366, 274));
        const QColor middle = photo('A')->picture().pixelColor(183, 137);
        QVERIFY(middle.red() > 200 && middle.green() < 60);
        QCOMPARE(photo('B')->picture().size(), QSize(366, 274));
        QCOMPARE(photo('C')->picture(), ed->blankPicture());
        QCOMPARE(sb->messageTexts(), QStringList { kInserted });
    }

    void photosThatCannotBeWrittenAreReported()
    {
        open(0);
        Sandbox::writeFile(sb->path("Foto_Listino"), "un file al posto della cartella");
        sb->nextFiles << makeJpeg(sb->path("grande.jpg"), QSize(400, 300));
        click("imgFoto_A");
        typeSlotA();
        click("cmdSalva");
        QCOMPARE(sb->messageTexts(),
            QStringList { "Attenzione: la scheda corrente è stata inserita in archivio, ma non è stato possibile "
                          "salvare una o più foto; il disco potrebbe essere pieno. Dopo aver liberato spazio "
                          "premere di nuovo Salva." });
        QCOMPARE(sb->messages.last().kind, Msg::Kind::Warning);
        QCOMPARE(text("lblPosizione"), QStringLiteral("1"));
        QCOMPARE(QFileInfo(listPath()).size(), 3696);
        QCOMPARE(photo('A')->picture().size(), QSize(400, 300)); // kept for the next Salva
        QCOMPARE(Sandbox::readFile(sb->path("Foto_Listino")), QByteArray("un file al posto della cartella"));
    }

    // A slot photo file that cannot be read shows blank and is left as it is by Salva; the others are written.
    void unreadableSlotPhotoSurvivesSalva()
    {
        open(1);
        QDir(sb->folder()).mkdir("Foto_Listino");
        const QByteArray whole
            = Sandbox::readFile(makeJpeg(sb->path("Foto_Listino/Fiori_Foto_C_1.jpg"), QSize(366, 274)));
        const QByteArray damaged = whole.left(whole.size() / 2);
        Sandbox::writeFile(sb->path("Foto_Listino/Fiori_Foto_C_1.jpg"), damaged);
        click("cmdPrimo");
        QCOMPARE(photo('C')->picture(), ed->blankPicture());
        typeSlotA();
        click("cmdSalva");
        QCOMPARE(sb->messageTexts(), QStringList { kSaved });
        QCOMPARE(Sandbox::readFile(sb->path("Foto_Listino/Fiori_Foto_C_1.jpg")), damaged);
        QCOMPARE(fileSize("Foto_Listino/Fiori_Foto_D_1.jpg"), QSize(366, 274));

        // A picture chosen for the slot replaces it.
        sb->nextFiles << makeJpeg(sb->path("nuova.jpg"), QSize(400, 300));
        click("imgFoto_C");
        click("cmdSalva");
        QCOMPARE(fileSize("Foto_Listino/Fiori_Foto_C_1.jpg"), QSize(366, 274));
    }

    void warehousePhotoOfTheImportedCard()
    {
        open(0);
        makeJpeg(sb->path("12.jpg"), QSize(640, 480));
        control<QLabel>("lblRecord")->setText(QStringLiteral(" 12 "));
        ed->loadWarehousePhoto('E');
        QCOMPARE(photo('E')->picture().size(), QSize(640, 480));
        control<QLabel>("lblRecord")->setText(QStringLiteral("13"));
        ed->loadWarehousePhoto('E');
        QCOMPARE(photo('E')->picture(), ed->blankPicture());
        QVERIFY(sb->messages.isEmpty());
    }

    void printingWritesAndReloadsTheThumbnails_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("preview") << "cmdAnteprima";
        QTest::newRow("print") << "cmdStampa";
    }

    void printingWritesAndReloadsTheThumbnails()
    {
        QFETCH(QString, button);
        open(0);
        sb->nextFiles << makeJpeg(sb->path("grande.jpg"), QSize(1600, 900));
        click("imgFoto_D");
        onNextModal([](QWidget *w) { w->close(); });
        click(button);
        for (QChar x : kLetters) {
            QCOMPARE(fileSize(QStringLiteral("Foto_Listino/Fiori_Anteprima_%1.jpg").arg(x)), QSize(366, 274));
            QCOMPARE(photo(x)->picture().size(), QSize(366, 274));
        }
        QCOMPARE(QDir(sb->path("Foto_Listino")).entryList(QDir::Files).size(), 8); // no slot photos on a new page
        QVERIFY(sb->messages.isEmpty());
    }

    void aThumbnailThatCannotBeWrittenStopsThePass()
    {
        open(0);
        QDir(sb->folder()).mkpath("Foto_Listino/Fiori_Anteprima_C.jpg"); // a folder: the file cannot be written
        makeJpeg(sb->path("Foto_Listino/Fiori_Anteprima_D.jpg"), QSize(50, 50)); // left from an earlier print
        sb->nextFiles << makeJpeg(sb->path("grande.jpg"), QSize(1600, 900));
        click("imgFoto_D");
        onNextModal([](QWidget *w) { w->close(); });
        click("cmdAnteprima");
        QCOMPARE(photo('A')->picture().size(), QSize(366, 274));
        QCOMPARE(photo('B')->picture().size(), QSize(366, 274));
        QCOMPARE(photo('C')->picture(), ed->blankPicture());
        QCOMPARE(photo('D')->picture().size(), QSize(1600, 900));
        QCOMPARE(fileSize("Foto_Listino/Fiori_Anteprima_D.jpg"), QSize(50, 50));
        QVERIFY(!QFile::exists(sb->path("Foto_Listino/Fiori_Anteprima_E.jpg")));
        QVERIFY(sb->messages.isEmpty());
    }
};

VETRINOVA_TEST_MAIN(TestListinoPrezzi)
#include "tst_listinoprezzi.moc"
