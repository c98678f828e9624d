#include "tests/support/TestSupport.h"

#include "pricelist/AnteprimaProdotto.h"
#include "pricelist/ListinoPrezzi.h"
#include "pricelist/StampaProdotto.h"
#include "report/ReportOutput.h"
#include "report/ReportPreview.h"
#include "report/engine/ListReport.h"
#include "report/engine/PriceListReport.h"
#include "shell/Application.h"
#include "warehouse/AnteprimaMag.h"
#include "warehouse/Magazzino.h"
#include "warehouse/StampaMag.h"
#include "widgets/PhotoBox.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>

namespace {
struct Request
{
    ReportOutput::Action action;
    PreparedReport report;
};

QImage filled(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

/** The page editor showing page 3 of " Fiori ", each slot box holding its own name, set by name. */
std::unique_ptr<TfrmListinoPrezzi> fakePageEditor()
{
    auto editor = std::make_unique<TfrmListinoPrezzi>();
    ownControl<QLabel>(editor.get(), QStringLiteral("lblNome"))->setText(QStringLiteral(" Fiori "));
    ownControl<QLabel>(editor.get(), QStringLiteral("lblPosizione"))->setText(QStringLiteral("3"));
    for (int k = 0; k < 8; ++k) {
        const QString x = QStringLiteral("_") + slotLetter(k);
        const QStringList boxes = { "txtNome", "txtUM", "txtCaratteristiche", "txtCodice", "txtPrezzo" };
        for (const QString &box : boxes)
            ownControl<QLineEdit>(editor.get(), box + x)->setText(box + x);
        ownControl<PhotoBox>(editor.get(), QStringLiteral("imgFoto") + x)->setPicture(QImage());
    }
    return editor;
}

/** The warehouse editor with each box holding its own name, set by name, and a green photo. */
std::unique_ptr<TfrmMagazzino> fakeCardEditor()
{
    auto editor = std::make_unique<TfrmMagazzino>();
    const QStringList boxes = { "txtCodice", "txtCosto", "txtNome", "txtGiacenza", "txtUM", "txtTipologia",
        "txtCaratteristiche", "txtCollocazione", "txtDitta", "txtAgente", "txtRecapito", "txtDocumento", "txtPagamento",
        "txtDataSca", "txtNote", "txtPrezzo" };
    for (const QString &box : boxes)
        editor->findChild<QLineEdit *>(box)->setText(box.mid(3));
    editor->findChild<QLineEdit *>(QStringLiteral("txtCosto"))->setText(QStringLiteral("12,50"));
    editor->findChild<QLineEdit *>(QStringLiteral("txtGiacenza"))->setText(QStringLiteral("3"));
    editor->findChild<QCheckBox *>(QStringLiteral("chkPagato"))->setChecked(false);
    editor->findChild<PhotoBox *>(QStringLiteral("imgFoto"))->setPicture(filled(QSize(400, 300), Qt::green));
    return editor;
}

QLineEdit *box(QWidget *editor, const QString &name)
{
    return editor->findChild<QLineEdit *>(name);
}

QString printed(const Request &request, const QString &name)
{
    const PreparedItem *item = request.report.pages.at(0).item(name);
    return item ? item->text() : QStringLiteral("<none>");
}

std::unique_ptr<DialogWindow> pageWindow(bool print, TfrmListinoPrezzi *editor)
{
    if (print)
        return std::make_unique<TfrmStampaProdotto>(editor);
    return std::make_unique<TfrmAnteprimaProdotto>(editor);
}

std::unique_ptr<DialogWindow> cardWindow(bool print, TfrmMagazzino *editor)
{
    if (print)
        return std::make_unique<TfrmStampaMag>(editor);
    return std::make_unique<TfrmAnteprimaMag>(editor);
}

/** A printer that prints portrait pages only, as some label and receipt queues do. */
class PortraitOnlyPrinter : public QPrinter
{
public:
    using QPrinter::QPrinter;
    bool setPageLayout(const QPageLayout &layout) override
    {
        return layout.orientation() == QPageLayout::Portrait && QPrinter::setPageLayout(layout);
    }
    bool setPageOrientation(QPageLayout::Orientation orientation) override
    {
        return orientation == QPageLayout::Portrait && QPrinter::setPageOrientation(orientation);
    }
};

/** A price-list page, as the preview gets it. */
PreparedReport pricePage()
{
    ReportTemplate report = makeRepDocumento();
    PriceListPageValues values;
    values.title = QStringLiteral("Fiori");
    fillPriceListPage(report, values);
    return report.prepare();
}

void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(window->findChild<QAbstractButton *>(name), Qt::LeftButton);
}
} // namespace

class TestPrintWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> m_sandbox;
    QList<Request> m_requests;

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        m_requests.clear();
        ReportOutput::setHandler([this](ReportOutput::Action action, const PreparedReport &report) {
            m_requests.append({ action, report });
        });
    }
    void cleanup()
    {
        ReportOutput::setHandler({});
        m_sandbox.reset();
    }

    void twins_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("print") << true;
        QTest::newRow("preview") << false;
    }

    void pageWindowLayout_data() { twins_data(); }
    void pageWindowLayout()
    {
        QFETCH(bool, print);
        auto editor = fakePageEditor();
        auto window = pageWindow(print, editor.get());
        QCOMPARE(window->metaObject()->className(), print ? "TfrmStampaProdotto" : "TfrmAnteprimaProdotto");
        QCOMPARE(
            window->windowTitle(), print ? QStringLiteral(" Stampa scheda") : QStringLiteral(" Anteprima di stampa"));
        QCOMPARE(window->size(), QSize(364, 391));
        QCOMPARE(window->parentWidget(), editor.get());
        QCOMPARE(window->findChild<QWidget *>(QStringLiteral("panSpiega"))->geometry(), QRect(18, 18, 326, 215));
        auto *annulla = window->findChild<QPushButton *>(QStringLiteral("btnAnnulla"));
        auto *stampa = window->findChild<QPushButton *>(QStringLiteral("btnStampa"));
        QCOMPARE(annulla->geometry(), QRect(18, 243, 145, 28));
        QCOMPARE(stampa->geometry(), QRect(200, 243, 145, 28));
        QCOMPARE(annulla->text(), QStringLiteral("Annulla"));
        QCOMPARE(stampa->text(), print ? QStringLiteral("Stampa") : QStringLiteral("Mostra anteprima"));
        QCOMPARE(annulla->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(annulla->nextInFocusChain(), stampa);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(QApplication::focusWidget(), annulla);
    }

    void pagePrintsTheEditorAsShown_data() { twins_data(); }
    void pagePrintsTheEditorAsShown()
    {
        QFETCH(bool, print);
        auto editor = fakePageEditor();
        box(editor.get(), QStringLiteral("txtPrezzo_A"))->setText(QStringLiteral(" 12,50 "));
        box(editor.get(), QStringLiteral("txtPrezzo_B"))->clear();
        box(editor.get(), QStringLiteral("txtNome_C"))->setText(QStringLiteral("Rosa [rossa]"));
        editor->findChild<PhotoBox *>(QStringLiteral("imgFoto_D"))->setPicture(filled(QSize(366, 274), Qt::blue));
        auto window = pageWindow(print, editor.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        click(window.get(), QStringLiteral("btnStampa"));

        QCOMPARE(m_requests.size(), 1);
        const Request &r = m_requests.at(0);
        QCOMPARE(r.action, print ? ReportOutput::Action::Print : ReportOutput::Action::Preview);
        QCOMPARE(r.report.name, QStringLiteral("Listino Prezzi"));
        QCOMPARE(printed(r, "txtNome"), QStringLiteral("Fiori"));
        QCOMPARE(printed(r, "txtPagina"), QStringLiteral("3"));
        QCOMPARE(printed(r, "txtPrezzo_A"), QStringLiteral("€  12,50"));
        QCOMPARE(printed(r, "txtPrezzo_B"), QStringLiteral("€  "));
        QCOMPARE(printed(r, "txtNome_C"), QStringLiteral("Rosa [rossa]"));
        QCOMPARE(printed(r, "txtCaratteristiche_H"), QStringLiteral("txtCaratteristiche_H"));
        QCOMPARE(r.report.pages.at(0).item(QStringLiteral("imgFoto_D"))->picture.pixel(5, 5), QColor(Qt::blue).rgb());
        QVERIFY(r.report.pages.at(0).item(QStringLiteral("imgFoto_A"))->picture.isNull());
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
    }

    void anUnsavedPagePrintsWithoutPageNumber()
    {
        auto editor = fakePageEditor();
        editor->findChild<QLabel *>(QStringLiteral("lblPosizione"))->clear();
        TfrmStampaProdotto window(editor.get());
        window.btnStampaClick();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(printed(m_requests.at(0), "txtPagina"), QString());
    }

    void annullaPrintsNothing_data() { twins_data(); }
    void annullaPrintsNothing()
    {
        QFETCH(bool, print);
        auto editor = fakePageEditor();
        auto page = pageWindow(print, editor.get());
        page->show();
        click(page.get(), QStringLiteral("btnAnnulla"));
        QVERIFY(!page->isVisible());

        auto cardEditor = fakeCardEditor();
        box(cardEditor.get(), QStringLiteral("txtGiacenza"))->clear();
        auto card = cardWindow(print, cardEditor.get());
        card->show();
        click(card.get(), QStringLiteral("btnAnnulla"));
        QVERIFY(!card->isVisible());
        QVERIFY(m_requests.isEmpty());
        QCOMPARE(box(cardEditor.get(), QStringLiteral("txtGiacenza"))->text(), QString());
    }

    void cardWindowLayout_data() { twins_data(); }
    void cardWindowLayout()
    {
        QFETCH(bool, print);
        auto editor = fakeCardEditor();
        auto window = cardWindow(print, editor.get());
        QCOMPARE(window->metaObject()->className(), print ? "TfrmStampaMag" : "TfrmAnteprimaMag");
        QCOMPARE(
            window->windowTitle(), print ? QStringLiteral(" Stampa scheda") : QStringLiteral(" Anteprima di stampa"));
        QCOMPARE(window->size(), QSize(364, 361));
        QCOMPARE(window->findChild<QWidget *>(QStringLiteral("panSpiega"))->geometry(), QRect(18, 18, 326, 207));
        QCOMPARE(window->findChild<QWidget *>(QStringLiteral("imgSpiega"))->geometry(), QRect(23, 24, 315, 188));
        QCOMPARE(window->findChild<QWidget *>(QStringLiteral("panScelta"))->geometry(), QRect(16, 232, 329, 73));
        auto *uno = window->findChild<QRadioButton *>(QStringLiteral("optUno"));
        auto *due = window->findChild<QRadioButton *>(QStringLiteral("optDue"));
        QCOMPARE(uno->geometry(), QRect(16, 12, 300, 22));
        QCOMPARE(due->geometry(), QRect(16, 38, 300, 22));
        QCOMPARE(
            uno->text(), print ? QStringLiteral("Stampa dati con foto.") : QStringLiteral("Anteprima dati con foto."));
        QCOMPARE(due->text(),
            print ? QStringLiteral("Stampa dati senza foto.") : QStringLiteral("Anteprima dati senza foto."));
        QVERIFY(uno->isChecked());
        // The whole row answers a click, also far right of the caption.
        QTest::mouseClick(due, Qt::LeftButton, {}, QPoint(290, 11));
        QVERIFY(due->isChecked());
        QTest::mouseClick(uno, Qt::LeftButton, {}, QPoint(290, 11));
        QVERIFY(uno->isChecked());
        auto *memory = window->findChild<QLabel *>(QStringLiteral("lblMemory"));
        QCOMPARE(memory->text(), QStringLiteral("con"));
        QVERIFY(memory->isHidden());
        auto *annulla = window->findChild<QPushButton *>(QStringLiteral("btnAnnulla"));
        auto *stampa = window->findChild<QPushButton *>(QStringLiteral("btnStampa"));
        QCOMPARE(annulla->geometry(), QRect(18, 315, 137, 28));
        QCOMPARE(stampa->geometry(), QRect(208, 315, 137, 28));
        QCOMPARE(stampa->text(), print ? QStringLiteral("Stampa") : QStringLiteral("Mostra anteprima"));
        QCOMPARE(annulla->nextInFocusChain(), stampa);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(QApplication::focusWidget(), annulla);
    }

    void cardLayoutFollowsTheChoice_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("memory");
        QTest::addColumn<bool>("withPhoto");
        QTest::newRow("print with photo") << true << "optUno"
                                          << "con" << true;
        QTest::newRow("print without photo") << true << "optDue"
                                             << "senza" << false;
        QTest::newRow("preview with photo") << false << "optUno"
                                            << "con" << true;
        QTest::newRow("preview without photo") << false << "optDue"
                                               << "senza" << false;
    }
    void cardLayoutFollowsTheChoice()
    {
        QFETCH(bool, print);
        QFETCH(QString, option);
        QFETCH(QString, memory);
        QFETCH(bool, withPhoto);
        auto editor = fakeCardEditor();
        editor->findChild<QCheckBox *>(QStringLiteral("chkPagato"))->setChecked(true);
        box(editor.get(), QStringLiteral("txtRecapito"))->setText(QStringLiteral("0512345678"));
        auto window = cardWindow(print, editor.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Go through the other choice first: the last click counts.
        click(window.get(), option == QLatin1String("optUno") ? QStringLiteral("optDue") : QStringLiteral("optUno"));
        click(window.get(), option);
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblMemory"))->text(), memory);
        click(window.get(), QStringLiteral("btnStampa"));

        QCOMPARE(m_requests.size(), 1);
        const Request &r = m_requests.at(0);
        QCOMPARE(r.action, print ? ReportOutput::Action::Print : ReportOutput::Action::Preview);
        QCOMPARE(r.report.name, QStringLiteral("Scheda informativa"));
        const PreparedPage &page = r.report.pages.at(0);
        QCOMPARE(bool(page.item(QStringLiteral("imgFoto"))), withPhoto);
        QCOMPARE(bool(page.item(QStringLiteral("Memo1"))), !withPhoto);
        if (withPhoto)
            QCOMPARE(page.item(QStringLiteral("imgFoto"))->picture.pixel(1, 1), QColor(Qt::green).rgb());
        QCOMPARE(printed(r, "txtCampo01"), QStringLiteral("Codice"));
        QCOMPARE(printed(r, "titCampo11"), QStringLiteral("Recapito telefonico"));
        QCOMPARE(printed(r, "txtCampo11"), QStringLiteral("0512345678"));
        QCOMPARE(printed(r, "txtCampo17"), QStringLiteral("Costo unitario (€ 12,50) x giacenza (3 pezzi) = € 37,5"));
        QCOMPARE(printed(r, "txtCampo18"), QStringLiteral("Sì"));
        QCOMPARE(printed(r, "txtCalce"), QStringLiteral("Stampa eseguita in data 07/01/2025 alle ore 10:30:00"));
        QVERIFY(!window->isVisible());
    }

    void emptyStockAndCostPrintAsZeroAndStayInTheEditor()
    {
        auto editor = fakeCardEditor();
        box(editor.get(), QStringLiteral("txtGiacenza"))->setText(QStringLiteral("  "));
        box(editor.get(), QStringLiteral("txtCosto"))->clear();
        TfrmStampaMag window(editor.get());
        window.btnStampaClick();
        QCOMPARE(box(editor.get(), QStringLiteral("txtGiacenza"))->text(), QStringLiteral("0"));
        QCOMPARE(box(editor.get(), QStringLiteral("txtCosto"))->text(), QStringLiteral("0,00"));
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(printed(m_requests.at(0), "txtCampo17"),
            QStringLiteral("Costo unitario (€ 0,00) x giacenza (0 pezzi) = € 0"));
        QCOMPARE(printed(m_requests.at(0), "txtCampo18"), QStringLiteral("No"));
    }

    void aStockThatIsNoNumberIsReportedAndNothingPrints_data() { twins_data(); }
    void aStockThatIsNoNumberIsReportedAndNothingPrints()
    {
        QFETCH(bool, print);
        auto editor = fakeCardEditor();
        box(editor.get(), QStringLiteral("txtGiacenza"))->setText(QStringLiteral("tre"));
        box(editor.get(), QStringLiteral("txtCosto"))->clear();
        auto window = cardWindow(print, editor.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        click(window.get(), QStringLiteral("btnStampa"));
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::ErrorReport);
        QVERIFY(m_sandbox->messages.at(0).text.contains(QStringLiteral("'tre'")));
        QVERIFY(m_requests.isEmpty());
        QVERIFY(window->isVisible());
        QCOMPARE(box(editor.get(), QStringLiteral("txtCosto"))->text(), QStringLiteral("0,00"));
    }

    void theCardPhotoIsCopiedWhenShown()
    {
        auto editor = fakeCardEditor();
        auto *photo = editor->findChild<PhotoBox *>(QStringLiteral("imgFoto"));
        TfrmAnteprimaMag window(editor.get());
        auto *logo = window.findChild<PhotoBox *>(QStringLiteral("imgLogo"));
        auto *bianco = window.findChild<PhotoBox *>(QStringLiteral("imgBianco"));
        QVERIFY(logo->isHidden() && bianco->isHidden());
        QCOMPARE(logo->picture().pixel(0, 0), QColor(Qt::green).rgb());
        QVERIFY(!bianco->picture().isNull());

        photo->setPicture(QImage());
        window.show();
        QCOMPARE(logo->picture(), bianco->picture());
        window.hide();
        photo->setPicture(filled(QSize(10, 10), Qt::red));
        window.show();
        QCOMPARE(logo->picture().pixel(0, 0), QColor(Qt::red).rgb());
    }

    void everyOpeningStartsWithThePhotoLayout()
    {
        auto editor = fakeCardEditor();
        QStringList seen;
        onNextModal([&seen](QWidget *modal) {
            seen << modal->findChild<QLabel *>(QStringLiteral("lblMemory"))->text();
            click(modal, QStringLiteral("optDue"));
            seen << modal->findChild<QLabel *>(QStringLiteral("lblMemory"))->text();
            click(modal, QStringLiteral("btnAnnulla"));
        });
        TfrmStampaMag::openFrom(editor.get());
        onNextModal([&seen](QWidget *modal) {
            seen << modal->findChild<QLabel *>(QStringLiteral("lblMemory"))->text();
            click(modal, QStringLiteral("btnStampa"));
        });
        TfrmStampaMag::openFrom(editor.get());
        QCOMPARE(seen, QStringList({ "con", "senza", "con" }));
        QCOMPARE(m_requests.size(), 1);
        QVERIFY(m_requests.at(0).report.pages.at(0).item(QStringLiteral("imgFoto")));
        QVERIFY(editor->findChildren<CardPrintWindow *>().isEmpty());
    }

    void theWarehouseEditorsCardPrintsAsShown()
    {
        TfrmMagazzino editor;
        editor.clearCard();
        auto *giacenza = ownControl<QLineEdit>(&editor, QStringLiteral("txtGiacenza"));
        ownControl<QLineEdit>(&editor, QStringLiteral("txtCodice"))->setText(QStringLiteral("ART-7"));
        ownControl<QLineEdit>(&editor, QStringLiteral("txtCosto"))->setText(QStringLiteral("1,10"));
        ownControl<QLineEdit>(&editor, QStringLiteral("txtNote"))->setText(QStringLiteral("Da ordinare"));
        giacenza->setText(QStringLiteral("2"));
        onNextModal([](QWidget *modal) { click(modal, QStringLiteral("btnStampa")); });
        TfrmAnteprimaMag::openFrom(&editor);

        QCOMPARE(m_requests.size(), 1);
        const Request &r = m_requests.at(0);
        QCOMPARE(printed(r, "txtCampo01"), QStringLiteral("ART-7"));
        QCOMPARE(printed(r, "txtCampo15"), QStringLiteral("Da ordinare"));
        QCOMPARE(printed(r, "txtCampo17"), QStringLiteral("Costo unitario (€ 1,10) x giacenza (2 pezzi) = € 2,2"));
        QCOMPARE(printed(r, "txtCampo18"), QStringLiteral("No"));
        // A new card prints the placeholder the editor shows for it.
        QCOMPARE(r.report.pages.at(0).item(QStringLiteral("imgFoto"))->picture, editor.placeholderPicture());
    }

    void closingThePreviewClosesThePrintWindow()
    {
        ReportOutput::setHandler({});
        auto editor = fakePageEditor();
        bool maximised = false;
        double zoom = 0;
        onNextModal([&](QWidget *modal) { click(modal, QStringLiteral("btnStampa")); });
        auto *timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, [&, timer] {
            if (auto *preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget())) {
                timer->stop();
                maximised = preview->windowState() & Qt::WindowMaximized;
                zoom = preview->zoom();
                preview->findChild<QAction *>(QStringLiteral("preview-tool-close"))->trigger();
            }
        });
        timer->start();
        TfrmAnteprimaProdotto::openFrom(editor.get());
        QVERIFY(maximised);
        QCOMPARE(zoom, 1.0);
        QVERIFY(editor->findChildren<PagePrintWindow *>().isEmpty());
    }

    void previewShowsPagesAtRealSize()
    {
        ReportPreview preview(pricePage());
        QCOMPARE(preview.windowTitle(), QStringLiteral(" Anteprima di stampa - Listino Prezzi"));
        auto *area = preview.findChild<QScrollArea *>(QStringLiteral("scrPagine"));
        const QList<QWidget *> sheets = area->widget()->findChildren<QWidget *>();
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets.at(0)->size(), QSize(794, 1123)); // A4 at 96 dpi
        preview.zoomIn();
        QCOMPARE(preview.zoom(), 1.25);
        preview.zoomOut();
        preview.zoomOut();
        QCOMPARE(preview.zoom(), 0.75);
        QCOMPARE(sheets.at(0)->width(), qRound(mmToUnits(210) * 0.75));
        preview.findChild<QAction *>(QStringLiteral("preview-tool-zoom-100"))->trigger();
        QCOMPARE(preview.zoom(), 1.0);

        auto *fullScreen = preview.findChild<QAction *>(QStringLiteral("preview-tool-fullscreen"));
        fullScreen->trigger();
        QVERIFY(preview.isFullScreen());
        QVERIFY(fullScreen->isChecked());
        fullScreen->trigger();
        QVERIFY(!preview.isFullScreen());
        QVERIFY(!fullScreen->isChecked());

        preview.findChild<QAction *>(QStringLiteral("preview-tool-print"))->trigger();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.at(0).action, ReportOutput::Action::Print);
    }

    void savePdfWritesTheNameAnswered_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::newRow("typed without suffix") << "listino"
                                              << "listino.pdf";
        QTest::newRow("typed with suffix") << "listino.pdf"
                                           << "listino.pdf";
        QTest::newRow("suffix in capitals") << "LISTINO.PDF"
                                            << "LISTINO.PDF";
        QTest::newRow("dot inside the name") << "listino v1.2"
                                             << "listino v1.2.pdf";
        QTest::newRow("a photo's suffix") << "listino.jpg"
                                          << "listino.jpg.pdf";
    }
    void savePdfWritesTheNameAnswered()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        ReportPreview preview(pricePage());
        m_sandbox->nextFiles << m_sandbox->path(answer);
        preview.findChild<QAction *>(QStringLiteral("preview-tool-pdf"))->trigger();
        QCOMPARE(m_sandbox->fileDialogs,
            (QList<QStringList> { { "Salva come PDF", "Documento PDF|*.pdf", "Listino Prezzi.pdf", "pdf" } }));
        QCOMPARE(QDir(m_sandbox->folder()).entryList(QDir::Files), QStringList { written });
        QVERIFY(Sandbox::readFile(m_sandbox->path(written)).startsWith("%PDF"));
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void savePdfAsksAboutTheFileItReplaces_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("yes") << true;
        QTest::newRow("no, then another name") << false;
    }
    void savePdfAsksAboutTheFileItReplaces()
    {
        QFETCH(bool, replace);
        const QString existing = m_sandbox->path(QStringLiteral("listino.pdf"));
        Sandbox::writeFile(existing, "vecchio");
        m_sandbox->answers << (replace ? QMessageBox::Yes : QMessageBox::No);
        m_sandbox->nextFiles << m_sandbox->path(QStringLiteral("listino")) << m_sandbox->path(QStringLiteral("altro"));
        ReportPreview preview(pricePage());
        preview.savePdf();

        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Confirm);
        QCOMPARE(m_sandbox->messages.at(0).text,
            QStringLiteral("Il file %1 esiste già.\r\n\r\nSi vuole sostituirlo?")
                .arg(QDir::toNativeSeparators(existing)));
        if (replace) {
            QCOMPARE(m_sandbox->fileDialogs.size(), 1);
            QVERIFY(Sandbox::readFile(existing).startsWith("%PDF"));
            QVERIFY(!QFile::exists(m_sandbox->path(QStringLiteral("altro.pdf"))));
        } else {
            // The dialog comes back on the name refused.
            QCOMPARE(m_sandbox->fileDialogs.size(), 2);
            QCOMPARE(m_sandbox->fileDialogs.at(1).at(2), existing);
            QCOMPARE(Sandbox::readFile(existing), QByteArray("vecchio"));
            QVERIFY(Sandbox::readFile(m_sandbox->path(QStringLiteral("altro.pdf"))).startsWith("%PDF"));
        }
    }

    void aPdfThatCannotBeWrittenIsReported()
    {
        ReportPreview preview(pricePage());
        m_sandbox->nextFiles << QStringLiteral("/nonexistent-folder/x.pdf");
        preview.savePdf();
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Error);
    }

    void theSaveDialogAddsTheSuffixOfWhatItSaves_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("PDF") << "Documento PDF|*.pdf"
                             << "pdf";
        QTest::newRow("photo") << "File Jpeg (*.jpg)|*.jpg"
                               << "jpg";
    }
    void theSaveDialogAddsTheSuffixOfWhatItSaves()
    {
        QFETCH(QString, filter);
        QFETCH(QString, suffix);
        FileDialogs::setHandler({});
        QString defaultSuffix;
        QStringList nameFilters;
        bool asksItself = true;
        onNextModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog)
                return static_cast<QDialog *>(modal)->reject();
            defaultSuffix = dialog->defaultSuffix();
            nameFilters = dialog->nameFilters();
            asksItself = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(m_sandbox->path("nuovo"));
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept(), as Salva does
        });
        const QString path = FileDialogs::saveFile(nullptr, QStringLiteral("Salva"), filter, QString(), suffix);
        QCOMPARE(defaultSuffix, suffix);
        QCOMPARE(nameFilters, QStringList { FileDialogs::toQtFilter(filter) });
        // Only one question, asked about the name really written.
        QVERIFY(!asksItself);
        QCOMPARE(path, m_sandbox->path("nuovo." + suffix));
    }

    void aCancelledPrintDialogPrintsNothing()
    {
        ReportOutput::setHandler({});
        ReportTemplate report = makeRepDocumento();
        bool dialogSeen = false;
        onNextModal([&](QWidget *modal) {
            dialogSeen = qobject_cast<QPrintDialog *>(modal);
            static_cast<QDialog *>(modal)->reject();
        });
        ReportOutput::print(nullptr, report.prepare());
        QVERIFY(dialogSeen);
        QVERIFY(m_sandbox->messages.isEmpty());
    }

    void aFailingPrinterIsReported()
    {
        ReportTemplate report = makeRepDocumento();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/nonexistent-folder/x.pdf"));
        QVERIFY(!ReportOutput::printOn(nullptr, printer, report.prepare()));
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Error);

        const QString path = m_sandbox->path(QStringLiteral("stampa.pdf"));
        printer.setOutputFileName(path);
        QVERIFY(ReportOutput::printOn(nullptr, printer, report.prepare()));
        QVERIFY(Sandbox::readFile(path).startsWith("%PDF"));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return;
        // The printer adds no margin of its own: the title's first word starts 10 + 1 mm plus the box's
        // inner blank from the paper's edge, and 10 + 0.6 mm down.
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), path, QStringLiteral("-") });
        QVERIFY(pdftotext.waitForFinished(20000));
        const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
        const auto word
            = QRegularExpression(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>NOME</word>"))
                  .match(html);
        QVERIFY(word.hasMatch());
        const double mmPerPoint = 25.4 / 72;
        QVERIFY(qAbs(word.captured(1).toDouble() * mmPerPoint - (11 + unitsToMm(TextPaddingX))) < 0.05);
        QVERIFY(word.captured(2).toDouble() * mmPerPoint > 10.6);
        QVERIFY(word.captured(2).toDouble() * mmPerPoint < 10.6 + 4);
    }

    void aPrinterThatRefusesTheReportsPaperIsReported()
    {
        ReportTemplate list = makeListReport();
        fillListReport(list, QStringLiteral("Materiali in esaurimento"), { QStringLiteral("Cod. A") });
        PortraitOnlyPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_sandbox->path(QStringLiteral("lista.pdf"));
        printer.setOutputFileName(path);
        QVERIFY(!ReportOutput::printOn(nullptr, printer, list.prepare()));
        QCOMPARE(m_sandbox->messages.size(), 1);
        QCOMPARE(m_sandbox->messages.at(0).kind, Msg::Kind::Error);
        QCOMPARE(m_sandbox->messages.at(0).text,
            QStringLiteral("La stampante scelta non accetta il foglio A4 orizzontale del documento: sceglierne "
                           "un'altra."));
        QVERIFY(!QFile::exists(path));

        // The same printer takes a portrait page.
        m_sandbox->clearMessages();
        QVERIFY(ReportOutput::printOn(nullptr, printer, pricePage()));
        QVERIFY(m_sandbox->messages.isEmpty());
        QVERIFY(Sandbox::readFile(path).startsWith("%PDF"));
    }
};

VETRINOVA_TEST_MAIN(TestPrintWindows)
#include "tst_printwindows.moc"
