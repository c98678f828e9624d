// Damaged archives and hostile picture files through the real windows: nothing crashes, no
// message is shown for a picture, and whatever can be read is shown.
#include "tests/support/TestSupport.h"

#include "pricelist/ImportaMagazzino.h"
#include "pricelist/ListinoPrezzi.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Magazzino.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/TrovaMagazzino.h"
#include "widgets/PhotoBox.h"

#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QtEndian>

#include <memory>

using F = TSchedaProdotto;

namespace {
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

QByteArray goodRecord(const QString &code)
{
    TSchedaProdotto c;
    c[F::Codice] = code;
    c[F::Nome] = QStringLiteral("Nome ") + code;
    c[F::Costo] = c[F::Prezzo] = QStringLiteral("1,00");
    c[F::Giacenza] = QStringLiteral("1");
    c[F::Avviso] = QStringLiteral("5");
    c[F::Pagato] = QStringLiteral("No");
    QByteArray record(F::RecordSize, '\0');
    c.store(record.data());
    return record;
}

// Every field's length byte at 255, over any field's width, above texts of 'x'.
QByteArray overlongRecord()
{
    QByteArray record(F::RecordSize, 'x');
    for (const F::FieldInfo &info : F::layout())
        record[info.offset] = char(0xFF);
    return record;
}

// Texts holding the bytes Windows-1252 leaves undefined, and a NUL.
QByteArray undefinedBytesRecord()
{
    QByteArray record = goodRecord(QStringLiteral("U"));
    const QByteArray odd("\x81\x8D\x8F\x90\x9D\x00\x7F", 7);
    for (F::Field f : { F::Codice, F::Nome, F::Tipologia, F::Costo, F::Giacenza }) {
        const F::FieldInfo &info = F::info(f);
        record[info.offset] = char(odd.size());
        record.replace(info.offset + 1, odd.size(), odd);
    }
    return record;
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator random(20250107);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

QByteArray encoded(const char *format)
{
    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::darkBlue);
    for (int y = 0; y < 150; y += 5)
        p.drawLine(0, y, 200, 150 - y);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray declaring30000(QByteArray bytes, bool jpeg)
{
    if (jpeg) {
        const qsizetype sof = bytes.indexOf("\xFF\xC0");
        qToBigEndian<quint16>(30000, bytes.data() + sof + 5);
        qToBigEndian<quint16>(30000, bytes.data() + sof + 7);
    } else {
        qToLittleEndian<qint32>(30000, bytes.data() + 18);
        qToLittleEndian<qint32>(30000, bytes.data() + 22);
    }
    return bytes;
}
} // namespace

class TestDamagedInput : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;

