#include "tests/support/TestSupport.h"

#include "pricelist/ListinoPrezzi.h"
#include "report/ReportPreview.h"
#include "report/engine/ReportPainter.h"
#include "shell/Application.h"
#include "shell/Avvio.h"
#include "shell/Forms.h"
#include "storage/PaginaListino.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

namespace {
/** Every file under `folder` with its bytes, to show that nothing was written. */
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, Sandbox::readFile(path));
    }
    return files;
}

/** Fails naming the first file added, removed or changed. */
void compareFolders(const QMap<QString, QByteArray> &after, const QMap<QString, QByteArray> &before)
{
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
}

/** Fails unless the two pages draw the same things at the same places (0.1 mm). */
void comparePages(const PreparedPage &whole, const PreparedPage &alone)
{
    const double tolerance = 0.1 * 96 / 25.4;
    auto near = [tolerance](const QRectF &a, const QRectF &b) {
        return qAbs(a.left() - b.left()) < tolerance && qAbs(a.top() - b.top()) < tolerance
            && qAbs(a.width() - b.width()) < tolerance && qAbs(a.height() - b.height()) < tolerance;
    };
    QCOMPARE(whole.paperMm, alone.paperMm);
    QCOMPARE(whole.items.size(), alone.items.size());
    for (int i = 0; i < whole.items.size(); ++i) {
        const PreparedItem &a = whole.items[i];
        const PreparedItem &b = alone.items[i];
        QCOMPARE(a.name, b.name);
        QCOMPARE(a.text(), b.text());
        QVERIFY2(near(a.rect, b.rect), qPrintable(a.name));
        QCOMPARE(a.lines.size(), b.lines.size());
        for (int l = 0; l < a.lines.size(); ++l)
            QVERIFY2(near(a.lines[l].rect, b.lines[l].rect), qPrintable(a.name));
        QVERIFY2(near(a.pictureRect, b.pictureRect), qPrintable(a.name));
        // The same pixels, whatever the bytes per pixel they are kept in.
        QVERIFY2(a.picture.convertToFormat(QImage::Format_ARGB32) == b.picture.convertToFormat(QImage::Format_ARGB32),
            qPrintable(a.name));
    }
}
} // namespace

