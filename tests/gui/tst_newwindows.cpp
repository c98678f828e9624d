#include "tests/support/TestSupport.h"

#include "pricelist/ListinoPrezzi.h"
#include "shell/Avvio.h"
#include "shell/CopiaSicurezza.h"
#include "shell/Forms.h"
#include "storage/Clock.h"
#include "storage/PaginaListino.h"
#include "storage/SafetyCopy.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/ImportaSchede.h"
#include "warehouse/Magazzino.h"
#include "widgets/DialogWindow.h"
#include "widgets/PictureButton.h"
#include "widgets/ProgressWindow.h"
#include "widgets/Workspace.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

using F = TSchedaProdotto::Field;

namespace {
/** What keeps a control's text from being whole at its size, or an empty text when it is whole. */
QString cut(QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    auto tooNarrow = [&](const QString &text, int room) {
        const int needed = fm.horizontalAdvance(text);
        return needed > room
            ? QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(w->objectName(), text).arg(needed).arg(room)
            : QString();
    };
    if (auto *check = qobject_cast<QCheckBox *>(w)) {
        QStyleOptionButton o;
        o.initFrom(check);
        o.text = check->text();
        return tooNarrow(check->text(), check->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, check).width());
    }
    if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        QStyleOptionButton o;
        o.initFrom(radio);
        o.text = radio->text();
        return tooNarrow(
            radio->text(), radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, radio).width());
    }
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton o;
        o.initFrom(button);
        o.text = button->text();
        return tooNarrow(QString(button->text()).remove(QLatin1Char('&')),
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &o, button).width());
    }
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        QStyleOptionComboBox o;
        o.initFrom(combo);
        o.editable = false;
        return tooNarrow(combo->currentText(),
            combo->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, combo).width());
    }
    if (auto *edit = qobject_cast<QLineEdit *>(w); edit && edit->text().isEmpty())
        return tooNarrow(edit->placeholderText(),
            edit->width() - 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) - 4);
    if (auto *label = qobject_cast<QLabel *>(w); label && label->pixmap().isNull()) {
        if (!label->wordWrap())
            return tooNarrow(label->text(), label->contentsRect().width() - std::max(0, label->indent()));
        if (label->heightForWidth(label->width()) > label->height())
            return QStringLiteral("%1 \"%2\" needs more lines").arg(label->objectName(), label->text());
    }
    return QString();
}

/** The cut texts among the visible controls of `window` named in `names` (every one when empty). */
QStringList cutTexts(QWidget *window, const QStringList &names = {})
{
    QStringList found;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisible() && (names.isEmpty() || names.contains(w->objectName())))
            if (const QString why = cut(w); !why.isEmpty())
                found << why;
    return found;
}

/** Fails naming every cut text among the controls of `window` named in `names` (every one when empty). */
void expectWhole(QWidget *window, const QStringList &names = {})
{
    QTRY_VERIFY2(cutTexts(window, names).isEmpty(), qPrintable(cutTexts(window, names).join(QStringLiteral("; "))));
}

/** The title bar's buttons and margins beside a window's title. */
constexpr int kTitleBarRoom = 100;

/** The control of `window` with the cursor (the window itself when none has it). */
QString focusIn(QWidget *window)
{
    QWidget *w = window->focusWidget();
    return w ? w->objectName() : QString();
}

/**
 * Presses Tab twice around the window's chain: every expected control must be reached at least
 * twice, so none is skipped and none keeps the focus for itself.
 */
void walk(QWidget *window, const QStringList &expected)
{
    QStringList visited;
    const int presses = 2 * int(expected.size()) + 2;
    for (int i = 0; i < presses; ++i) {
        QWidget *now = window->focusWidget() ? window->focusWidget() : window;
        // A grid where Tab moves from cell to cell is left with Ctrl+Tab.
        const auto *grid = qobject_cast<QAbstractItemView *>(now);
        QTest::keyClick(now, Qt::Key_Tab, grid && grid->tabKeyNavigation() ? Qt::ControlModifier : Qt::NoModifier);
        visited << focusIn(window);
    }
    for (const QString &name : expected)
        QVERIFY2(visited.count(name) >= 2, qPrintable(name + QStringLiteral(" in ") + visited.join(QLatin1Char(' '))));
}

