#include "tests/support/Locales.h"
#include "tests/support/TestSupport.h"

#include "app/Password.h"
#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"
#include "pricelist/ApriCatalogo.h"
#include "pricelist/CreaCatalogo.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/ReportOutput.h"
#include "report/engine/ReportPainter.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "warehouse/Magazzino.h"
#include "widgets/PhotoBox.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
constexpr double UnitsPerMm = 96 / 25.4;
constexpr double MmPerPoint = 25.4 / 72;
constexpr int CardSize = 2592;
constexpr int PageSize = 3696;
constexpr int SlotSize = 462;

template <typename T = QWidget> T *control(QWidget *window, const QString &name)
{
    T *w = window->findChild<T *>(name);
    if (!w)
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    return w;
}

void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(control(window, name), Qt::LeftButton);
}

/** Types `text` into whatever has the cursor, as the keyboard does (accents included). */
void typeHere(const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void enter()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void waitActive(QWidget *w)
{
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

/** One length-prefixed field as it must be on disk: length byte, then the Windows-1252 characters. */
QByteArray field(const QByteArray &text)
{
    return char(text.size()) + text;
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 && qAbs(a.blue() - b.blue()) < 24;
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

struct PdfWord
{
    QString text;
    QRectF mm; // on the paper, in millimetres
};

QList<PdfWord> pdfWords(const QString &pdf)
{
    QProcess run;
    run.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    if (!run.waitForFinished(20000))
        return {};
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({ m.captured(5), QRectF(topLeft * MmPerPoint, bottomRight * MmPerPoint) });
    }
    return words;
}
} // namespace

/**
 * The whole road of a new shop: first access, a card with its photo, a new price list, a page filled
 * from the warehouse, saved and printed. Only the user's own moves drive the windows.
 */
class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    QTemporaryDir outside; // the user's own files: the photo taken and the PDF printed

private slots:
    void init() { sb = std::make_unique<Sandbox>(); }
    void cleanup()
    {
        Forms::destroyAll();
        sb.reset();
    }

    void fromAProductToAPrintedPage_data()
    {
        QTest::addColumn<QByteArray>("locale");
        for (const QByteArray &name : shopLocales())
            QTest::newRow(name.constData()) << name;
    }
    void fromAProductToAPrintedPage()
    {
        // The road is walked under every locale a shop may have and must leave the same bytes.
        QFETCH(QByteArray, locale);
        const ScopedLocale switched(locale);
        if (!switched.active())
            QSKIP(qPrintable(QStringLiteral("locale %1 is not installed here (scripts/install-deps makes it)")
                                 .arg(QString::fromLatin1(locale))));

        // The folder as installed: the store holds the first-access password.
        QVERIFY(PasswordStore::write(sb->path("unins000.dll"), Crypt::encode(PasswordStore::FirstAccessPassword)));
        const QByteArray store = Sandbox::readFile(sb->path("unins000.dll"));

        // Launch: only the password window, which takes the first-access password.
        Forms::start();
        QWidget *login = Forms::password();
        QVERIFY(QTest::qWaitForWindowExposed(login));
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { login });
        waitActive(login);
        QTRY_COMPARE(focusName(), QStringLiteral("txtPassword"));
        QTest::keyClicks(QApplication::focusWidget(), "VETRINOVA");
        click(login, "cmdOK");
        QWidget *start = Forms::avvio();
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { start });
        QVERIFY(sb->messages.isEmpty());
        waitActive(start);

        // The warehouse: a new card typed along the Enter chain.
        click(start, "imgMagazzino");
        QWidget *mag = Forms::magazzino();
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { mag });
        waitActive(mag);
        QVERIFY(sb->messages.isEmpty());
        // The window appeared under a mouse that has not moved: the status line keeps its greeting.
        QCOMPARE(control<QLabel>(mag, "panInfo")->text(), QStringLiteral("Pronto per archiviare una nuova scheda..."));
        click(mag, "btnNuovo");
        QCOMPARE(control<QLabel>(mag, "lblPosizione")->text(), QString());
        QTRY_COMPARE(focusName(), QStringLiteral("txtCodice"));
        const QList<std::pair<const char *, QString>> typed = {
            { "txtCodice", "ROS-18" },
            { "txtCosto", "3,5" },
            { "txtNome", "Rosa rossa" },
            { "txtGiacenza", "024" },
            { "txtAvviso", "5" },
            { "txtUM", "Vaso 18 cm" },
            { "txtTipologia", "Piante" },
            { "txtCaratteristiche", "Profumata, stelo lungo" },
            { "txtCollocazione", "Serra 2" },
            { "txtDitta", "Vivai Rossi" },
            { "txtAgente", "Mario Bianchi" },
            { "txtRecapito", "0551234567" },
            { "txtDocumento", "Fattura 12/2025" },
            { "txtPagamento", "30 giorni" },
        };
        for (const auto &[box, text] : typed) {
            QCOMPARE(focusName(), QLatin1String(box));
            control<QLineEdit>(mag, box)->selectAll();
            typeHere(text);
            enter();
        }
        // Leaving a money or quantity box puts its text in shape.
        QCOMPARE(control<QLineEdit>(mag, "txtCosto")->text(), QStringLiteral("3,50"));
        QCOMPARE(control<QLineEdit>(mag, "txtGiacenza")->text(), QStringLiteral("24"));
        QCOMPARE(focusName(), QStringLiteral("txtDataSca"));
        click(mag, "chkPagato");
        QTest::mouseClick(control(mag, "txtNote"), Qt::LeftButton);
        QCOMPARE(focusName(), QStringLiteral("txtNote"));
        typeHere(QStringLiteral("Qualit\u00e0 extra"));
        enter();
        QCOMPARE(focusName(), QStringLiteral("txtPrezzo"));
        control<QLineEdit>(mag, "txtPrezzo")->selectAll();
        typeHere(QStringLiteral("12,5"));
        enter();
        QCOMPARE(control<QLineEdit>(mag, "txtPrezzo")->text(), QStringLiteral("12,50"));
        QCOMPARE(focusName(), QStringLiteral("txtCodice"));

        // The photo from a file the user picks.
        sb->nextFiles << makeJpeg(outside.filePath("rosa.jpg"), QSize(640, 480), Qt::green);
        click(mag, "btnCaricaFoto");
        QCOMPARE(sb->fileDialogs.size(), 1);
        QVERIFY(near(centre(control<PhotoBox>(mag, "imgFoto")->picture()), Qt::green));

        click(mag, "btnSalva");
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
        QCOMPARE(control<QLabel>(mag, "lblPosizione")->text(), QStringLiteral("1"));
        sb->clearMessages();
        const QImage cardPhoto(sb->path("1.jpg"));
        QCOMPARE(cardPhoto.size(), QSize(640, 480));
        QVERIFY(near(centre(cardPhoto), Qt::green));

        click(mag, "btnEsci");
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { start });
        waitActive(start);

        // A new price list.
        click(start, "imgCrea");
        QWidget *create = Forms::creaCatalogo();
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { create });
        waitActive(create);
        QTRY_COMPARE(focusName(), QStringLiteral("txtFile"));
        QTest::keyClicks(QApplication::focusWidget(), "Fiori");
        click(create, "btnApplica");
        QCOMPARE(sb->messages.size(), 1);
        QVERIFY(sb->messages.first().text.startsWith(
            QStringLiteral("Il file di archivio relativo al nuovo listino prezzi \u00e8 stato creato con successo.")));
        sb->clearMessages();
        QCOMPARE(QFileInfo(sb->path("Fiori.lis")).size(), 0);
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { start });
        waitActive(start);

        // Opened from the list of lists: the page editor starts on a new page.
        click(start, "imgApri");
        QWidget *lists = Forms::apriCatalogo();
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { lists });
        waitActive(lists);
        auto *files = control<QListWidget>(lists, "lstFiles");
        QCOMPARE(files->count(), 1);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
        click(lists, "btnApri");
        QWidget *page = Forms::listinoPrezzi();
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { page });
        waitActive(page);
        QVERIFY(sb->messages.isEmpty());
        QCOMPARE(control<QLabel>(page, "lblNome")->text(), QStringLiteral("Fiori"));
        QCOMPARE(control<QLabel>(page, "lblPosizione")->text(), QString());

        // Slot A from the warehouse: a search by part of the name, then a double click on the card.
        bool imported = false;
        onNextModal([&imported](QWidget *import) {
            QCOMPARE(import->windowTitle(), QStringLiteral(" Importa prodotti da magazzino"));
            auto *name = control<QLineEdit>(import, "txtNome");
            QTest::mouseClick(name, Qt::LeftButton);
            QTest::keyClicks(name, "rosa");
            click(import, "btnCerca");
            auto *list = control<QListView>(import, "lstRecords");
            QCOMPARE(list->model()->rowCount(), 1);
            QTRY_VERIFY(!list->visualRect(list->model()->index(0, 0)).isEmpty());
            const QPoint at(20, list->visualRect(list->model()->index(0, 0)).center().y());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            imported = true;
        });
        click(page, "impProdotto_A");
        QVERIFY(imported);
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { page });
        const QStringList slotA = { "Rosa rossa", "Vaso 18 cm", "Profumata, stelo lungo", "ROS-18", "12,50" };
        const QStringList stems = { "txtNome_", "txtUM_", "txtCaratteristiche_", "txtCodice_", "txtPrezzo_" };
        for (int i = 0; i < stems.size(); ++i)
            QCOMPARE(control<QLineEdit>(page, stems[i] + 'A')->text(), slotA[i]);
        QVERIFY(near(centre(control<PhotoBox>(page, "imgFoto_A")->picture()), Qt::green));

        click(page, "cmdSalva");
        QCOMPARE(sb->messageTexts(),
            QStringList { QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.") });
        sb->clearMessages();
        QCOMPARE(control<QLabel>(page, "lblPosizione")->text(), QStringLiteral("1"));

        // Print: the print window's Stampa hands the page to the printer (here the seam).
        onNextModal([](QWidget *printWindow) {
            QCOMPARE(printWindow->windowTitle(), QStringLiteral(" Stampa scheda"));
            click(printWindow, "btnStampa");
        });
        click(page, "cmdStampa");
        QCOMPARE(sb->reports.size(), 1);
        QCOMPARE(sb->reports.first().first, ReportOutput::Action::Print);
        const PreparedReport report = sb->reports.first().second;
        QCOMPARE(visibleTopLevels(), QList<QWidget *> { page });
        QVERIFY(sb->messages.isEmpty());

        checkWarehouseFile();
        checkListFile();
        checkPhotos();
        checkReport(report);
        const QString pdf = outside.filePath("Fiori.pdf");
        QVERIFY(ReportPainter::writePdf(report, pdf));
        checkPdf(pdf);

        // Nothing else was written into the program folder: the card's starting stock is in the journal.
        QStringList written = QDir(sb->folder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(written,
            QStringList({ "1.jpg", "Fiori.lis", "Foto_Listino", "Magazzino.pro", "Movimenti.db", "unins000.dll" }));
        QCOMPARE(Sandbox::readFile(sb->path("unins000.dll")), store);

        static QByteArray warehouseUnderC, listUnderC;
        const QByteArray warehouse = Sandbox::readFile(sb->path("Magazzino.pro"));
        const QByteArray list = Sandbox::readFile(sb->path("Fiori.lis"));
        if (locale == shopLocales().first()) {
            warehouseUnderC = warehouse;
            listUnderC = list;
        } else if (!warehouseUnderC.isEmpty()) {
            QCOMPARE(warehouse, warehouseUnderC);
            QCOMPARE(list, listUnderC);
        }
    }

private:
    void checkWarehouseFile()
    {
        const QByteArray bytes = Sandbox::readFile(sb->path("Magazzino.pro"));
        QCOMPARE(bytes.size(), CardSize);
        const struct
        {
            int offset;
            QByteArray text;
        } fields[] = {
            { 0, "ROS-18" },
            { 26, "3,50" },
            { 39, "Rosa rossa" },
            { 90, "24" },
            { 95, "5" },
            { 99, "Vaso 18 cm" },
            { 220, "Piante" },
            { 271, "Profumata, stelo lungo" },
            { 522, "Serra 2" },
            { 573, "Vivai Rossi" },
            { 624, "Mario Bianchi" },
            { 675, "0551234567" },
            { 706, "Fattura 12/2025" },
            { 757, "30 giorni" },
            { 808, "" },
            { 819, "Qualit\xE0 extra" },
            { 1070, "12,50" },
            { 1083, "S\xEC" },
            { 1086, "" },
            { 1337, "" },
            { 1588, "" },
            { 1839, "" },
            { 2090, "" },
            { 2341, "" },
        };
        for (const auto &f : fields)
            QCOMPARE(bytes.mid(f.offset, f.text.size() + 1), field(f.text));
    }

    void checkListFile()
    {
        const QByteArray bytes = Sandbox::readFile(sb->path("Fiori.lis"));
        QCOMPARE(bytes.size(), PageSize);
        const int offsets[] = { 0, 26, 77, 198, 449 };
        const QByteArray slotA[] = { "ROS-18", "Rosa rossa", "Vaso 18 cm", "Profumata, stelo lungo", "12,50" };
        for (int slot = 0; slot < 8; ++slot)
            for (int f = 0; f < 5; ++f) {
                // An untouched slot keeps the page's default price.
                const QByteArray expected = slot == 0 ? slotA[f] : f == 4 ? QByteArray("0,00") : QByteArray();
                QCOMPARE(bytes.mid(slot * SlotSize + offsets[f], expected.size() + 1), field(expected));
            }
    }

    void checkPhotos()
    {
        for (char x = 'A'; x <= 'H'; ++x)
            for (const QString &name :
                { QStringLiteral("Fiori_Foto_%1_1.jpg"), QStringLiteral("Fiori_Anteprima_%1.jpg") }) {
                const QImage photo(sb->path(QStringLiteral("Foto_Listino/") + name.arg(QLatin1Char(x))));
                QCOMPARE(photo.size(), QSize(366, 274));
                QCOMPARE(near(centre(photo), Qt::green), x == 'A');
            }
        QCOMPARE(QDir(sb->path("Foto_Listino")).entryList(QDir::Files).size(), 16);
    }

    /** The page as laid out: boxes in millimetres from the paper's corner, 10 mm margins included. */
    void checkReport(const PreparedReport &report)
    {
        QCOMPARE(report.name, QStringLiteral("Listino Prezzi"));
        QCOMPARE(report.pages.size(), 1);
        const PreparedPage &p = report.pages.first();
        QCOMPARE(p.paperMm, QSizeF(210, 297));
        const struct
        {
            const char *name;
            QString text;
            QRectF mm;
        } boxes[] = {
            { "txtNome", "Fiori", { 11, 10.6, 188, 4 } },
            { "txtNome_A", "Rosa rossa", { 52.4, 17, 145, 7 } },
            { "txtUM_A", "Vaso 18 cm", { 52.4, 26, 145, 4 } },
            { "txtCaratteristiche_A", "Profumata, stelo lungo", { 52.4, 32, 145, 4 } },
            { "txtCodice_A", "ROS-18", { 52.4, 38, 93.6, 7 } },
            { "txtPrezzo_A", QStringLiteral("\u20ac  12,50"), { 156, 37.8, 40.4, 7 } },
            { "txtPrezzo_H", QStringLiteral("\u20ac  0,00"), { 156, 37.8 + 7 * 33, 40.4, 7 } },
            { "txtNome_H", "", { 52.4, 17 + 7 * 33, 145, 7 } },
            { "txtPagina", "1", { 10, 283, 190, 4 } },
        };
        for (const auto &b : boxes) {
            const PreparedItem *item = p.item(QLatin1String(b.name));
            QVERIFY2(item, b.name);
            QCOMPARE(item->text(), b.text);
            const QRectF mm(item->rect.topLeft() / UnitsPerMm, item->rect.size() / UnitsPerMm);
            QVERIFY2(qAbs(mm.left() - b.mm.left()) < 0.01 && qAbs(mm.top() - b.mm.top()) < 0.01
                    && qAbs(mm.width() - b.mm.width()) < 0.01 && qAbs(mm.height() - b.mm.height()) < 0.01,
                b.name);
        }
        const PreparedItem *photo = p.item(QStringLiteral("imgFoto_A"));
        QVERIFY(photo);
        QVERIFY(near(centre(photo->picture), Qt::green));
    }

    void checkPdf(const QString &pdf)
    {
        QVERIFY(Sandbox::readFile(pdf).startsWith("%PDF"));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QList<PdfWord> words = pdfWords(pdf);
        QVERIFY(!words.isEmpty());
        auto find = [&words](const QString &text, int nth = 0) -> QRectF {
            for (const PdfWord &w : words)
                if (w.text == text && nth-- == 0)
                    return w.mm;
            return {};
        };
        const double pad = 2.0 / UnitsPerMm; // a text box's inner blank
        const struct
        {
            const char *word;
            int nth;
            double left; // expected start, or -1 to check the end instead
            double right;
            double top, bottom; // the box the word must lie in
        } expected[] = {
            { "Fiori", 0, 11 + pad, -1, 10.6, 14.6 },
            { "Rosa", 0, 52.4 + pad, -1, 17, 24 },
            { "Vaso", 0, 52.4 + pad, -1, 26, 30 },
            { "Profumata,", 0, 52.4 + pad, -1, 32, 36 },
            { "ROS-18", 0, 52.4 + pad, -1, 38, 45 },
            { "12,50", 0, -1, 196.4 - pad, 37.8, 44.8 },
            { "0,00", 6, -1, 196.4 - pad, 37.8 + 7 * 33, 44.8 + 7 * 33 },
        };
        for (const auto &e : expected) {
            const QRectF at = find(QLatin1String(e.word), e.nth);
            QVERIFY2(!at.isNull(), e.word);
            if (e.left >= 0)
                QVERIFY2(qAbs(at.left() - e.left) < 0.2,
                    qPrintable(QStringLiteral("%1 starts at %2 mm").arg(e.word).arg(at.left())));
            else
                QVERIFY2(qAbs(at.right() - e.right) < 0.3,
                    qPrintable(QStringLiteral("%1 ends at %2 mm").arg(e.word).arg(at.right())));
            QVERIFY2(at.top() >= e.top - 0.3 && at.bottom() <= e.bottom + 0.3,
                qPrintable(QStringLiteral("%1 at %2..%3 mm").arg(e.word).arg(at.top()).arg(at.bottom())));
        }
        // The page number, centred at the foot.
        const QRectF number = find(QStringLiteral("1"));
        QVERIFY(!number.isNull());
        QVERIFY(qAbs(number.center().x() - 105) < 0.3);
        QVERIFY(number.top() >= 283 - 0.3 && number.bottom() <= 287 + 0.3);
        // Every slot prints its price with the euro sign.
        int euros = 0;
        for (const PdfWord &w : words)
            euros += w.text == QStringLiteral("\u20ac");
        QCOMPARE(euros, 8);
    }
};

VETRINOVA_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