class TestWholeList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    TfrmListinoPrezzi *ed = nullptr;

    template <typename T = QWidget> T *control(QWidget *in, const QString &name) const
    {
        T *w = in->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString listPath() const { return sb->path("Fiori.lis"); }

    /**
     * List Fiori with three pages: distinct products, a photo on page 1 slot A and page 3 slot C,
     * an unreadable one on page 2 slot B, none elsewhere; some slots left empty.
     */
    void makeList()
    {
        Sandbox::writeFile(listPath(), QByteArray());
        const QStringList names { "banana", "Arancia", "Àncora", "10 pezzi", "9 pezzi", "Zucca", "arancia" };
        int next = 0;
        for (int n = 1; n <= 3; ++n) {
            TPaginaListino page;
            for (int k = 0; k < 3 && next < names.size(); ++k, ++next) {
                TVoceListino &v = page.voci[k * 2];
                v[TVoceListino::Nome] = names[next];
                v[TVoceListino::UM] = QStringLiteral("Cassa %1").arg(n);
                v[TVoceListino::Caratteristiche] = QStringLiteral("Fresco");
                v[TVoceListino::Codice] = QStringLiteral("C-%1").arg(next);
                v[TVoceListino::Prezzo] = QStringLiteral("%1,50").arg(next + 1);
            }
            PriceListFile::append(listPath(), page);
        }
        QDir().mkpath(sb->path("Foto_Listino"));
        makeJpeg(sb->path("Foto_Listino/Fiori_Foto_A_1.jpg"), QSize(640, 480), Qt::red);
        makeJpeg(sb->path("Foto_Listino/Fiori_Foto_C_3.jpg"), QSize(200, 400), Qt::blue);
        Sandbox::writeFile(sb->path("Foto_Listino/Fiori_Foto_B_2.jpg"), QByteArrayLiteral("\xFF\xD8\xFF garbage"));
    }

    void openList()
    {
        control<QLabel>(ed, "lblFile")->setText(listPath());
        control<QLabel>(ed, "lblNome")->setText(QStringLiteral("Fiori"));
        ed->handOverFrom(Forms::avvio());
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
    }

    /** Opens the print or preview window from the editor and answers it: whole list or not, index or not. */
    void printFromEditor(bool print, bool whole, bool index = false)
    {
        onNextModal([whole, index](QWidget *w) {
            if (whole)
                QTest::mouseClick(w->findChild<QRadioButton *>(QStringLiteral("optListino")), Qt::LeftButton);
            if (index)
                QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("chkIndice")), Qt::LeftButton);
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("btnStampa")), Qt::LeftButton);
            // Nothing printed leaves the window open for another choice.
            if (w->isVisible())
                QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("btnAnnulla")), Qt::LeftButton);
        });
        QTest::mouseClick(control(ed, print ? "cmdStampa" : "cmdAnteprima"), Qt::LeftButton);
    }

    /** The whole list printed from the print window, with the page shown left as it is. */
    PreparedReport printWhole(bool index = false)
    {
        sb->reports.clear();
        printFromEditor(true, true, index);
        if (sb->reports.size() != 1)
            qFatal("no whole-list report");
        return sb->reports.takeFirst().second;
    }

    QStringList column(const PreparedPage &page, const QString &stem) const
    {
        QStringList texts;
        for (int r = 0; const PreparedItem *item = page.item(stem + QString::number(r)); ++r)
            texts << item->text();
        return texts;
    }

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
        Forms::destroyAll();
        ed = nullptr;
        sb.reset();
    }

    void theChoiceSitsUnderTheButtons_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("print") << true;
        QTest::newRow("preview") << false;
    }
    void theChoiceSitsUnderTheButtons()
    {
        QFETCH(bool, print);
        makeList();
        openList();
        onNextModal([](QWidget *w) {
            auto *pagina = w->findChild<QRadioButton *>(QStringLiteral("optPagina"));
            auto *listino = w->findChild<QRadioButton *>(QStringLiteral("optListino"));
            auto *indice = w->findChild<QCheckBox *>(QStringLiteral("chkIndice"));
            QVERIFY(pagina->isChecked());
            QCOMPARE(listino->text(), QStringLiteral("Tutto il listino (3 pagine)"));
            QVERIFY(listino->isEnabled());
            QVERIFY(!indice->isEnabled());
            QVERIFY(!indice->isChecked());
            for (QWidget *c :
                { static_cast<QWidget *>(pagina), static_cast<QWidget *>(listino), static_cast<QWidget *>(indice) }) {
                QVERIFY(c->geometry().top() >= 271);
                QVERIFY(!c->property("statusText").toString().isEmpty());
                QVERIFY(!c->accessibleName().isEmpty());
            }
            QTest::mouseClick(listino, Qt::LeftButton);
            QVERIFY(indice->isEnabled());
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("btnAnnulla")), Qt::LeftButton);
        });
        QTest::mouseClick(control(ed, print ? "cmdStampa" : "cmdAnteprima"), Qt::LeftButton);
        QVERIFY(sb->reports.isEmpty());
    }

    void anEmptyListOffersOnlyTheCurrentPage()
    {
        Sandbox::writeFile(listPath(), QByteArray());
        openList();
        onNextModal([](QWidget *w) {
            auto *listino = w->findChild<QRadioButton *>(QStringLiteral("optListino"));
            QCOMPARE(listino->text(), QStringLiteral("Tutto il listino (0 pagine)"));
            QVERIFY(!listino->isEnabled());
            QVERIFY(
                w->findChild<QLabel *>(QStringLiteral("panInfo"))->text().contains(QStringLiteral("nessuna scheda")));
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("btnAnnulla")), Qt::LeftButton);
        });
        QTest::mouseClick(control(ed, "cmdStampa"), Qt::LeftButton);
        QVERIFY(sb->reports.isEmpty());
    }

    void everyPageIsPrintedAsItsOwnPrint_data() { theChoiceSitsUnderTheButtons_data(); }
    void everyPageIsPrintedAsItsOwnPrint()
    {
        QFETCH(bool, print);
        makeList();
        openList();
        QList<PreparedPage> alone;
        for (int n = 1; n <= 3; ++n) {
            QTest::mouseClick(control(ed, n == 1 ? "cmdPrimo" : "cmdAvanti"), Qt::LeftButton);
            sb->reports.clear();
            printFromEditor(true, false);
            QCOMPARE(sb->reports.size(), 1);
            alone << sb->reports.first().second.pages.first();
        }
        sb->reports.clear();
        printFromEditor(print, true);
        QCOMPARE(sb->reports.size(), 1);
        QCOMPARE(sb->reports.first().first, print ? ReportOutput::Action::Print : ReportOutput::Action::Preview);
        const PreparedReport whole = sb->reports.first().second;
        QCOMPARE(whole.name, QStringLiteral("Fiori"));
        QCOMPARE(whole.pageCount(), 3);
        for (int n = 0; n < 3; ++n) {
            const PreparedPage page = whole.page(n);
            comparePages(page, alone[n]);
            QCOMPARE(page.item("txtPagina")->text(), QString::number(n + 1));
            // Drawn, the two are the same to the pixel: the same photos at the same size in the same boxes.
            QVERIFY2(ReportPainter::pageImage(page, 150) == ReportPainter::pageImage(alone[n], 150),
                qPrintable(QStringLiteral("page %1").arg(n + 1)));
        }
        // The photos did reach the print: a red one on page 1, the blank picture for the unreadable one.
        QVERIFY(whole.page(0).item("imgFoto_A")->picture.pixelColor(10, 10).red() > 200);
        QCOMPARE(whole.page(1).item("imgFoto_B")->picture, whole.page(1).item("imgFoto_D")->picture);
    }

    void aWholeListPrintOrPdfWritesNothingInTheProgramFolder()
    {
        makeList();
        openList();
        // Opening the window writes the thumbnails of the page on screen, as it always has; the folder is
        // taken after that, just before the whole list is printed.
        QMap<QString, QByteArray> before;
        for (const char *button : { "cmdStampa", "cmdAnteprima" }) {
            onNextModal([this, &before](QWidget *w) {
                before = snapshot(sb->folder());
                QTest::mouseClick(w->findChild<QRadioButton *>(QStringLiteral("optListino")), Qt::LeftButton);
                QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("chkIndice")), Qt::LeftButton);
                QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("btnStampa")), Qt::LeftButton);
            });
            QTest::mouseClick(control(ed, button), Qt::LeftButton);
            QVERIFY(before.contains(listPath()));
            compareFolders(snapshot(sb->folder()), before);
        }
        QCOMPARE(sb->reports.size(), 2);

        QTemporaryDir outside;
        const QString pdf = outside.filePath(QStringLiteral("listino.pdf"));
        ReportPreview preview(sb->reports.last().second);
        sb->nextFiles << pdf;
        preview.findChild<QAction *>(QStringLiteral("preview-tool-pdf"))->trigger();
        compareFolders(snapshot(sb->folder()), before);
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), { pdf });
        QVERIFY(info.waitForFinished());
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        QVERIFY2(out.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n"))), qPrintable(out));
        QVERIFY2(out.contains(QRegularExpression(QStringLiteral("Title:\\s+Fiori\\n"))), qPrintable(out));
    }

    void aStrayTailLeavesEveryWholePage()
    {
        makeList();
        QFile file(listPath());
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(100, 'x'));
        file.close();
        openList();
        const PreparedReport whole = printWhole();
        QCOMPARE(whole.pageCount(), 3);
        QCOMPARE(whole.page(2).item("txtNome_A")->text(), QStringLiteral("arancia"));
    }

    void unsavedChangesAreOfferedForSaving_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<int>("reports");
        QTest::addColumn<QString>("saved");
        QTest::newRow("Sì saves, then prints") << QMessageBox::Yes << 1 << "Mela";
        QTest::newRow("No prints the saved page") << QMessageBox::No << 1 << "banana";
        QTest::newRow("Annulla prints nothing") << QMessageBox::Cancel << 0 << "banana";
    }
    void unsavedChangesAreOfferedForSaving()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, reports);
        QFETCH(QString, saved);
        makeList();
        openList();
        QTest::mouseClick(control(ed, "cmdPrimo"), Qt::LeftButton);
        control<QLineEdit>(ed, "txtNome_A")->setText(QStringLiteral("Mela"));
        sb->clearMessages();
        sb->answers << answer;
        printFromEditor(true, true);
        QCOMPARE(sb->messages.first().kind, Msg::Kind::YesNoCancel);
        QVERIFY(sb->messages.first().text.contains(QStringLiteral("modifiche non salvate")));
        QCOMPARE(PriceListFile::read(listPath(), 1).voci[0][TVoceListino::Nome], saved);
        QCOMPARE(sb->reports.size(), reports);
        if (reports)
            QCOMPARE(sb->reports.first().second.page(0).item("txtNome_A")->text(), saved);

        // Once saved (or unchanged), nothing is asked.
        if (answer == QMessageBox::Yes) {
            sb->clearMessages();
            printWhole();
            QVERIFY(sb->messages.isEmpty());
        }
    }

    void theIndexListsEveryProductByNameWithItsPage()
    {
        makeList();
        openList();
        const PreparedReport whole = printWhole(true);
        QCOMPARE(whole.pageCount(), 4);
        const PreparedPage index = whole.page(3);
        QCOMPARE(index.item("txtNome")->text(), QStringLiteral("Fiori"));
        QCOMPARE(index.item("txtPagina")->text(), QStringLiteral("4"));
        // Character codes, a–z as capitals: digits, then letters, then accented letters; ties keep file order.
        QCOMPARE(column(index, "txtProdotto_"),
            (QStringList { "10 pezzi", "9 pezzi", "Arancia", "arancia", "banana", "Zucca", "Àncora" }));
        QCOMPARE(column(index, "txtPaginaProdotto_"), (QStringList { "2", "2", "1", "3", "1", "2", "1" }));
        QCOMPARE(column(index, "txtCodice_"), (QStringList { "C-3", "C-4", "C-1", "C-6", "C-0", "C-5", "C-2" }));
        QCOMPARE(column(index, "txtPrezzo_").first(), QStringLiteral("€  4,50"));
        QCOMPARE(index.item("txtProdotto_0")->style.family, QStringLiteral("Arial"));
    }

    void annullaDuringPreparationPrintsNothing()
    {
        Sandbox::writeFile(listPath(), QByteArray());
        for (int n = 0; n < 12; ++n)
            PriceListFile::append(listPath(), TPaginaListino());
        openList();
        sb->reports.clear();
        ProgressWatcher watcher(QStringLiteral("pagina 4 di"), QStringLiteral("dlgPreparazione"));
        printFromEditor(true, true);
        QCOMPARE(watcher.labels.constFirst(), QStringLiteral("Preparazione del listino: pagina 1 di 12"));
        QCOMPARE(watcher.labels.constLast(), QStringLiteral("Preparazione del listino: pagina 4 di 12"));
        QVERIFY(watcher.wasModal);
        QVERIFY(sb->reports.isEmpty());
        QVERIFY(sb->messages.isEmpty());
    }

    void aLongIndexGoesOnToMorePages()
    {
        Sandbox::writeFile(listPath(), QByteArray());
        for (int n = 0; n < 7; ++n) {
            TPaginaListino page;
            for (int k = 0; k < 8; ++k)
                page.voci[k][TVoceListino::Nome] = QStringLiteral("P%1").arg(n * 8 + k, 2, 10, QLatin1Char('0'));
            PriceListFile::append(listPath(), page);
        }
        openList();
        const PreparedReport whole = printWhole(true);
        QCOMPARE(whole.pageCount(), 7 + 2);
        const QStringList first = column(whole.page(7), "txtProdotto_");
        const QStringList second = column(whole.page(8), "txtProdotto_");
        QCOMPARE(first.size() + second.size(), 56);
        QCOMPARE(second.last(), QStringLiteral("P55"));
        QCOMPARE(whole.page(8).item("txtPagina")->text(), QStringLiteral("9"));
    }
};

VETRINOVA_TEST_MAIN(TestWholeList)
#include "tst_wholelist.moc"