void activate(QWidget *w)
{
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

/** Closes a modal window once the test has looked at it. */
void closeModal(QWidget *w)
{
    if (auto *dialog = qobject_cast<QDialog *>(w))
        dialog->reject();
    else
        w->close();
}
} // namespace

// The windows and controls added to the program, held to what its own windows do: every control
// reached by the keyboard, every text whole, progress over the window that started the work.
class TestNewWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Sandbox> sb;
    std::unique_ptr<QTemporaryDir> m_elsewhere;

    QString listFile()
    {
        const QByteArray bytes = "Codice;Descrizione;Costo;Prezzo;Aspetto esteriore del bene;Categoria "
                                 "merceologica;Collocazione in magazzino\r\n"
                                 "A1;Vaso;10;25,00;Scatola;Casa;Scaffale 3\r\n";
        const QString path = m_elsewhere->path() + QStringLiteral("/elenco.csv");
        Sandbox::writeFile(path, bytes);
        return path;
    }

    void addCards(int n)
    {
        for (int i = 1; i <= n; ++i) {
            TSchedaProdotto card;
            card[F::Codice] = QStringLiteral("C%1").arg(i);
            card[F::Nome] = QStringLiteral("Prodotto %1").arg(i);
            card[F::Giacenza] = QStringLiteral("1");
            card[F::Avviso] = QStringLiteral("5");
            card[F::Pagato] = QStringLiteral("No");
            card[F::DataSca] = QStringLiteral("01/01/2024");
            WarehouseArchive::append(card);
        }
    }

    /** The start window shown, with both badges counted. */
    TfrmAvvio *countedStartWindow()
    {
        addCards(2);
        TfrmAvvio::setCountsAttention(true);
        Forms::createAll();
        TfrmAvvio *avvio = Forms::avvio();
        QSignalSpy counted(avvio, &TfrmAvvio::attentionCounted);
        avvio->show();
        [&] { QTRY_COMPARE(counted.size(), 1); }();
        return avvio;
    }

    /** Opens the page editor's print or preview window on a list of `pages` pages and runs `check` in it. */
    void inWholeListWindow(bool print, int pages, const std::function<void(QWidget *)> &check)
    {
        const QString list = sb->path(QStringLiteral("Fiori.lis"));
        Sandbox::writeFile(list, QByteArray());
        for (int n = 0; n < pages; ++n)
            PriceListFile::append(list, TPaginaListino());
        Forms::createAll();
        Forms::avvio()->show();
        TfrmListinoPrezzi *ed = Forms::listinoPrezzi();
        ed->findChild<QLabel *>(QStringLiteral("lblFile"))->setText(list);
        ed->findChild<QLabel *>(QStringLiteral("lblNome"))->setText(QStringLiteral("Fiori"));
        ed->handOverFrom(Forms::avvio());
        activate(ed);
        bool seen = false;
        onNextModal([&](QWidget *w) {
            seen = true;
            check(w);
            closeModal(w);
        });
        QTest::mouseClick(
            ed->findChild<QWidget *>(print ? QStringLiteral("cmdStampa") : QStringLiteral("cmdAnteprima")),
            Qt::LeftButton);
        QVERIFY(seen);
    }

