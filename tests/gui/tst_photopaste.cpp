#include "pricelist/ListinoPrezzi.h"
#include "pricelist/rules/SlotPhotos.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"
#include "tests/support/TestSupport.h"
#include "warehouse/Magazzino.h"
#include "widgets/PhotoBox.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

namespace {
// Ways of handing a picture file to a photo box other than "Carica foto".
enum class Way { PasteFile, PasteData, MenuPaste, DropFile };

QMimeData *fileOffer(const QString &path)
{
    auto *mime = new QMimeData;
    mime->setUrls({ QUrl::fromLocalFile(path) });
    return mime;
}

QMimeData *dataOffer(const QString &path)
{
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/jpeg"), Sandbox::readFile(path));
    return mime;
}

/** Sends the enter and drop of a drag carrying `mime`; true when the box took the drag. */
bool drop(QWidget *box, QMimeData *mime)
{
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &dropped);
    // A file manager deletes the user's file after a move.
    return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
}

/** Opens the box's context menu and triggers the action named `action`; false when it is disabled. */
bool fromMenu(PhotoBox *box, const QString &action)
{
    bool enabled = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        auto *a = menu->findChild<QAction *>(action);
        QVERIFY(a);
        enabled = a->isEnabled();
        menu->close();
        if (enabled)
            a->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, box->rect().center(), box->mapToGlobal(box->rect().center()));
    QApplication::sendEvent(box, &event);
    return enabled;
}

void give(PhotoBox *box, Way way, const QString &path)
{
    switch (way) {
    case Way::PasteFile:
        QGuiApplication::clipboard()->setMimeData(fileOffer(path));
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Way::PasteData:
        QGuiApplication::clipboard()->setMimeData(dataOffer(path));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Way::MenuPaste:
        QGuiApplication::clipboard()->setMimeData(fileOffer(path));
        QVERIFY(fromMenu(box, QStringLiteral("actIncollaFoto")));
        break;
    case Way::DropFile: {
        std::unique_ptr<QMimeData> mime(fileOffer(path));
        QVERIFY(drop(box, mime.get()));
        break;
    }
    }
}

/** A photo with detail, so a different scaling or encoding would show in the saved bytes. */
QString makePhoto(const QString &path, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int x = 0; x < size.width(); x += 7)
        p.fillRect(x, (x * 3) % size.height(), 5, size.height() / 3, QColor::fromHsv((x * 5) % 360, 200, 220));
    p.end();
    image.save(path, "JPG");
    return path;
}
} // namespace

Q_DECLARE_METATYPE(Way)

