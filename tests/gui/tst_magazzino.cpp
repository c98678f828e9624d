#include "app/Calendario.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/ArchiveFile.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Faults.h"
#include "tests/support/TestSupport.h"
#include "warehouse/Magazzino.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/DialogWindow.h"
#include "widgets/PhotoBox.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>

using F = TSchedaProdotto::Field;

namespace {
const QString Appended = QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.");
const QString Overwritten
    = QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio.");
const QString AppendedWithoutPhoto = QStringLiteral(
    "Attenzione: la scheda corrente \u00e8 stata inserita in archivio, ma non \u00e8 stato possibile salvarne la foto; "
    "il disco potrebbe essere pieno. Dopo aver liberato spazio premere di nuovo Salva.");
const QString PhotoNotSaved
    = QStringLiteral("Attenzione: non \u00e8 stato possibile salvare la foto; il disco potrebbe essere pieno.");
const QString PhotoNotShown = QStringLiteral("Impossibile mostrare la foto scelta: il file \u00e8 danneggiato, troppo "
                                             "grande o non \u00e8 un'immagine JPEG o Bitmap. La foto della scheda "
                                             "non \u00e8 stata cambiata.");
const QString EmptyArchive = QStringLiteral("L'archivio non contiene nessuna scheda.");

TSchedaProdotto card(const QString &code, const QString &paid = QStringLiteral("No"))
{
    TSchedaProdotto c;
    c[F::Codice] = code;
    c[F::Costo] = QStringLiteral("1,00");
    c[F::Nome] = QStringLiteral("Nome ") + code;
    c[F::Giacenza] = QStringLiteral("5");
    c[F::UM] = QStringLiteral("Sfuso");
    c[F::Tipologia] = QStringLiteral("Varie");
    c[F::Caratteristiche] = QStringLiteral("Blu");
    c[F::Prezzo] = QStringLiteral("2,00");
    c[F::Pagato] = paid;
    return c;
}

QByteArray recordBytes(const QByteArray &file, int number)
{
    return file.mid((number - 1) * TSchedaProdotto::RecordSize, TSchedaProdotto::RecordSize);
}
} // namespace