private slots:
    void init()
    {
        sb = std::make_unique<Sandbox>();
        m_elsewhere = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        Forms::destroyAll();
        TfrmAvvio::setCountsAttention(false);
        m_elsewhere.reset();
        sb.reset();
    }

    void importWindowWalksAndGrows()
    {
        TfrmImportaSchede w(nullptr);
        w.show();
        activate(&w);
        w.loadFile(listFile());
        QStringList expected = { "btnScegliFile", "cboSeparatore", "cboCodifica", "tblAnteprima", "chkIntestazioni",
            "chkAggiorna", "btnCartellaFoto", "btnVerifica", "btnChiudi", "txtFile", "txtCartellaFoto", "txtRapporto",
            "spnIntestazioni", "btnGuida" };
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
            expected << QStringLiteral("cboCampo") + QLatin1String(TSchedaProdotto::info(static_cast<F>(i)).name);
        w.findChild<QWidget *>(QStringLiteral("btnScegliFile"))->setFocus(Qt::TabFocusReason);
        walk(&w, expected);

        // The window may be made larger; the preview and the columns take the room.
        QVERIFY(w.minimumWidth() <= 1024 && w.minimumHeight() <= 700);
        auto *preview = w.findChild<QWidget *>(QStringLiteral("tblAnteprima"));
        const QSize before = preview->size();
        w.resize(1200, 900);
        QTRY_VERIFY(preview->width() > before.width() && preview->height() > before.height());
    }

    void startWindowWalksFromNothing()
    {
        TfrmAvvio *avvio = countedStartWindow();
        activate(avvio);
        // Enter right after opening does nothing: no badge holds the cursor.
        QVERIFY(!qobject_cast<QPushButton *>(avvio->focusWidget()));
        walk(avvio,
            { "btnAvvisoSottoscorta", "btnAvvisoScaduti", "lnkImporta", "imgCopia", "imgRipristina",
                "chkCopiaUscita" });

        // Space works each control reached: the switch toggles, a picture button opens its dialog.
        auto *chk = avvio->findChild<QCheckBox *>(QStringLiteral("chkCopiaUscita"));
        const bool was = chk->isChecked();
        chk->setFocus(Qt::TabFocusReason);
        QTest::keyClick(chk, Qt::Key_Space);
        QCOMPARE(chk->isChecked(), !was);
        QCOMPARE(SafetyCopy::Settings::automatic(), !was);
        auto *copia = avvio->findChild<PictureButton *>(QStringLiteral("imgCopia"));
        copia->setFocus(Qt::TabFocusReason);
        QTest::keyClick(copia, Qt::Key_Space);
        QCOMPARE(sb->fileDialogs.size(), 1);
        int imported = 0;
        onNextModal([&](QWidget *w) {
            imported += w->objectName() == QLatin1String("frmImportaSchede");
            closeModal(w);
        });
        auto *link = avvio->findChild<QWidget *>(QStringLiteral("lnkImporta"));
        link->setFocus(Qt::TabFocusReason);
        QTest::keyClick(link, Qt::Key_Return);
        QCOMPARE(imported, 1);
    }

    void startWindowStripIsOneCalmRow()
    {
        TfrmAvvio *avvio = countedStartWindow();
        const QStringList strip = { "imgImporta", "lnkImporta", "imgCopia", "imgRipristina", "chkCopiaUscita" };
        QWidget *credits = avvio->findChild<QWidget *>(QStringLiteral("imgCrediti"));
        QWidget *previous = credits;
        for (const QString &name : strip) {
            QWidget *w = avvio->findChild<QWidget *>(name);
            QVERIFY2(qAbs(w->geometry().center().y() - credits->geometry().center().y()) <= 1, qPrintable(name));
            QVERIFY2(w->geometry().left() - previous->geometry().right() >= 4, qPrintable(name));
            previous = w;
        }
        QCOMPARE(avvio->findChild<QWidget *>(QStringLiteral("lnkImporta"))->font().pointSize(),
            avvio->findChild<QWidget *>(QStringLiteral("chkCopiaUscita"))->font().pointSize());
        // No status line: what each control does is its tooltip, for the mouse, and its description.
        for (const char *name : { "imgImporta", "lnkImporta", "imgCopia", "imgRipristina", "chkCopiaUscita",
                 "btnAvvisoSottoscorta", "btnAvvisoScaduti" }) {
            QWidget *w = avvio->findChild<QWidget *>(QLatin1String(name));
            const QString status = w->property("statusText").toString();
            QVERIFY2(!status.isEmpty(), name);
            QCOMPARE(w->toolTip(), status);
            QCOMPARE(w->accessibleDescription(), status);
            QVERIFY2(!w->accessibleName().isEmpty(), name);
        }
        const QStringList added = strip + QStringList { "btnAvvisoSottoscorta", "btnAvvisoScaduti" };
        expectWhole(avvio, added);
    }

    void listFromABadgeOpensWhereTheEditorOpensIt_data()
    {
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("button");
        QTest::newRow("under stock") << "btnAvvisoSottoscorta"
                                     << "btnSottoscorta";
        QTest::newRow("overdue") << "btnAvvisoScaduti"
                                 << "btnScaduti";
    }
    void listFromABadgeOpensWhereTheEditorOpensIt()
    {
        QFETCH(QString, badge);
        QFETCH(QString, button);
        TfrmAvvio *avvio = countedStartWindow();
        QRect fromBadge, fromEditor;
        onNextModal([&](QWidget *w) {
            fromBadge = w->frameGeometry();
            closeModal(w);
        });
        QTest::mouseClick(avvio->findChild<QWidget *>(badge), Qt::LeftButton);
        QWidget *editor = Forms::magazzino();
        QTRY_VERIFY(editor->isVisible());
        onNextModal([&](QWidget *w) {
            fromEditor = w->frameGeometry();
            closeModal(w);
        });
        QTest::mouseClick(ownControl<QWidget>(editor, button), Qt::LeftButton);
        QVERIFY(!fromBadge.isNull());
        QCOMPARE(fromBadge, fromEditor);
    }

    void exportWindowOpensInTheGrid()
    {
        TfrmExpMagazzino w(nullptr);
        if (!w.findChild<QCheckBox *>(QStringLiteral("chkFoto")))
            QSKIP("this build writes no workbooks");
        w.show();
        activate(&w);
        QCOMPARE(focusIn(&w), QStringLiteral("grdRecords"));
        walk(&w, { "grdRecords", "chkFoto" });
        expectWhole(&w, QStringList(QStringLiteral("chkFoto")));
    }

    void wholeListChoiceWalksAndIsWhole_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<int>("pages");
        QTest::newRow("print, empty list") << true << 0;
        QTest::newRow("print, one page") << true << 1;
        QTest::newRow("preview, empty list") << false << 0;
        QTest::newRow("preview, one page") << false << 1;
    }
    void wholeListChoiceWalksAndIsWhole()
    {
        QFETCH(bool, print);
        QFETCH(int, pages);
        inWholeListWindow(print, pages, [&](QWidget *w) {
            auto *listino = w->findChild<QRadioButton *>(QStringLiteral("optListino"));
            QCOMPARE(listino->text(),
                pages == 1 ? QStringLiteral("Tutto il listino (1 pagina)")
                           : QStringLiteral("Tutto il listino (0 pagine)"));
            // The preview window says what it does: it shows, it does not print.
            for (QWidget *c : w->findChildren<QWidget *>()) {
                const QString status = c->property("statusText").toString();
                if (!print && (c->objectName() == QLatin1String("optPagina") || c == listino))
                    QVERIFY2(!status.startsWith(QStringLiteral("Stampa")), qPrintable(status));
            }
            if (!print && pages == 0)
                QVERIFY(
                    !w->findChild<QLabel *>(QStringLiteral("panInfo"))->text().contains(QStringLiteral("stampare")));
            const QStringList choice = { "optPagina", "optListino", "chkIndice", "panInfo" };
            expectWhole(w, choice);
            activate(w);
            if (pages > 0) {
                QTest::mouseClick(listino, Qt::LeftButton);
                walk(w, { "btnAnnulla", "btnStampa", "optListino", "chkIndice" });
            } else {
                walk(w, { "btnAnnulla", "btnStampa", "optPagina" });
            }
        });
    }

    void importWindowTextsAreWholeAndImpersonal()
    {
        TfrmImportaSchede w(nullptr);
        QVERIFY(w.windowTitle().startsWith(QLatin1Char(' ')));
        w.show();
        expectWhole(&w);
        w.loadFile(listFile());
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("cboCampoUM"))->currentText(),
            QStringLiteral("E - Aspetto esteriore del bene"));
        expectWhole(&w);
        // One register, the program's: no "Scegli" beside "Selezionare".
        for (QWidget *c : w.findChildren<QWidget *>()) {
            const QStringList texts = { c->property("text").toString(), c->accessibleName(),
                c->property("statusText").toString(), c->toolTip() };
            for (const QString &text : texts)
                QVERIFY2(!text.contains(QStringLiteral("Scegli")), qPrintable(text));
        }
    }

    void progressWindowCentredOnItsParent_data()
    {
        QTest::addColumn<QString>("parentKind");
        QTest::newRow("dialog") << "dialog";
        QTest::newRow("control inside a dialog") << "control";
        QTest::newRow("workspace just maximised") << "maximised";
        QTest::newRow("no window") << "none";
    }
    void progressWindowCentredOnItsParent()
    {
        QFETCH(QString, parentKind);
        std::unique_ptr<QWidget> window;
        QWidget *parent = nullptr;
        QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (parentKind == QLatin1String("maximised")) {
            auto *workspace = new Workspace(QStringLiteral(" Prova"), Qt::white);
            window.reset(workspace);
            workspace->handOverFrom(nullptr);
            parent = workspace;
        } else if (parentKind != QLatin1String("none")) {
            window = std::make_unique<QDialog>();
            window->setGeometry(60, 90, 420, 300);
            auto *button = new QPushButton(QStringLiteral("Avvia"), window.get());
            button->setGeometry(300, 240, 100, 30);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            area = window->frameGeometry();
            parent = parentKind == QLatin1String("control") ? static_cast<QWidget *>(button) : window.get();
        }
        const QString title = QStringLiteral(" Crea copia di sicurezza");
        ProgressWindow progress(parent, QStringLiteral("dlgProva"), title, QStringLiteral("Avanzamento"));
        QRect frame;
        int width = 0;
        int titleWidth = 0;
        ProgressWindow::setStepObserver([&](QProgressDialog *shown) {
            if (!shown || !shown->isVisible())
                return;
            frame = shown->frameGeometry();
            width = shown->width();
            titleWidth = shown->fontMetrics().horizontalAdvance(title);
        });
        const bool went
            = progress.run([](Job &job) { return job.step(0, 10, QStringLiteral("Copia di sicurezza in corso...")); });
        ProgressWindow::setStepObserver({});
        QVERIFY(went);
        QVERIFY(!frame.isNull());
        const QPoint off = frame.center() - area.center();
        QVERIFY2(off.manhattanLength() <= 2, qPrintable(QStringLiteral("off by %1,%2").arg(off.x()).arg(off.y())));
        QVERIFY(width >= titleWidth + kTitleBarRoom);
        QVERIFY(area.contains(frame));
    }

    void safetyCopyProgressOpensOverTheStartWindow_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::newRow("copy") << false;
        QTest::newRow("restore") << true;
    }
    void safetyCopyProgressOpensOverTheStartWindow()
    {
        QFETCH(bool, restore);
        Forms::createAll();
        TfrmAvvio *avvio = Forms::avvio();
        avvio->move(40, 30);
        avvio->show();
        QVERIFY(QTest::qWaitForWindowExposed(avvio));
        addCards(1);
        Sandbox::writeFile(sb->path(QStringLiteral("1.jpg")), QByteArray(1 << 20, 'x'));
        const QString zip = m_elsewhere->path() + QStringLiteral("/copia.zip");
        if (restore)
            QCOMPARE(SafetyCopy::create(zip), SafetyCopy::Problem::None);
        const QString name = restore ? QStringLiteral("dlgRipristinoInCorso") : QStringLiteral("dlgCopiaInCorso");
        QRect seen;
        QString title;
        ProgressWindow::setStepObserver([&](QProgressDialog *d) {
            if (d && d->objectName() == name && d->parent() == avvio && d->isVisible() && seen.isNull()) {
                seen = d->frameGeometry();
                title = d->windowTitle();
            }
        });
        const auto stopWatching = qScopeGuard([] { ProgressWindow::setStepObserver({}); });
        sb->nextFiles = { zip };
        QTest::mouseClick(
            avvio->findChild<QWidget *>(restore ? QStringLiteral("imgRipristina") : QStringLiteral("imgCopia")),
            Qt::LeftButton);
        QVERIFY(!seen.isNull());
        QVERIFY((seen.center() - avvio->frameGeometry().center()).manhattanLength() <= 2);
        QVERIFY(title.startsWith(QLatin1Char(' ')));
    }

    void restoreConfirmationSpeaksItalian()
    {
        Clock::setNow(QDateTime(QDate(2026, 12, 11), QTime(9, 15)));
        Forms::createAll();
        Forms::avvio()->show();
        addCards(1);
        const QString zip = m_elsewhere->path() + QStringLiteral("/copia.zip");
        QCOMPARE(SafetyCopy::create(zip), SafetyCopy::Problem::None);
        sb->nextFiles = { zip };
        sb->answers = { QMessageBox::No };
        QTest::mouseClick(Forms::avvio()->findChild<QWidget *>(QStringLiteral("imgRipristina")), Qt::LeftButton);
        QCOMPARE(sb->messages.size(), 1);
        QVERIFY2(sb->messages[0].text.startsWith(QStringLiteral("Copia di sicurezza dell'11/12/2026 alle 09:15.")),
            qPrintable(sb->messages[0].text));
    }
};

VETRINOVA_TEST_MAIN(TestNewWindows)
#include "tst_newwindows.moc"