    TfrmMagazzino *editor() { return Forms::magazzino(); }
    QString position() { return named<QLabel>(editor(), "lblPosizione")->text(); }
    QImage editorPhoto() { return named<PhotoBox>(editor(), "imgFoto")->picture(); }
    QImage placeholder() { return static_cast<TfrmMagazzino *>(editor())->placeholderPicture(); }
    void click(QWidget *window, const char *name) { QTest::mouseClick(named<QWidget>(window, name), Qt::LeftButton); }

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

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        Forms::createAll();
        static_cast<TfrmMagazzino *>(editor())->handOverFrom(nullptr);
        editor()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor()));
    }

    void cleanup()
    {
        Forms::destroyAll();
        sb.reset();
    }

    void damagedArchiveShowsWhatCanBeRead_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<int>("cards"); // whole records in the file
        QTest::addColumn<QString>("firstCode"); // the first card's code, when it is readable
        const QByteArray a = goodRecord("A1"), b = goodRecord("B2");
        QTest::newRow("random bytes") << randomBytes(3 * F::RecordSize + 100) << 3 << QString();
        QTest::newRow("last record cut short") << a + b + b.left(F::RecordSize / 2) << 2 << "A1";
        QTest::newRow("only a piece of a record") << a.left(700) << 0 << QString();
        QTest::newRow("length bytes over their width") << a + overlongRecord() << 2 << "A1";
        QTest::newRow("bytes outside Windows-1252") << undefinedBytesRecord() + a << 2 << QString();
    }

    void damagedArchiveShowsWhatCanBeRead()
    {
        QFETCH(QByteArray, archive);
        QFETCH(int, cards);
        QFETCH(QString, firstCode);
        Sandbox::writeFile(warehousePath(), archive);

        // Browsing: every whole card is reached, each box within its field's width.
        click(editor(), "cmdUltimo");
        QCOMPARE(position(), cards ? QString::number(cards) : QString());
        click(editor(), "cmdPrimo");
        for (int n = 1; n <= cards; ++n) {
            QCOMPARE(position(), QString::number(n));
            for (F::Field f : { F::Codice, F::Nome, F::Tipologia, F::Note })
                QVERIFY(
                    named<QLineEdit>(editor(), "txt" + QString(F::info(f).name))->text().size() <= F::info(f).width);
            if (n < cards)
                click(editor(), "cmdAvanti");
        }
        if (!firstCode.isEmpty()) {
            click(editor(), "cmdPrimo");
            QCOMPARE(named<QLineEdit>(editor(), "txtCodice")->text(), firstCode);
        }

        // Searching with empty boxes lists every whole card.
        {
            auto w = open<TfrmTrovaMagazzino>(editor());
            named<QPushButton>(w.get(), "btnCerca")->click();
            QCOMPARE(shownLines(w.get()).size(), cards);
            if (!firstCode.isEmpty())
                QVERIFY(shownLines(w.get()).join('\n').contains("Cod. " + firstCode + " "));
        }
        // Both lists build from the same records.
        {
            auto w = open<TfrmSottoscorta>(editor());
            QVERIFY(shownLines(w.get()).size() <= cards);
            auto u = open<TfrmDaSaldare>(editor());
            QVERIFY(shownLines(u.get()).size() <= cards);
            if (!firstCode.isEmpty())
                QVERIFY(shownLines(u.get()).join('\n').contains("Cod. " + firstCode + " "));
        }
        // The export grid: one row per whole card.
        QString gridFirstCode;
        int gridRows = -1;
        onNextModal([&](QWidget *w) {
            const QAbstractItemModel *model = named<QTableView>(w, "grdRecords")->model();
            gridRows = model->rowCount();
            gridFirstCode = model->index(0, 1).data().toString();
            w->close();
        });
        click(editor(), "btnEsporta");
        QTRY_VERIFY(gridRows >= cards);
        if (!firstCode.isEmpty())
            QCOMPARE(gridFirstCode, firstCode);
        // The import fills a slot from a damaged card.
        if (cards > 0) {
            auto w = open<TfrmImportaMagazzino>(Forms::listinoPrezzi(), "prodotto_A");
            named<QPushButton>(w.get(), "btnCerca")->click();
            QCOMPARE(shownLines(w.get()).size(), cards);
            auto *list = named<QListView>(w.get(), "lstRecords");
            QTRY_VERIFY(!list->visualRect(list->model()->index(0, 0)).isEmpty());
            const QPoint at(20, list->visualRect(list->model()->index(0, 0)).center().y());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTRY_VERIFY(!w->isVisible());
            QVERIFY(named<QLineEdit>(Forms::listinoPrezzi(), "txtNome_A")->text().size() <= F::info(F::Nome).width);
        }
        // Only an archive without one whole card says so, as an empty one does.
        for (const QString &text : sb->messageTexts())
            QCOMPARE(text, QStringLiteral("L'archivio non contiene nessuna scheda."));
        QCOMPARE(sb->messages.isEmpty(), cards > 0);
        // Nothing was written to the damaged file.
        QCOMPARE(Sandbox::readFile(warehousePath()), archive);
    }

    // A damaged photo file of the card shows the placeholder; one chosen with "Carica foto" is refused
    // with a word and never replaces the photo shown, which the next Salva would write.
    void hostilePictureGivesThePlaceholderOrIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray jpeg = encoded("JPG"), bmp = encoded("BMP");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text named .jpg") << QByteArray("Solo testo, nessuna immagine.\r\n");
        QTest::newRow("truncated jpeg") << jpeg.left(jpeg.size() / 2);
        QTest::newRow("corrupt jpeg") << jpeg.left(200) + randomBytes(jpeg.size() - 200);
        QTest::newRow("truncated bitmap") << bmp.left(bmp.size() / 3);
        QTest::newRow("corrupt bitmap") << bmp.left(14) + randomBytes(bmp.size() - 14);
        QTest::newRow("jpeg declaring 30000 x 30000") << declaring30000(jpeg, true);
        QTest::newRow("bitmap declaring 30000 x 30000") << declaring30000(bmp, false);
    }

    void hostilePictureGivesThePlaceholderOrIsRefused()
    {
        QFETCH(QByteArray, bytes);
        Sandbox::writeFile(warehousePath(), goodRecord("A1"));
        const QString hostile = sb->path("1.jpg");
        Sandbox::writeFile(hostile, bytes);

        // The card's own photo.
        click(editor(), "cmdPrimo");
        QCOMPARE(position(), QStringLiteral("1"));
        QCOMPARE(editorPhoto(), placeholder());
        // Carica foto over a real photo.
        const QString good = sb->path("buona.jpg");
        Sandbox::writeFile(good, encoded("JPG"));
        sb->nextFiles << good;
        click(editor(), "btnCaricaFoto");
        QCOMPARE(editorPhoto().size(), QSize(200, 150));
        sb->nextFiles << hostile;
        click(editor(), "btnCaricaFoto");
        QCOMPARE(editorPhoto().size(), QSize(200, 150));
        QCOMPARE(sb->messages.size(), 1);
        QCOMPARE(sb->messages[0].kind, Msg::Kind::Warning);
        QVERIFY(sb->messages[0].text.startsWith(QStringLiteral("Impossibile mostrare la foto scelta")));
        sb->clearMessages();
        // The zoom shows what the editor shows.
        QImage zoomed;
        onNextModal([&](QWidget *w) {
            zoomed = named<PhotoBox>(w, "imgFoto")->picture();
            w->close();
        });
        click(editor(), "btnZoomFoto");
        QTRY_COMPARE(zoomed.size(), QSize(200, 150));

        // A page slot.
        TfrmListinoPrezzi *page = Forms::listinoPrezzi();
        const QImage blank = named<PhotoBox>(page, "imgBianco")->picture();
        sb->nextFiles << good;
        QTest::mouseClick(named<PhotoBox>(page, "imgFoto_B"), Qt::LeftButton);
        QCOMPARE(named<PhotoBox>(page, "imgFoto_B")->picture().size(), QSize(200, 150));
        sb->nextFiles << hostile;
        QTest::mouseClick(named<PhotoBox>(page, "imgFoto_B"), Qt::LeftButton);
        QCOMPARE(named<PhotoBox>(page, "imgFoto_B")->picture().size(), QSize(200, 150));
        QCOMPARE(sb->messages.size(), 1);
        QVERIFY(sb->messages[0].text.startsWith(QStringLiteral("Impossibile mostrare la foto scelta")));
        sb->clearMessages();
        // Imported with the card: the slot takes the placeholder too.
        page->fillSlot(QLatin1Char('C'), WarehouseArchive::read(1), 1);
        QCOMPARE(named<PhotoBox>(page, "imgFoto_C")->picture(), blank);

        // An attachment is a copy of the file as it is.
        TfrmAllegaCartella dialog(editor());
        dialog.fillFrom(editor());
        sb->nextFiles << hostile;
        named<QPushButton>(&dialog, "btnSfoglia01")->click();
        QCOMPARE(Sandbox::readFile(TfrmAllegaCartella::folder() + "/1.jpg"), bytes);

        QVERIFY(sb->messages.isEmpty());
    }
};

VETRINOVA_TEST_MAIN(TestDamagedInput)
#include "tst_damagedinput.moc"