class TestMagazzino : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    TfrmMagazzino *m = nullptr;

    QLineEdit *box(const QString &name) const { return ownControl<QLineEdit>(m, name); }
    QLabel *label(const QString &name) const { return ownControl<QLabel>(m, name); }
    QCheckBox *chkPagato() const { return ownControl<QCheckBox>(m, QStringLiteral("chkPagato")); }
    QImage photo() const { return ownControl<PhotoBox>(m, QStringLiteral("imgFoto"))->picture(); }
    QString position() const { return label(QStringLiteral("lblPosizione"))->text(); }

    static QString focusName()
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    void click(const QString &name)
    {
        QWidget *w = ownControl<QWidget>(m, name);
        QVERIFY2(w, qPrintable(name));
        QTest::mouseClick(w, Qt::LeftButton);
    }

    /** Runs `drive` on the modal dialog about to open, then makes sure it is closed. */
    void onNextDialog(std::function<void(QDialog *)> drive, bool *leftOpen = nullptr)
    {
        QTimer::singleShot(0, this, [drive, leftOpen] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            drive(dialog);
            if (leftOpen)
                *leftOpen = dialog->isVisible();
            if (dialog->isVisible())
                dialog->reject();
        });
    }

    /** Fills the seven boxes a save needs. */
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

    void appendCards(int n)
    {
        for (int i = 1; i <= n; ++i)
            WarehouseArchive::append(card(QStringLiteral("C%1").arg(i)));
    }

    QByteArray archive() const { return Sandbox::readFile(warehousePath()); }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
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

    void boxesHaveTheirPlaceAndWidth_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("codice") << "txtCodice" << QRect(420, 114, 266, 22) << 25;
        QTest::newRow("costo") << "txtCosto" << QRect(700, 114, 122, 22) << 12;
        QTest::newRow("nome") << "txtNome" << QRect(420, 170, 402, 22) << 50;
        QTest::newRow("giacenza") << "txtGiacenza" << QRect(420, 226, 100, 22) << 4;
        QTest::newRow("avviso") << "txtAvviso" << QRect(628, 226, 98, 22) << 3;
        QTest::newRow("um") << "txtUM" << QRect(420, 282, 194, 22) << 120;
        QTest::newRow("tipologia") << "txtTipologia" << QRect(628, 282, 194, 22) << 50;
        QTest::newRow("caratteristiche") << "txtCaratteristiche" << QRect(420, 338, 402, 22) << 250;
        QTest::newRow("collocazione") << "txtCollocazione" << QRect(420, 394, 402, 22) << 50;
        QTest::newRow("ditta") << "txtDitta" << QRect(32, 458, 374, 22) << 50;
        QTest::newRow("agente") << "txtAgente" << QRect(420, 458, 194, 22) << 50;
        QTest::newRow("recapito") << "txtRecapito" << QRect(628, 458, 194, 22) << 30;
        QTest::newRow("documento") << "txtDocumento" << QRect(32, 514, 374, 22) << 50;
        QTest::newRow("pagamento") << "txtPagamento" << QRect(420, 514, 242, 22) << 50;
        QTest::newRow("datasca") << "txtDataSca" << QRect(44, 580, 150, 22) << 10;
        QTest::newRow("note") << "txtNote" << QRect(252, 580, 405, 22) << 250;
        QTest::newRow("prezzo") << "txtPrezzo" << QRect(688, 580, 122, 22) << 12;
    }

    void boxesHaveTheirPlaceAndWidth()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(int, maxLength);
        QLineEdit *edit = box(name);
        QVERIFY(edit);
        QCOMPARE(edit->parentWidget(), m->panel());
        QCOMPARE(edit->geometry(), geometry);
        QCOMPARE(BoxBehaviour::of(edit)->typingLimit(), maxLength);
        auto *highlight = ownControl<QWidget>(m, QStringLiteral("eff") + name.mid(3));
        QVERIFY(highlight);
        QCOMPARE(highlight->geometry(), geometry.adjusted(-4, -4, 4, 4));
        edit->setFocus();
        QTRY_VERIFY(highlight->isVisible());
        box(name == QLatin1String("txtNote") ? QStringLiteral("txtCodice") : QStringLiteral("txtNote"))->setFocus();
        QTRY_VERIFY(!highlight->isVisible());
    }

    void tabAndEnterOrders()
    {
        const QStringList tabs = { "txtCodice", "txtCosto", "txtNome", "txtGiacenza", "btnAggiungi", "btnSottrai",
            "txtAvviso", "txtUM", "txtTipologia", "txtCaratteristiche", "txtCollocazione", "txtDitta", "txtAgente",
            "txtRecapito", "txtDocumento", "txtPagamento", "chkPagato", "txtDataSca", "txtNote", "txtPrezzo" };
        box(QStringLiteral("txtCodice"))->setFocus();
        QStringList seen = { focusName() };
        for (int i = 1; i < tabs.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << focusName();
        }
        QCOMPARE(seen, tabs);

        const QStringList enters = { "txtCodice", "txtCosto", "txtNome", "txtGiacenza", "txtAvviso", "txtUM",
            "txtTipologia", "txtCaratteristiche", "txtCollocazione", "txtDitta", "txtAgente", "txtRecapito",
            "txtDocumento", "txtPagamento", "txtDataSca" };
        box(QStringLiteral("txtCodice"))->setFocus();
        seen = QStringList { focusName() };
        for (int i = 1; i < enters.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            seen << focusName();
        }
        QCOMPARE(seen, enters);
        box(QStringLiteral("txtNote"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("txtPrezzo"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("txtCodice"));
    }

    void moneyAndQuantityBoxes()
    {
        QLineEdit *costo = box(QStringLiteral("txtCosto"));
        costo->setFocus();
        costo->clear();
        QTest::keyClicks(costo, QStringLiteral("a5."));
        QCOMPARE(costo->text(), QStringLiteral("5"));
        QTest::keyClick(costo, Qt::Key_Return);
        QCOMPARE(costo->text(), QStringLiteral("5,00"));
        QLineEdit *giacenza = box(QStringLiteral("txtGiacenza"));
        giacenza->setFocus();
        giacenza->clear();
        QTest::keyClicks(giacenza, QStringLiteral("0,04"));
        QCOMPARE(giacenza->text(), QStringLiteral("004"));
        QTest::keyClick(giacenza, Qt::Key_Return);
        QCOMPARE(giacenza->text(), QStringLiteral("4"));
    }

    void savingAppendsThenOverwrites()
    {
        appendCards(2);
        fillRequired();
        box(QStringLiteral("txtGiacenza"))->clear();
        box(QStringLiteral("txtAvviso"))->setText(QStringLiteral("  "));
        chkPagato()->setChecked(true);
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Appended });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Information);
        QCOMPARE(position(), QStringLiteral("3"));
        QCOMPARE(archive().size(), 3 * 2592);
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), QStringLiteral("0"));
        TSchedaProdotto stored = WarehouseArchive::read(3);
        QCOMPARE(stored[F::Codice], QStringLiteral("ART-1"));
        QCOMPARE(stored[F::Giacenza], QStringLiteral("0"));
        QCOMPARE(stored[F::Avviso], QStringLiteral("0"));
        QCOMPARE(recordBytes(archive(), 3).mid(1083, 3), QByteArray("\x02\x53\xEC"));
        // A card without a photo gets the placeholder as its photo file.
        QCOMPARE(loadPicture(sb->path(QStringLiteral("3.jpg"))).size(), QSize(366, 274));

        sb->clearMessages();
        box(QStringLiteral("txtNome"))->setText(QStringLiteral("Vaso grande"));
        chkPagato()->setChecked(false);
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Overwritten });
        QCOMPARE(position(), QStringLiteral("3"));
        QCOMPARE(archive().size(), 3 * 2592);
        stored = WarehouseArchive::read(3);
        QCOMPARE(stored[F::Nome], QStringLiteral("Vaso grande"));
        QCOMPARE(stored[F::Pagato], QStringLiteral("No"));
        QCOMPARE(WarehouseArchive::read(2)[F::Codice], QStringLiteral("C2"));
    }

    void saveNeedsSevenBoxesInOrder_data()
    {
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("warning");
        const QString w = QStringLiteral("Attenzione: per salvare la scheda \u00e8 necessario indicare ");
        QTest::newRow("everything") << QStringList { "txtCodice", "txtCosto", "txtNome", "txtUM", "txtTipologia",
            "txtCaratteristiche", "txtPrezzo" }
                                    << "txtCodice" << w + "il codice articolo.";
        QTest::newRow("cost and price") << QStringList { "txtCosto", "txtPrezzo" } << "txtCosto"
                                        << w + "il costo unitario.";
        QTest::newRow("name and later") << QStringList { "txtNome", "txtTipologia", "txtPrezzo" } << "txtNome"
                                        << w + "il nome del prodotto.";
        QTest::newRow("appearance only") << QStringList { "txtUM" } << "txtUM" << w + "l'aspetto esteriore del bene.";
        QTest::newRow("category blank") << QStringList { "txtTipologia" } << "txtTipologia"
                                        << w + "la categoria merceologica.";
        QTest::newRow("characteristics") << QStringList { "txtCaratteristiche", "txtPrezzo" } << "txtCaratteristiche"
                                         << w + "le caratteristiche del prodotto.";
        QTest::newRow("price") << QStringList { "txtPrezzo" } << "txtPrezzo" << w + "il prezzo di vendita.";
    }

    void saveNeedsSevenBoxesInOrder()
    {
        QFETCH(QStringList, emptied);
        QFETCH(QString, focus);
        QFETCH(QString, warning);
        fillRequired();
        // Blanks and control characters count as empty.
        for (const QString &name : emptied)
            box(name)->setText(name == QLatin1String("txtTipologia") ? QStringLiteral(" \t ") : QString());
        box(QStringLiteral("txtNote"))->setFocus();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messages.size(), 1);
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
        QCOMPARE(sb->messages.first().text, warning);
        QCOMPARE(focusName(), focus);
        QVERIFY(archive().isEmpty());
        QCOMPARE(position(), QString());
        QVERIFY(!QFile::exists(sb->path(QStringLiteral("1.jpg"))));
    }

    void photoFromAndToFiles()
    {
        const QImage placeholder = m->placeholderPicture();
        QCOMPARE(photo(), placeholder);
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("grande.jpg")), QSize(800, 600));
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(sb->fileDialogs.last(),
            (QStringList { "Selezionare un file di immagine in formato Jpeg o Bitmap.",
                "Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp", QString(), QString() }));
        QCOMPARE(photo().size(), QSize(800, 600));
        // Cancelling keeps the photo.
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(photo().size(), QSize(800, 600));

        const QString copy = sb->path(QStringLiteral("copia.jpg"));
        sb->nextFiles << copy;
        click(QStringLiteral("btnSalvaFoto"));
        QCOMPARE(sb->fileDialogs.last(),
            (QStringList { "Selezionare la cartella in cui si desidera salvare il file Jpeg.",
                "File Jpeg (*.jpg)|*.jpg", "Foto.jpg", "jpg" }));
        QCOMPARE(loadPicture(copy).size(), QSize(800, 600));
        // A name typed without a suffix gets the photo's.
        sb->nextFiles << sb->path(QStringLiteral("senza"));
        click(QStringLiteral("btnSalvaFoto"));
        QCOMPARE(loadPicture(sb->path(QStringLiteral("senza.jpg"))).size(), QSize(800, 600));

        // The card's photo goes with the save and comes back with the card.
        fillRequired();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(loadPicture(sb->path(QStringLiteral("1.jpg"))).size(), QSize(800, 600));
        click(QStringLiteral("btnNuovo"));
        QCOMPARE(photo(), placeholder);
        click(QStringLiteral("cmdPrimo"));
        QCOMPARE(photo().size(), QSize(800, 600));
        click(QStringLiteral("btnCancFoto"));
        QCOMPARE(photo(), placeholder);

        // A file that is no picture is refused with a word, and the photo on screen stays.
        Sandbox::writeFile(sb->path(QStringLiteral("rotta.jpg")), "not a picture");
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("b.jpg")), QSize(50, 40)) << sb->path("rotta.jpg");
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(photo().size(), QSize(50, 40));
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(photo().size(), QSize(50, 40));
        QCOMPARE(sb->messageTexts(), (QStringList { Appended, PhotoNotShown }));
        QCOMPARE(sb->messages.last().kind, Msg::Kind::Warning);

        // A photo that cannot be written is reported and stays on screen.
        sb->clearMessages();
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("c.jpg")), QSize(50, 40));
        click(QStringLiteral("btnCaricaFoto"));
        QDir(sb->folder()).mkdir(QStringLiteral("cartella.jpg"));
        sb->nextFiles << sb->path(QStringLiteral("cartella.jpg"));
        click(QStringLiteral("btnSalvaFoto"));
        QCOMPARE(photo().size(), QSize(50, 40));
        QCOMPARE(sb->messageTexts(), QStringList { PhotoNotSaved });
        QCOMPARE(sb->messages.last().kind, Msg::Kind::Warning);
        QVERIFY(QFileInfo(sb->path(QStringLiteral("cartella.jpg"))).isDir());
    }

    void cardPhotoThatCannotBeWrittenIsReported()
    {
        QDir(sb->folder()).mkdir(QStringLiteral("1.jpg"));
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("a.jpg")), QSize(60, 40));
        click(QStringLiteral("btnCaricaFoto"));
        fillRequired();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { AppendedWithoutPhoto });
        QCOMPARE(sb->messages.last().kind, Msg::Kind::Warning);
        QCOMPARE(position(), QStringLiteral("1"));
        QCOMPARE(photo().size(), QSize(60, 40));

        // Once the way is free, Salva writes the photo kept on screen.
        QDir(sb->folder()).rmdir(QStringLiteral("1.jpg"));
        sb->clearMessages();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Overwritten });
        QCOMPARE(loadPicture(sb->path(QStringLiteral("1.jpg"))).size(), QSize(60, 40));
    }

    // A card's photo file that the card cannot show whole - a 48-megapixel camera photo, shown reduced, or
    // a damaged file, shown as the placeholder - is left as it is by Salva. Cancella foto then Salva is the
    // user's choice and writes the placeholder.
    void photoNotShownWholeSurvivesSalva_data()
    {
        QTest::addColumn<bool>("camera");
        QTest::newRow("48-megapixel camera photo") << true;
        QTest::newRow("damaged photo") << false;
    }

    void photoNotShownWholeSurvivesSalva()
    {
        QFETCH(bool, camera);
        const QString path = sb->path(QStringLiteral("1.jpg"));
        if (camera) {
            makeJpeg(path, QSize(8000, 6000));
        } else {
            const QByteArray whole = Sandbox::readFile(makeJpeg(path, QSize(400, 300)));
            Sandbox::writeFile(path, whole.left(whole.size() / 2));
        }
        const QByteArray before = Sandbox::readFile(path);
        appendCards(1);
        click(QStringLiteral("cmdPrimo"));
        if (camera)
            QCOMPARE(photo().size(), QSize(4000, 3000));
        else
            QCOMPARE(photo(), m->placeholderPicture());

        box(QStringLiteral("txtNome"))->setText(QStringLiteral("Cambiato"));
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Overwritten });
        QCOMPARE(WarehouseArchive::read(1)[F::Nome], QStringLiteral("Cambiato"));
        QCOMPARE(Sandbox::readFile(path), before);
        click(QStringLiteral("btnSalva"));
        QCOMPARE(Sandbox::readFile(path), before);

        click(QStringLiteral("btnCancFoto"));
        click(QStringLiteral("btnSalva"));
        QCOMPARE(loadPicture(path).size(), QSize(366, 274));
    }

    // "Carica foto" on a card with a good photo: a camera photo past the old size limit loads (reduced)
    // and becomes the photo; a file that cannot be shown is refused with a word and never replaces it.
    void aChosenPhotoReplacesTheCardsOnlyWhenShown_data()
    {
        QTest::addColumn<QSize>("chosen"); // an invalid size: a file that is no picture
        QTest::addColumn<QSize>("stored"); // the card's photo after Salva; invalid: the old file, untouched
        QTest::newRow("70-megapixel camera photo") << QSize(10240, 6840) << QSize(5120, 3420);
        QTest::newRow("a file that is no picture") << QSize() << QSize();
    }
    void aChosenPhotoReplacesTheCardsOnlyWhenShown()
    {
        QFETCH(QSize, chosen);
        QFETCH(QSize, stored);
        const QString path = sb->path(QStringLiteral("1.jpg"));
        const QByteArray good = Sandbox::readFile(makeJpeg(path, QSize(400, 300)));
        appendCards(1);
        click(QStringLiteral("cmdPrimo"));
        QCOMPARE(photo().size(), QSize(400, 300));
        const QString file = sb->path(QStringLiteral("scelta.jpg"));
        if (chosen.isValid())
            makeJpeg(file, chosen);
        else
            Sandbox::writeFile(file, "not a picture");
        sb->nextFiles << file;
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(photo().size(), stored.isValid() ? stored : QSize(400, 300));
        QCOMPARE(sb->messageTexts(), chosen.isValid() ? QStringList() : QStringList { PhotoNotShown });

        sb->clearMessages();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Overwritten });
        if (stored.isValid())
            QCOMPARE(loadPicture(path).size(), stored);
        else
            QCOMPARE(Sandbox::readFile(path), good);
    }

    void largeCameraPhotoLoadsFromFile()
    {
        sb->nextFiles << makeJpeg(sb->path(QStringLiteral("fotocamera.jpg")), QSize(8000, 6000));
        click(QStringLiteral("btnCaricaFoto"));
        QCOMPARE(photo().size(), QSize(4000, 3000));
        fillRequired();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(loadPicture(sb->path(QStringLiteral("1.jpg"))).size(), QSize(4000, 3000));
    }

    void navigation_data()
    {
        QTest::addColumn<int>("start"); // 0: a new card
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("shown");
        QTest::newRow("new, next") << 0 << "cmdAvanti" << 1;
        QTest::newRow("new, previous shows card 1") << 0 << "cmdIndietro" << 1;
        QTest::newRow("new, first") << 0 << "cmdPrimo" << 1;
        QTest::newRow("new, last") << 0 << "cmdUltimo" << 3;
        QTest::newRow("1, previous stays") << 1 << "cmdIndietro" << 1;
        QTest::newRow("1, next") << 1 << "cmdAvanti" << 2;
        QTest::newRow("2, previous") << 2 << "cmdIndietro" << 1;
        QTest::newRow("3, previous") << 3 << "cmdIndietro" << 2;
        QTest::newRow("3, next stays") << 3 << "cmdAvanti" << 3;
        QTest::newRow("3, first") << 3 << "cmdPrimo" << 1;
        QTest::newRow("2, last") << 2 << "cmdUltimo" << 3;
    }

    void navigation()
    {
        QFETCH(int, start);
        QFETCH(QString, button);
        QFETCH(int, shown);
        appendCards(3);
        if (start > 0)
            m->fillFromRecord(WarehouseArchive::read(start), start);
        else
            box(QStringLiteral("txtCodice"))->setText(QStringLiteral("typed"));
        // Something typed is dropped by a move but kept when the button does nothing.
        box(QStringLiteral("txtNote"))->setText(QStringLiteral("typed"));
        click(button);
        QVERIFY(sb->messages.isEmpty());
        QCOMPARE(position(), QString::number(shown));
        QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QStringLiteral("C%1").arg(shown));
        QCOMPARE(box(QStringLiteral("txtNote"))->text(), start == shown ? QStringLiteral("typed") : QString());
    }

    void navigationOnAnEmptyArchive_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("told");
        QTest::newRow("first") << "cmdPrimo"
                               << ""
                               << "" << true;
        QTest::newRow("last") << "cmdUltimo"
                              << "2"
                              << "2" << true;
        QTest::newRow("next empties the position") << "cmdAvanti"
                                                   << "2"
                                                   << "" << true;
        QTest::newRow("previous") << "cmdIndietro"
                                  << ""
                                  << "" << true;
        QTest::newRow("previous from 1 does nothing") << "cmdIndietro"
                                                      << "1"
                                                      << "1" << false;
    }

    void navigationOnAnEmptyArchive()
    {
        QFETCH(QString, button);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, told);
        label(QStringLiteral("lblPosizione"))->setText(before);
        box(QStringLiteral("txtCodice"))->setText(QStringLiteral("typed"));
        click(button);
        QCOMPARE(sb->messageTexts(), told ? QStringList { EmptyArchive } : QStringList());
        if (told) {
            QCOMPARE(sb->messages.first().kind, Msg::Kind::Information);
            // Browsing a fresh folder makes the empty archive.
            QVERIFY(QFile::exists(warehousePath()));
            QCOMPARE(archive().size(), 0);
        }
        QCOMPARE(position(), after);
        QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QStringLiteral("typed"));
    }

    void unknownPaidFlagKeepsTheTick()
    {
        WarehouseArchive::append(card(QStringLiteral("C1"), QStringLiteral("S\u00ec")));
        WarehouseArchive::append(card(QStringLiteral("C2"), QStringLiteral("Forse")));
        WarehouseArchive::append(card(QStringLiteral("C3"), QStringLiteral("No")));
        WarehouseArchive::append(card(QStringLiteral("C4"), QString()));
        const QList<std::pair<QString, bool>> steps
            = { { "cmdPrimo", true }, { "cmdAvanti", true }, { "cmdAvanti", false }, { "cmdIndietro", false },
                  { "cmdUltimo", false }, { "cmdPrimo", true }, { "cmdUltimo", true } };
        for (const auto &[button, ticked] : steps) {
            click(button);
            QCOMPARE(chkPagato()->isChecked(), ticked);
        }
    }

    void duplicatingASavedCard()
    {
        appendCards(3);
        TSchedaProdotto fourth = card(QStringLiteral("C4"), QStringLiteral("S\u00ec"));
        fourth[F::File01] = QStringLiteral("fattura.pdf");
        fourth[F::Desc02] = QStringLiteral("Scheda tecnica");
        fourth[F::DataSca] = QStringLiteral("31/01/2025");
        WarehouseArchive::append(fourth);
        makeJpeg(sb->path(QStringLiteral("4.jpg")), QSize(120, 90));
        click(QStringLiteral("cmdUltimo"));
        QCOMPARE(label(QStringLiteral("lblFile01"))->text(), QStringLiteral("fattura.pdf"));
        QCOMPARE(photo().size(), QSize(120, 90));
        const QByteArray before = archive();

        box(QStringLiteral("txtNote"))->setFocus();
        click(QStringLiteral("btnDuplica"));
        QCOMPARE(sb->messageTexts(),
            QStringList { "E' ora possibile apportare le proprie modifiche alla scheda corrente.\n\r\n\r"
                          "Al termine premere Salva per inserire la scheda in archivio." });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Information);
        QCOMPARE(position(), QString());
        for (const char *name : { "lblFile01", "lblFile02", "lblFile03", "lblDesc01", "lblDesc02", "lblDesc03" })
            QCOMPARE(label(QLatin1String(name))->text(), QString());
        QCOMPARE(photo(), m->placeholderPicture());
        QCOMPARE(focusName(), QStringLiteral("txtCodice"));
        QCOMPARE(box(QStringLiteral("txtNome"))->text(), QStringLiteral("Nome C4"));
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), QStringLiteral("5"));
        QCOMPARE(box(QStringLiteral("txtDataSca"))->text(), QStringLiteral("31/01/2025"));
        QVERIFY(chkPagato()->isChecked());

        sb->clearMessages();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Appended });
        QCOMPARE(position(), QStringLiteral("5"));
        QCOMPARE(archive().left(before.size()), before);
        const TSchedaProdotto copy = WarehouseArchive::read(5);
        QCOMPARE(copy[F::Nome], QStringLiteral("Nome C4"));
        QCOMPARE(copy[F::File01], QString());
        QCOMPARE(copy[F::Desc02], QString());
        QCOMPARE(copy[F::Pagato], QStringLiteral("S\u00ec"));
        QCOMPARE(loadPicture(sb->path(QStringLiteral("4.jpg"))).size(), QSize(120, 90));
    }

    void duplicaChoosesTheCodeAndShowsEveryBoxFromItsBeginning()
    {
        WarehouseArchive::append(card(QStringLiteral("CORTO-1")));
        click(QStringLiteral("cmdUltimo"));
        // The user has read one box to its end.
        QLineEdit *nome = box(QStringLiteral("txtNome"));
        nome->setFocus();
        nome->end(false);
        QVERIFY(nome->cursorPosition() > 0);
        click(QStringLiteral("btnDuplica"));
        QCOMPARE(focusName(), QStringLiteral("txtCodice"));
        QCOMPARE(box(QStringLiteral("txtCodice"))->selectedText(), QStringLiteral("CORTO-1"));
        for (QLineEdit *other : m->findChildren<QLineEdit *>())
            if (other->window() == m && other->objectName() != QLatin1String("txtCodice"))
                QVERIFY2(other->cursorPosition() == 0, qPrintable(other->objectName()));
        // The new code the message asks for replaces the old one.
        QTest::keyClicks(box(QStringLiteral("txtCodice")), "NUOVO-1");
        QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QStringLiteral("NUOVO-1"));
    }

    void aRequiredFieldWarningTidiesTheBoxItLeaves()
    {
        // The real warning box comes in front and the cursor moves on to the missing name.
        Msg::setHandler([this](Msg::Kind kind, const QString &text) {
            sb->messages.append({ kind, text });
            QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Ok, m);
            onNextModal([](QWidget *shown) { static_cast<QDialog *>(shown)->accept(); });
            box.exec();
            // The desktop gives the window back its activation a moment after the box closes.
            QTimer::singleShot(0, m, [this] { m->activateWindow(); });
            return QMessageBox::Ok;
        });
        click(QStringLiteral("btnNuovo"));
        QTRY_COMPARE(focusName(), QStringLiteral("txtCodice"));
        QTest::keyClicks(box(QStringLiteral("txtCodice")), "ART-6");
        QTest::keyClick(box(QStringLiteral("txtCodice")), Qt::Key_Return);
        QTest::keyClicks(box(QStringLiteral("txtCosto")), "6");
        click(QStringLiteral("btnSalva"));
        QTRY_COMPARE(focusName(), QStringLiteral("txtNome"));
        QCOMPARE(box(QStringLiteral("txtCosto"))->text(), QStringLiteral("6,00"));
        QCOMPARE(sb->messages.size(), 1);

        // The rest typed, the card saved holds the tidied cost.
        sb->clearMessages();
        const QString costo = box(QStringLiteral("txtCosto"))->text();
        fillRequired();
        box(QStringLiteral("txtCosto"))->setText(costo);
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Appended });
        QCOMPARE(WarehouseArchive::read(1)[F::Costo], QStringLiteral("6,00"));
    }

    void enterSelectsTheNextBoxSoTypingReplacesIt()
    {
        click(QStringLiteral("btnNuovo"));
        QTRY_COMPARE(focusName(), QStringLiteral("txtCodice"));
        QTest::keyClicks(box(QStringLiteral("txtCodice")), "ART-7");
        QTest::keyClick(box(QStringLiteral("txtCodice")), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("txtCosto"));
        QTest::keyClicks(box(QStringLiteral("txtCosto")), "12,5");
        QTest::keyClick(box(QStringLiteral("txtCosto")), Qt::Key_Return);
        QCOMPARE(box(QStringLiteral("txtCosto"))->text(), QStringLiteral("12,50"));
        QTest::keyClick(box(QStringLiteral("txtNome")), Qt::Key_Return);
        QCOMPARE(focusName(), QStringLiteral("txtGiacenza"));
        QTest::keyClicks(box(QStringLiteral("txtGiacenza")), "07");
        QTest::keyClick(box(QStringLiteral("txtGiacenza")), Qt::Key_Return);
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), QStringLiteral("7"));
    }

    void filledBoxesShowTheirBeginning()
    {
        TSchedaProdotto longer = card(QStringLiteral("C1"));
        longer[F::Caratteristiche] = QString(200, QLatin1Char('a')) + QStringLiteral(" fine");
        longer[F::Note] = QStringLiteral("Inizio ") + QString(200, QLatin1Char('b'));
        longer[F::Prezzo] = QStringLiteral("999999999999,00"); // as typed and normalised, cut when stored
        WarehouseArchive::append(longer);
        WarehouseArchive::append(longer);
        box(QStringLiteral("txtNote"))->setFocus(); // the box with the cursor too
        const auto allAtTheStart = [this] {
            for (QLineEdit *b : m->panel()->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(b->cursorPosition() == 0, qPrintable(b->objectName()));
        };
        click(QStringLiteral("cmdPrimo"));
        QCOMPARE(position(), QStringLiteral("1"));
        allAtTheStart();
        click(QStringLiteral("cmdAvanti"));
        QCOMPARE(position(), QStringLiteral("2"));
        allAtTheStart();
        click(QStringLiteral("btnDuplica"));
        allAtTheStart();

        // What the program puts into a box is not cut by the box's typing limit.
        box(QStringLiteral("txtPrezzo"))->setFocus();
        box(QStringLiteral("txtPrezzo"))->setText(QStringLiteral("999999999999"));
        box(QStringLiteral("txtNote"))->setFocus();
        QCOMPARE(box(QStringLiteral("txtPrezzo"))->text(), QStringLiteral("999999999999,00"));
    }

    void positionIsReadAsTheNumber()
    {
        appendCards(2);
        click(QStringLiteral("cmdUltimo"));
        QAccessibleInterface *position = QAccessible::queryAccessibleInterface(label(QStringLiteral("lblPosizione")));
        QVERIFY(position);
        QCOMPARE(position->text(QAccessible::Name), QStringLiteral("2"));
        QCOMPARE(position->text(QAccessible::Description), QStringLiteral("Numero della scheda"));
    }

    void paidBoxSitsOnItsRow()
    {
        // The mark and caption start at the row's top, not centred below it.
        QCOMPARE(chkPagato()->geometry().topLeft(), QPoint(736, 504));
        QVERIFY(chkPagato()->height() <= 24);
    }

    void duplicatingAnUnsavedCardWarns()
    {
        fillRequired();
        click(QStringLiteral("btnDuplica"));
        QCOMPARE(sb->messageTexts(),
            QStringList { "Attenzione: la duplicazione di una scheda pu\u00f2 avvenire soltanto "
                          "dopo che questa \u00e8 stata inserita in archivio." });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
        QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QStringLiteral("ART-1"));
    }

    void clearingTheCard_data()
    {
        QTest::addColumn<bool>("byShowing");
        QTest::newRow("Nuovo") << false;
        QTest::newRow("shown again") << true;
    }

    void clearingTheCard()
    {
        QFETCH(bool, byShowing);
        TSchedaProdotto full = card(QStringLiteral("C1"), QStringLiteral("S\u00ec"));
        full[F::File03] = QStringLiteral("x.pdf");
        full[F::Note] = QStringLiteral("nota");
        WarehouseArchive::append(full);
        makeJpeg(sb->path(QStringLiteral("1.jpg")), QSize(30, 20));
        click(QStringLiteral("cmdPrimo"));
        box(QStringLiteral("txtNote"))->setFocus();
        if (byShowing) {
            m->hide();
            m->handOverFrom(nullptr);
            m->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m));
        } else {
            click(QStringLiteral("btnNuovo"));
        }
        QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QString());
        QCOMPARE(box(QStringLiteral("txtNote"))->text(), QString());
        QCOMPARE(box(QStringLiteral("txtCosto"))->text(), QStringLiteral("0,00"));
        QCOMPARE(box(QStringLiteral("txtPrezzo"))->text(), QStringLiteral("0,00"));
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), QStringLiteral("0"));
        QCOMPARE(box(QStringLiteral("txtAvviso"))->text(), QStringLiteral("0"));
        QVERIFY(!chkPagato()->isChecked());
        QCOMPARE(label(QStringLiteral("lblFile03"))->text(), QString());
        QCOMPARE(photo(), m->placeholderPicture());
        QCOMPARE(position(), QString());
        // The window's own cursor: a window shown again gets it back when the system activates it.
        QVERIFY(m->focusWidget());
        QCOMPARE(m->focusWidget()->objectName(), QStringLiteral("txtCodice"));
    }

    void archiveFailureChangesNothing_data()
    {
        QTest::addColumn<bool>("folder"); // else the disk refuses to write
        QTest::newRow("archive is a folder") << true;
        QTest::newRow("write refused") << false;
    }

    void archiveFailureChangesNothing()
    {
        QFETCH(bool, folder);
        if (folder) {
            QDir(sb->folder()).mkdir(QStringLiteral("Magazzino.pro"));
        } else {
            appendCards(2);
            click(QStringLiteral("cmdUltimo"));
            Os::Faults::arm({ .kind = Os::Faults::Kind::Write, .call = 1, .path = "Magazzino.pro", .lasting = true });
        }
        const QByteArray before = folder ? QByteArray() : archive();
        const QString shown = position();
        fillRequired();
        click(QStringLiteral("btnSalva"));
        QCOMPARE(sb->messageTexts(), QStringList { Msg::archiveMessage() });
        QCOMPARE(sb->messages.first().kind, Msg::Kind::Error);
        QCOMPARE(position(), shown);

        sb->clearMessages();
        if (folder) {
            click(QStringLiteral("cmdPrimo"));
            QCOMPARE(box(QStringLiteral("txtCodice"))->text(), QStringLiteral("ART-1"));
            QVERIFY(QFileInfo(warehousePath()).isDir());
        } else {
            click(QStringLiteral("btnNuovo"));
            fillRequired();
            click(QStringLiteral("btnSalva"));
            QCOMPARE(position(), QString());
            QCOMPARE(archive(), before);
        }
        QCOMPARE(sb->messageTexts(), QStringList { Msg::archiveMessage() });
        for (const char *photoFile : { "1.jpg", "2.jpg", "3.jpg" })
            QVERIFY(!QFile::exists(sb->path(QLatin1String(photoFile))));
    }

    void stockDialog_data()
    {
        QTest::addColumn<QString>("cardStock");
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("dialogStock"); // null: as handed over
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<bool>("apply"); // else Calcola totale, then Annulla
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<bool>("refused");
        QTest::newRow("10 + 5") << "10" << true << QString() << "5" << true << "15"
                                << "15" << false;
        QTest::newRow("3 - 5") << "3" << false << QString() << "5" << true << "-2"
                               << "-2" << false;
        QTest::newRow("blank + 4") << "" << true << QString() << "4" << true << "4"
                                   << "4" << false;
        QTest::newRow("changed to 20, + 1") << "7" << true << "20"
                                            << "1" << true << "21"
                                            << "21" << false;
        QTest::newRow("total, then cancel") << "10" << true << QString() << "5" << false << "15"
                                            << "10" << false;
        QTest::newRow("quantity emptied") << "10" << false << QString() << "" << false << "10"
                                          << "10" << false;
        QTest::newRow("9999 + 1 refused") << "9999" << true << QString() << "1" << true << "10000"
                                          << "9999" << true;
        QTest::newRow("-999 - 1 refused") << "-999" << false << QString() << "1" << true << "-1000"
                                          << "-999" << true;
        QTest::newRow("-999 fits") << "1" << false << QString() << "1000" << true << "-999"
                                   << "-999" << false;
    }

    void stockDialog()
    {
        QFETCH(QString, cardStock);
        QFETCH(bool, add);
        QFETCH(QString, dialogStock);
        QFETCH(QString, quantity);
        QFETCH(bool, apply);
        QFETCH(QString, total);
        QFETCH(QString, shownAfter);
        QFETCH(bool, refused);
        box(QStringLiteral("txtGiacenza"))->setText(cardStock);
        QString handedStock, handedTotal, handedQuantity, operation, totalShown;
        bool leftOpen = false;
        onNextDialog(
            [&](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral(" Aggiornamento giacenza"));
                QCOMPARE(d->size(), QSize(364, 339));
                auto *stock = d->findChild<QLineEdit *>(QStringLiteral("txtGiacenza"));
                auto *qty = d->findChild<QLineEdit *>(QStringLiteral("txtAggiunta"));
                auto *tot = d->findChild<QLineEdit *>(QStringLiteral("txtTotale"));
                handedStock = stock->text();
                handedTotal = tot->text();
                handedQuantity = qty->text();
                operation = d->findChild<QLabel *>(QStringLiteral("lblAggiunta"))->text();
                if (!dialogStock.isNull())
                    stock->setText(dialogStock);
                qty->setText(quantity);
                QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnTotale")), Qt::LeftButton);
                totalShown = tot->text();
                if (quantity.isEmpty())
                    QCOMPARE(qty->text(), QStringLiteral("0"));
                QTest::mouseClick(
                    d->findChild<QPushButton *>(apply ? QStringLiteral("btnAggiorna") : QStringLiteral("btnChiudi")),
                    Qt::LeftButton);
            },
            &leftOpen);
        QTest::mouseClick(
            ownControl<QPushButton>(m, add ? QStringLiteral("btnAggiungi") : QStringLiteral("btnSottrai")),
            Qt::LeftButton);
        const QString expectedStart = cardStock.isEmpty() ? QStringLiteral("0") : cardStock;
        QCOMPARE(handedStock, expectedStart);
        QCOMPARE(handedTotal, expectedStart);
        QCOMPARE(handedQuantity, QStringLiteral("0"));
        QCOMPARE(operation,
            add ? QStringLiteral("Quantit\u00e0 da aggiungere:") : QStringLiteral("Quantit\u00e0 da sottrarre:"));
        QCOMPARE(totalShown, total);
        QCOMPARE(box(QStringLiteral("txtGiacenza"))->text(), shownAfter);
        QCOMPARE(leftOpen, refused);
        QCOMPARE(sb->messages.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(sb->messages.first().kind, Msg::Kind::Warning);
            QVERIFY(sb->messages.first().text.contains(total));
        }
        QVERIFY(archive().isEmpty());
    }

    void stockBoxesStartAfreshPastFifteenCharacters()
    {
        onNextDialog([](QDialog *d) {
            auto *stock = d->findChild<QLineEdit *>(QStringLiteral("txtGiacenza"));
            auto *qty = d->findChild<QLineEdit *>(QStringLiteral("txtAggiunta"));
            stock->clear();
            QTest::keyClicks(stock, QStringLiteral("12a3.4567890123456"));
            QCOMPARE(stock->text(), QStringLiteral("1234567890123456"));
            QTest::keyClick(stock, Qt::Key_Left);
            QTest::keyClick(stock, Qt::Key_Backspace);
            QCOMPARE(stock->text().size(), 15);
            QTest::keyClicks(stock, QStringLiteral("9"));
            QCOMPARE(stock->text().size(), 16);
            QTest::keyClicks(stock, QStringLiteral("7"));
            QCOMPARE(stock->text(), QStringLiteral("7"));
            QCOMPARE(qty->text(), QStringLiteral("0"));
            QTest::keyClicks(stock, QStringLiteral("000000000000000"));
            QTest::keyClicks(stock, QStringLiteral("x"));
            QCOMPARE(stock->text(), QString());
        });
        QTest::mouseClick(ownControl<QPushButton>(m, QStringLiteral("btnAggiungi")), Qt::LeftButton);
    }

    void datePicker()
    {
        QLineEdit *date = box(QStringLiteral("txtDataSca"));
        QVERIFY(date->isReadOnly());
        date->setFocus();
        QString memory;
        onNextDialog([&](QDialog *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral(" Importazione data"));
            QCOMPARE(d->size(), QSize(253, 294));
            memory = d->findChild<QLabel *>(QStringLiteral("lblMemory"))->text();
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnImportaData")), Qt::LeftButton);
        });
        QTest::keyClick(date, Qt::Key_Return);
        QCOMPARE(memory, QStringLiteral("datasca"));
        QCOMPARE(date->text(), QStringLiteral("07/01/2025"));

        onNextDialog([](QDialog *d) {
            d->findChild<QCalendarWidget *>(QStringLiteral("calAppuntamenti"))->setSelectedDate(QDate(2024, 3, 5));
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnImportaData")), Qt::LeftButton);
        });
        QTest::keyClick(date, Qt::Key_X);
        QCOMPARE(date->text(), QStringLiteral("05/03/2024"));

        onNextDialog([](QDialog *d) {
            d->findChild<QCalendarWidget *>(QStringLiteral("calAppuntamenti"))->setSelectedDate(QDate(2026, 1, 1));
            QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("btnAnnulla")), Qt::LeftButton);
        });
        QTest::keyClick(date, Qt::Key_5);
        QCOMPARE(date->text(), QStringLiteral("05/03/2024"));

        QTest::keyClick(date, Qt::Key_Backspace);
        QCOMPARE(date->text(), QString());
        date->setText(QStringLiteral("01/01/2025"));
        QTest::keyClick(date, Qt::Key_Delete);
        QCOMPARE(date->text(), QString());
        date->setText(QStringLiteral("01/01/2025"));
        click(QStringLiteral("delDataSca"));
        QCOMPARE(date->text(), QString());
    }

    void datePickerIgnoresAnUnknownCaller()
    {
        TfrmCalendario picker(m);
        picker.findChild<QLabel *>(QStringLiteral("lblMemory"))->setText(QStringLiteral("avvio"));
        picker.show();
        QTest::mouseClick(picker.findChild<QPushButton *>(QStringLiteral("btnImportaData")), Qt::LeftButton);
        QVERIFY(picker.isVisible());
        QCOMPARE(box(QStringLiteral("txtDataSca"))->text(), QString());
    }

    void zoomShowsThePhoto()
    {
        makeJpeg(sb->path(QStringLiteral("1.jpg")), QSize(400, 300));
        m->fillFromRecord(card(QStringLiteral("C1")), 1);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QSize area, pictureSize;
        QRect drawn;
        bool leftOpen = true;
        onNextDialog(
            [&](QDialog *d) {
                QCOMPARE(d->windowTitle(), QStringLiteral(" Fai clic sulla foto per chiudere questa finestra"));
                QCOMPARE(d->size(), screen);
                auto *image = d->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
                area = d->findChild<QWidget *>(QStringLiteral("panContainer"))->size();
                QCOMPARE(image->size(), area);
                pictureSize = image->picture().size();
                drawn = PhotoBox::drawnRect(pictureSize, image->size());
                QTest::mouseClick(image, Qt::LeftButton);
            },
            &leftOpen);
        click(QStringLiteral("btnZoomFoto"));
        QCOMPARE(area, QSize(screen.width() - 60, screen.height() - 90));
        QCOMPARE(pictureSize, QSize(400, 300));
        QCOMPARE(drawn.size(), QSize(400, 300));
        QCOMPARE(drawn.center(), QRect(QPoint(), area).center());
        QVERIFY(!leftOpen);

        click(QStringLiteral("btnCancFoto"));
        QImage zoomed;
        onNextDialog(
            [&](QDialog *d) {
                zoomed = d->findChild<PhotoBox *>(QStringLiteral("imgFoto"))->picture();
                QTest::mouseClick(
                    d->findChild<QWidget *>(QStringLiteral("panContainer")), Qt::LeftButton, {}, QPoint(2, 2));
            },
            &leftOpen);
        click(QStringLiteral("btnZoomFoto"));
        QCOMPARE(zoomed, m->placeholderPicture());
        QVERIFY(!leftOpen);
    }

    void statusLine_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text"); // null: left as it was
        QTest::newRow("salva") << "btnSalva"
                               << "Salva la scheda corrente.";
        QTest::newRow("scaduti") << "btnScaduti"
                                 << "Visualizza il riepilogo dei pagamenti non ancora saldati.";
        QTest::newRow("ultimo") << "cmdUltimo"
                                << "Visualizza l'ultima scheda in archivio.";
        QTest::newRow("sottrai") << "btnSottrai"
                                 << "Aggiorna la giacenza sottraendo una certa quantit\u00e0.";
        QTest::newRow("pagato") << "chkPagato"
                                << "Contrassegna questa casella per indicare che il pagamento \u00e8 stato effettuato.";
        QTest::newRow("data") << "txtDataSca"
                              << "Fai clic su questo campo e premi un tasto qualsiasi per importare una data dal "
                                 "calendario.";
        QTest::newRow("zoom") << "btnZoomFoto"
                              << "Visualizza la foto nelle sue dimensioni reali.";
        QTest::newRow("acquisisci") << "btnAcquisisciFoto"
                                    << "Acquisisci la foto da WebCam.";
        QTest::newRow("title") << "imgTitolo"
                               << "";
        QTest::newRow("photo") << "imgFoto"
                               << "Incolla una foto con Ctrl+V o trascinala qui; con il tasto destro puoi anche "
                                  "copiarla.";
        QTest::newRow("a text box") << "txtNome" << QString();
    }

    void statusLine()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QLabel *panInfo = label(QStringLiteral("panInfo"));
        panInfo->setText(QStringLiteral("before"));
        QWidget *w = ownControl<QWidget>(m, control);
        QVERIFY(w);
        QTest::mouseMove(w, w->rect().center());
        QTRY_COMPARE(panInfo->text(), text.isNull() ? QStringLiteral("before") : text);
    }

    void exitHandsBackToTheStartWindow()
    {
        click(QStringLiteral("btnEsci"));
        QVERIFY(!m->isVisible());
        QVERIFY(Forms::avvio()->isVisible());
    }
};

VETRINOVA_TEST_MAIN(TestMagazzino)
#include "tst_magazzino.moc"