class TestPhotoPaste : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;

    static void addWays()
    {
        QTest::addColumn<Way>("way");
        QTest::newRow("Ctrl+V of a copied file") << Way::PasteFile;
        QTest::newRow("Ctrl+V of an image") << Way::PasteData;
        QTest::newRow("Incolla foto") << Way::MenuPaste;
        QTest::newRow("drop of a file") << Way::DropFile;
    }

    TfrmMagazzino *openWarehouse()
    {
        TfrmMagazzino *m = Forms::magazzino();
        m->handOverFrom(Forms::avvio());
        m->activateWindow();
        return QTest::qWaitForWindowActive(m) ? m : nullptr;
    }

    static void fillCard(TfrmMagazzino *m, const QString &code)
    {
        const QList<QPair<const char *, QString>> values
            = { { "txtCodice", code }, { "txtCosto", "3,50" }, { "txtNome", "Vaso" }, { "txtUM", "Scatola" },
                  { "txtTipologia", "Casa" }, { "txtCaratteristiche", "Ceramica" }, { "txtPrezzo", "7,00" } };
        for (const auto &[name, value] : values)
            m->findChild<QLineEdit *>(QLatin1String(name))->setText(value);
    }

    static void click(QWidget *window, const char *name)
    {
        QTest::mouseClick(window->findChild<QWidget *>(QLatin1String(name)), Qt::LeftButton);
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
        Forms::avvio()->show();
    }

    void cleanup()
    {
        Forms::destroyAll();
        QGuiApplication::clipboard()->clear();
        sb.reset();
    }

    void onTheCardAsCaricaFoto_data() { addWays(); }

    void onTheCardAsCaricaFoto()
    {
        QFETCH(Way, way);
        TfrmMagazzino *m = openWarehouse();
        QVERIFY(m);
        auto *imgFoto = m->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
        // Larger than the frame, so the box reduces it on screen while the card keeps it whole.
        const QString file = makePhoto(sb->path(QStringLiteral("foto.jpg")), QSize(900, 500));

        sb->nextFiles << file;
        click(m, "btnCaricaFoto");
        const QImage loaded = imgFoto->picture();
        QCOMPARE(loaded.size(), QSize(900, 500));
        fillCard(m, QStringLiteral("A"));
        click(m, "btnSalva");

        click(m, "btnNuovo");
        QCOMPARE(imgFoto->picture(), m->placeholderPicture());
        give(imgFoto, way, file);
        QCOMPARE(imgFoto->picture(), loaded);
        QVERIFY2(!QFile::exists(sb->path(QStringLiteral("2.jpg"))), "nothing is written before Salva");
        fillCard(m, QStringLiteral("B"));
        click(m, "btnSalva");
        QCOMPARE(WarehouseArchive::count(), 2);
        QCOMPARE(Sandbox::readFile(sb->path(QStringLiteral("2.jpg"))), Sandbox::readFile(sb->path("1.jpg")));
        for (const Sandbox::Shown &shown : sb->messages)
            QVERIFY2(!shown.text.contains(QLatin1String("foto")), qPrintable(shown.text));
    }

    void onASlotAsChoosingAFile_data() { addWays(); }

    void onASlotAsChoosingAFile()
    {
        QFETCH(Way, way);
        TfrmListinoPrezzi *ed = Forms::listinoPrezzi();
        const QString list = sb->path(QStringLiteral("Fiori.lis"));
        Sandbox::writeFile(list, QByteArray());
        ed->findChild<QLabel *>(QStringLiteral("lblFile"))->setText(list);
        ed->findChild<QLabel *>(QStringLiteral("lblNome"))->setText(QStringLiteral("Fiori"));
        ed->handOverFrom(Forms::avvio());
        // Slot A must be complete for the page to be saved.
        const QStringList stems { "txtNome_A", "txtUM_A", "txtCaratteristiche_A", "txtCodice_A", "txtPrezzo_A" };
        const QStringList values { "Rosa", "Vaso 18 cm", "Profumata", "ROS-18", "12,50" };
        for (int i = 0; i < stems.size(); ++i)
            ed->findChild<QLineEdit *>(stems[i])->setText(values[i]);
        const QString file = makePhoto(sb->path(QStringLiteral("foto.jpg")), QSize(500, 300));

        sb->nextFiles << file;
        ed->imgFotoClick(QLatin1Char('A'));
        auto *slotB = ed->findChild<PhotoBox *>(QStringLiteral("imgFoto_B"));
        give(slotB, way, file);
        QCOMPARE(slotB->picture(), ed->findChild<PhotoBox *>(QStringLiteral("imgFoto_A"))->picture());
        QCOMPARE(slotB->picture().size(), QSize(500, 300));
        QVERIFY(!QFile::exists(SlotPhotos::photoPath(QStringLiteral("Fiori"), QLatin1Char('B'), QStringLiteral("1"))));
        ed->cmdSalvaClick();
        QCOMPARE(sb->messageTexts(), QStringList { "La scheda corrente è stata inserita in archivio." });
        const QByteArray a
            = Sandbox::readFile(SlotPhotos::photoPath(QStringLiteral("Fiori"), QLatin1Char('A'), QStringLiteral("1")));
        QVERIFY(!a.isEmpty());
        QCOMPARE(
            Sandbox::readFile(SlotPhotos::photoPath(QStringLiteral("Fiori"), QLatin1Char('B'), QStringLiteral("1"))),
            a);
    }

    // What is not a usable picture changes nothing; a message only where nothing else would tell why.
    void whatIsNotAPictureChangesNothing()
    {
        TfrmMagazzino *m = openWarehouse();
        QVERIFY(m);
        auto *imgFoto = m->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
        const QImage before = imgFoto->picture();
        const QString text = sb->path(QStringLiteral("note.txt"));
        Sandbox::writeFile(text, "non è una foto");
        QByteArray jpeg = Sandbox::readFile(makePhoto(sb->path(QStringLiteral("intera.jpg")), QSize(200, 100)));
        const QString cut = sb->path(QStringLiteral("rotta.jpg"));
        Sandbox::writeFile(cut, jpeg.left(jpeg.size() / 2));
        QVERIFY(QDir(sb->folder()).mkdir(QStringLiteral("cartella")));

        // Dragging a text, a text file or a folder: the box refuses it before the drop, without a word.
        QMimeData words;
        words.setText(QStringLiteral("Vaso blu"));
        QVERIFY(!drop(imgFoto, &words));
        std::unique_ptr<QMimeData> textFile(fileOffer(text));
        QVERIFY(!drop(imgFoto, textFile.get()));
        std::unique_ptr<QMimeData> folder(fileOffer(sb->path(QStringLiteral("cartella"))));
        QVERIFY(!drop(imgFoto, folder.get()));
        QVERIFY(sb->messages.isEmpty());

        // A damaged photo is taken, fails to load and says so once the drop is over.
        std::unique_ptr<QMimeData> damaged(fileOffer(cut));
        QVERIFY(drop(imgFoto, damaged.get()));
        QTRY_COMPARE(sb->messageTexts(),
            QStringList { "Impossibile usare la foto: il file è danneggiato, troppo grande o non è un'immagine." });
        QCOMPARE(imgFoto->picture(), before);

        // Ctrl+V with no picture on the clipboard would otherwise do nothing visible.
        sb->clearMessages();
        QGuiApplication::clipboard()->setText(QStringLiteral("Vaso blu"));
        QVERIFY(!fromMenu(imgFoto, QStringLiteral("actIncollaFoto")));
        QTest::keyClick(imgFoto, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(sb->messageTexts(), QStringList { "Negli appunti non c'è una foto da incollare." });
        QCOMPARE(imgFoto->picture(), before);
        QVERIFY(!QFile::exists(sb->path(QStringLiteral("1.jpg"))));
    }

    void copyPutsTheShownPhotoOnTheClipboard()
    {
        TfrmMagazzino *m = openWarehouse();
        QVERIFY(m);
        auto *imgFoto = m->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
        sb->nextFiles << makePhoto(sb->path(QStringLiteral("foto.jpg")), QSize(300, 200));
        click(m, "btnCaricaFoto");
        // A click gives the photo the focus, so the keys act on it; the Tab order does not change.
        QTest::mouseClick(imgFoto, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), imgFoto);
        QCOMPARE(imgFoto->focusPolicy(), Qt::ClickFocus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->image(), imgFoto->picture());

        // The menu's copy into a slot of the page editor: the same picture, ready for its Salva.
        QGuiApplication::clipboard()->clear();
        QVERIFY(fromMenu(imgFoto, QStringLiteral("actCopiaFoto")));
        QCOMPARE(QGuiApplication::clipboard()->image(), imgFoto->picture());
        auto *slotC = Forms::listinoPrezzi()->findChild<PhotoBox *>(QStringLiteral("imgFoto_C"));
        slotC->pastePicture();
        QCOMPARE(slotC->picture(), imgFoto->picture());
    }

    // The status line says it (tst_magazzino, tst_listinoprezzi); a screen reader says it too.
    void screenReadersHearHow()
    {
        auto *imgFoto = Forms::magazzino()->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
        QCOMPARE(imgFoto->accessibleName(), QStringLiteral("Foto del prodotto"));
        QCOMPARE(imgFoto->accessibleDescription(), imgFoto->property("statusText").toString());
        auto *slotH = Forms::listinoPrezzi()->findChild<PhotoBox *>(QStringLiteral("imgFoto_H"));
        QCOMPARE(slotH->accessibleName(), QStringLiteral("Foto del prodotto H"));
        QCOMPARE(slotH->accessibleDescription(),
            QStringLiteral("Carica una foto esistente. Puoi anche incollarla con Ctrl+V o trascinarla qui."));
    }
};

VETRINOVA_TEST_MAIN(TestPhotoPaste)
#include "tst_photopaste.moc"
