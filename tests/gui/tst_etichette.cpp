// The label window and its entries: barcodes read back from the PDF by a real decoder, labels where
// each sheet puts them, copies by stock, the batch card print, and "Cerca codice" with a scanner.
#include "tests/support/TestSupport.h"

#include "pricelist/ImportaMagazzino.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/engine/LabelReport.h"
#include "report/engine/ReportPainter.h"
#include "storage/ArchiveResult.h"
#include "storage/ProgramSettings.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/Etichette.h"
#include "warehouse/LabelEntries.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"
#include "warehouse/StampaMag.h"
#include "warehouse/TrovaMagazzino.h"
#include "widgets/WindowSet.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>

namespace {
constexpr double MmPerPoint = 25.4 / 72.0;

struct PdfWord
{
    int page;
    QString text;
    QRectF mm;
};

/** Every word of the PDF with its box in millimetres, as pdftotext places it. */
QList<PdfWord> pdfWords(const QString &pdf)
{
    QProcess run;
    run.start(QStringLiteral("pdftotext"), { QStringLiteral("-bbox"), pdf, QStringLiteral("-") });
    if (!run.waitForFinished(30000))
        return {};
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    static const QRegularExpression tag(QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                                       "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PdfWord> words;
    int page = -1;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.append({ page, m.captured(5), QRectF(topLeft * MmPerPoint, bottomRight * MmPerPoint) });
    }
    return words;
}

/** What zbarimg decodes on every page of the PDF rendered at 300 dpi, as "TYPE:data" lines. */
QStringList decodedBarcodes(const QString &pdf, const QString &scratch)
{
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-gray"), QStringLiteral("-png"), pdf,
            scratch + QStringLiteral("/page") });
    if (!render.waitForFinished(60000))
        return {};
    QStringList pages;
    for (const QString &name : QDir(scratch).entryList({ QStringLiteral("page*.png") }, QDir::Files, QDir::Name))
        pages << scratch + QLatin1Char('/') + name;
    QProcess decode;
    decode.start(QStringLiteral("zbarimg"), QStringList { QStringLiteral("--quiet") } + pages);
    if (!decode.waitForFinished(60000))
        return {};
    QStringList found = QString::fromUtf8(decode.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    found.sort();
    return found;
}

bool haveTools(const QStringList &tools)
{
    for (const QString &tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    return true;
}

LabelProduct product(const QString &code, const QString &name, const QString &price = QStringLiteral("9,90"),
    const QString &stock = QStringLiteral("1"))
{
    return { code, name, price, QString(), QString(), stock };
}

qint64 addCard(const QString &code, const QString &name, const QString &stock = QStringLiteral("1"),
    const QString &price = QStringLiteral("10,00"))
{
    TSchedaProdotto card;
    card[TSchedaProdotto::Codice] = code;
    card[TSchedaProdotto::Nome] = name;
    card[TSchedaProdotto::Costo] = QStringLiteral("4,00");
    card[TSchedaProdotto::Giacenza] = stock;
    card[TSchedaProdotto::Avviso] = QStringLiteral("0");
    card[TSchedaProdotto::UM] = QStringLiteral("Scatola");
    card[TSchedaProdotto::Tipologia] = QStringLiteral("Casa");
    card[TSchedaProdotto::Caratteristiche] = QStringLiteral("Robusto");
    card[TSchedaProdotto::Prezzo] = price;
    card[TSchedaProdotto::Pagato] = TSchedaProdotto::paidText(false);
    return WarehouseArchive::append(card);
}

/** The records a result list shows, in its order. */
QList<qint64> listed(QListView *list)
{
    QList<qint64> records;
    auto *model = qobject_cast<ResultListModel *>(list->model());
    for (int row = 0; model && row < model->rowCount(); ++row)
        records << model->recordAt(row);
    return records;
}

QAction *entry(QWidget *widget, const QString &name)
{
    for (QAction *action : widget->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}
} // namespace

class TestEtichette : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<QTemporaryDir> m_scratch;

    /** Saves the window's labels as a PDF in the scratch folder and returns its path. */
    QString savePdf(TfrmEtichette &window, const QString &name = QStringLiteral("etichette.pdf"))
    {
        const QString path = m_scratch->filePath(name);
        m_sandbox->nextFiles << path;
        window.findChild<QPushButton *>(QStringLiteral("btnSalvaPdf"))->click();
        return path;
    }

    int sheetIndex(const TfrmEtichette &window, const QString &startsWith)
    {
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("cboFoglio"));
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).startsWith(startsWith))
                return i;
        return -1;
    }

private slots:
    void init()
    {
        m_sandbox = std::make_unique<Sandbox>();
        m_scratch = std::make_unique<QTemporaryDir>();
    }
    void cleanup()
    {
        WindowSet::instance<TfrmMagazzino>() = nullptr;
        WindowSet::instance<TfrmListinoPrezzi>() = nullptr;
        m_scratch.reset();
        m_sandbox.reset();
    }

    void everyBarcodeReadsBackAsItsCode()
    {
        if (!haveTools({ QStringLiteral("pdftoppm"), QStringLiteral("zbarimg") }))
            QSKIP("pdftoppm (poppler-utils) or zbarimg (zbar-tools) is not installed");
        const QList<LabelProduct> products = {
            product(QStringLiteral("4006381333931"), QStringLiteral("EAN-13 intero")),
            product(QStringLiteral("800123456789"), QStringLiteral("EAN-13 senza controllo")),
            product(QStringLiteral("96385074"), QStringLiteral("EAN-8 intero")),
            product(QStringLiteral("5512345"), QStringLiteral("EAN-8 senza controllo")),
            product(QStringLiteral("4006381333932"), QStringLiteral("Controllo sbagliato")),
            product(QStringLiteral("ART 001/B"), QStringLiteral("Con spazio")),
            product(QStringLiteral("Caff\u00e8-01"), QStringLiteral("Con accento")),
            product(QStringLiteral("\u20ac-100"), QStringLiteral("Con euro")),
        };
        TfrmEtichette window(nullptr, products);
        window.findChild<QComboBox *>(QStringLiteral("cboFoglio"))
            ->setCurrentIndex(sheetIndex(window, "A4, 2 \u00d7 4"));
        // The code no barcode can carry is named before anything is printed.
        const QString warnings = window.findChild<QLabel *>(QStringLiteral("lblAvvisi"))->text();
        QVERIFY2(
            warnings.contains(QStringLiteral("Senza codice a barre")) && warnings.contains(QStringLiteral("Con euro")),
            qPrintable(warnings));
        QVERIFY(!warnings.contains(QStringLiteral("Con accento")));
        const QString pdf = savePdf(window);
        QVERIFY(QFileInfo::exists(pdf));

        // The decoder reports one symbol per distinct data on a page, so every code here is different.
        // It reads Code 128's Latin-1 letters (each a shift, FNC4, and the letter less 128) without the
        // shift: "è" (232) comes back as "h" (104), the one difference from the code printed.
        QStringList expected = {
            QStringLiteral("EAN-13:4006381333931"),
            QStringLiteral("EAN-13:8001234567897"),
            QStringLiteral("EAN-8:96385074"),
            QStringLiteral("EAN-8:55123457"),
            QStringLiteral("CODE-128:4006381333932"),
            QStringLiteral("CODE-128:ART 001/B"),
            QStringLiteral("CODE-128:Caffh-01"),
        };
        expected.sort();
        QCOMPARE(decodedBarcodes(pdf, m_scratch->path()), expected);
    }

    void labelsLandWhereTheSheetPutsThem_data()
    {
        QTest::addColumn<QString>("sheet"); // the start of its name, or "custom" / "roll"
        QTest::addColumn<int>("startAt");
        const QList<LabelSheet> sheets = LabelSheet::standardSheets();
        for (const LabelSheet &s : sheets)
            QTest::newRow(qPrintable(s.name)) << s.name << 1;
        QTest::newRow("3 x 8 from label 5") << sheets.at(4).name << 5;
        QTest::newRow("custom with gaps") << "custom" << 2;
        QTest::newRow("roll") << "roll" << 1;
    }
    void labelsLandWhereTheSheetPutsThem()
    {
        if (!haveTools({ QStringLiteral("pdftotext") }))
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFETCH(QString, sheet);
        QFETCH(int, startAt);
        const auto choose = [&](TfrmEtichette &window) {
            auto *combo = window.findChild<QComboBox *>(QStringLiteral("cboFoglio"));
            if (sheet == QLatin1String("custom")) {
                combo->setCurrentIndex(combo->count() - 1);
                const std::pair<const char *, double> values[] = { { "spnRighe", 5 }, { "spnColonne", 3 },
                    { "spnLarghezza", 60 }, { "spnAltezza", 40 }, { "spnMargineSx", 12.5 }, { "spnMargineSu", 20 },
                    { "spnSpazioOr", 4 }, { "spnSpazioVe", 3.5 } };
                for (const auto &[name, value] : values) {
                    if (auto *whole = window.findChild<QSpinBox *>(QLatin1String(name)))
                        whole->setValue(int(value));
                    else
                        window.findChild<QDoubleSpinBox *>(QLatin1String(name))->setValue(value);
                }
            } else if (sheet == QLatin1String("roll")) {
                combo->setCurrentIndex(combo->count() - 2);
                window.findChild<QDoubleSpinBox *>(QStringLiteral("spnLarghezza"))->setValue(62);
                window.findChild<QDoubleSpinBox *>(QStringLiteral("spnAltezza"))->setValue(29);
            } else {
                combo->setCurrentIndex(combo->findText(sheet));
            }
            window.findChild<QSpinBox *>(QStringLiteral("spnInizio"))->setValue(startAt);
            window.findChild<QCheckBox *>(QStringLiteral("chkBarcode"))->setChecked(false);
            return window.sheet();
        };
        TfrmEtichette probe(nullptr, {});
        const LabelSheet geometry = choose(probe);
        QVERIFY(geometry.valid());
        // One sheet's worth: from the start label to the last one (a roll: three labels, three pages).
        const int count = geometry.isRoll() ? 3 : geometry.perPage() - (startAt - 1);
        QList<LabelProduct> products;
        for (int i = 1; i <= count; ++i)
            products << product(QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("Prodotto"));
        TfrmEtichette window(nullptr, products);
        choose(window);
        const QString pdf = savePdf(window);
        const QList<PdfWord> words = pdfWords(pdf);
        QVERIFY(!words.isEmpty());

        const double inset = labelInsetMm(geometry.labelMm);
        int checked = 0;
        for (int i = 0; i < count; ++i) {
            const LabelPlace place = labelPlace(geometry, startAt, i);
            const QRectF label = geometry.labelRect(place.slot);
            const QString code = QStringLiteral("P%1").arg(i + 1, 2, 10, QLatin1Char('0'));
            const auto found
                = std::find_if(words.cbegin(), words.cend(), [&](const PdfWord &w) { return w.text == code; });
            QVERIFY2(found != words.cend(), qPrintable(code));
            QCOMPARE(found->page, place.page);
            QVERIFY2(qAbs(found->mm.left() - (label.left() + inset)) <= 0.2,
                qPrintable(
                    QStringLiteral("%1 at %2 mm, label at %3 mm").arg(code).arg(found->mm.left()).arg(label.left())));
            QVERIFY2(found->mm.top() >= label.top() - 0.2 && found->mm.bottom() <= label.bottom() + 0.2,
                qPrintable(QStringLiteral("%1 from %2 to %3 mm, label from %4 to %5 mm")
                               .arg(code)
                               .arg(found->mm.top())
                               .arg(found->mm.bottom())
                               .arg(label.top())
                               .arg(label.bottom())));
            ++checked;
        }
        QCOMPARE(checked, count);
        // Nothing else is printed: one code per label.
        QCOMPARE(std::count_if(words.cbegin(), words.cend(),
                     [](const PdfWord &w) {
                         return QRegularExpression(QStringLiteral("^P\\d\\d$")).match(w.text).hasMatch();
                     }),
            qsizetype(count));
    }

    void aLongNameShrinksInsideItsLabel()
    {
        if (!haveTools({ QStringLiteral("pdftotext") }))
            QSKIP("pdftotext (poppler-utils) is not installed");
        // As long as a name can be: 50 characters.
        const QString name = QStringLiteral("Portaombrelli ottagonale in ottone brunito e vasca");
        TfrmEtichette window(nullptr, { product(QStringLiteral("4006381333931"), name) });
        window.findChild<QComboBox *>(QStringLiteral("cboFoglio"))
            ->setCurrentIndex(sheetIndex(window, "A4, 5 \u00d7 13"));
        const LabelSheet geometry = window.sheet();
        const QList<PdfWord> words = pdfWords(savePdf(window));
        const QRectF label = geometry.labelRect(0);
        const QStringList expected = name.split(QLatin1Char(' '));
        QStringList printed;
        double top = -1;
        for (const PdfWord &w : words) {
            if (!expected.contains(w.text))
                continue;
            printed << w.text;
            // Whole, on one line, within the label.
            QVERIFY2(label.adjusted(-0.2, -0.2, 0.2, 0.2).contains(w.mm), qPrintable(w.text));
            if (top < 0)
                top = w.mm.top();
            QVERIFY(qAbs(w.mm.top() - top) < 0.05);
        }
        QCOMPARE(printed, expected);
    }

    void copiesByStock()
    {
        TfrmEtichette window(nullptr,
            { product(QStringLiteral("A1"), QStringLiteral("Tre pezzi"), QStringLiteral("1,00"), QStringLiteral("3")),
                product(
                    QStringLiteral("A2"), QStringLiteral("In negativo"), QStringLiteral("1,00"), QStringLiteral("-2")),
                product(
                    QStringLiteral("A3"), QStringLiteral("Illeggibile"), QStringLiteral("1,00"), QStringLiteral("tre")),
                product(QStringLiteral("A4"), QStringLiteral("Esaurito"), QStringLiteral("1,00"), QStringLiteral("0")),
                product(QStringLiteral("A5"), QStringLiteral("Uno"), QStringLiteral("1,00"), QStringLiteral("1")) });
        auto *warnings = window.findChild<QLabel *>(QStringLiteral("lblAvvisi"));
        QVERIFY(!warnings->text().contains(QStringLiteral("giacenza")));
        window.findChild<QRadioButton *>(QStringLiteral("optGiacenza"))->setChecked(true);
        const QString text = warnings->text();
        QVERIFY2(
            text.contains(QStringLiteral("Nessuna etichetta per giacenza negativa o non numerica: In negativo (A2), "
                                         "Illeggibile (A3).")),
            qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Etichette da stampare: 4 ")));

        window.findChild<QPushButton *>(QStringLiteral("btnAnteprima"))->click();
        QCOMPARE(m_sandbox->reports.size(), 1);
        QCOMPARE(m_sandbox->reports.at(0).first, ReportOutput::Action::Preview);
        QStringList codes;
        for (const PreparedPage &page : m_sandbox->reports.at(0).second.pages)
            for (const PreparedItem *item : page.itemsNamed(LabelItem::Codice))
                codes << item->text();
        QCOMPARE(codes, QStringList({ "A1", "A1", "A1", "A5" }));

        // A fixed number gives every product its labels, whatever its stock.
        window.findChild<QRadioButton *>(QStringLiteral("optFisse"))->setChecked(true);
        window.findChild<QSpinBox *>(QStringLiteral("spnCopie"))->setValue(2);
        QVERIFY(warnings->text().contains(QStringLiteral("Etichette da stampare: 10 ")));
    }

    void nothingToPrintIsSaid()
    {
        TfrmEtichette window(nullptr,
            { product(
                QStringLiteral("A2"), QStringLiteral("In negativo"), QStringLiteral("1,00"), QStringLiteral("-2")) });
        window.findChild<QRadioButton *>(QStringLiteral("optGiacenza"))->setChecked(true);
        window.findChild<QPushButton *>(QStringLiteral("btnStampa"))->click();
        QVERIFY(m_sandbox->reports.isEmpty());
        QCOMPARE(m_sandbox->messageTexts(),
            QStringList { QStringLiteral("Attenzione: non c'\u00e8 nessuna etichetta da stampare.") });
    }

    void theCustomSheetIsKept()
    {
        {
            TfrmEtichette window(nullptr, { product(QStringLiteral("A1"), QStringLiteral("Uno")) });
            auto *combo = window.findChild<QComboBox *>(QStringLiteral("cboFoglio"));
            combo->setCurrentIndex(combo->count() - 1);
            window.findChild<QSpinBox *>(QStringLiteral("spnRighe"))->setValue(6);
            window.findChild<QSpinBox *>(QStringLiteral("spnColonne"))->setValue(2);
            window.findChild<QDoubleSpinBox *>(QStringLiteral("spnLarghezza"))->setValue(99.5);
            window.findChild<QDoubleSpinBox *>(QStringLiteral("spnAltezza"))->setValue(45);
            window.findChild<QDoubleSpinBox *>(QStringLiteral("spnSpazioOr"))->setValue(2.5);
            window.findChild<QPushButton *>(QStringLiteral("btnStampa"))->click();
            QCOMPARE(m_sandbox->reports.size(), 1);
        }
        QCOMPARE(ProgramSettings::value(QStringLiteral("Etichette/Larghezza")).toDouble(), 99.5);
        TfrmEtichette again(nullptr, { product(QStringLiteral("A1"), QStringLiteral("Uno")) });
        auto *combo = again.findChild<QComboBox *>(QStringLiteral("cboFoglio"));
        QCOMPARE(combo->currentIndex(), combo->count() - 1);
        const LabelSheet sheet = again.sheet();
        QCOMPARE(sheet.rows, 6);
        QCOMPARE(sheet.columns, 2);
        QCOMPARE(sheet.labelMm, QSizeF(99.5, 45));
        QCOMPARE(sheet.gapXMm, 2.5);
    }

    void batchCardPrintEqualsTheSingleCardPrints_data()
    {
        QTest::addColumn<bool>("withPhoto");
        QTest::newRow("with photo") << true;
        QTest::newRow("without photo") << false;
    }
    void batchCardPrintEqualsTheSingleCardPrints()
    {
        QFETCH(bool, withPhoto);
        addCard(QStringLiteral("B-1"), QStringLiteral("Brocca"), QStringLiteral("4"));
        addCard(QStringLiteral("A-2"), QStringLiteral("Anfora"), QString());
        addCard(QStringLiteral("C-3"), QStringLiteral("Ciotola"), QStringLiteral("2"));
        makeJpeg(m_sandbox->path(QStringLiteral("1.jpg")), QSize(640, 480), Qt::darkGreen);
        makeJpeg(m_sandbox->path(QStringLiteral("3.jpg")), QSize(300, 500), Qt::blue);
        TfrmMagazzino editor;
        WindowSet::instance<TfrmMagazzino>() = &editor;

        // Every card the search lists, from its list's context menu, in one job.
        TfrmTrovaMagazzino search(&editor);
        search.findChild<QPushButton *>(QStringLiteral("btnCerca"))->click();
        auto *list = search.findChild<QListView *>(QStringLiteral("lstRecords"));
        QCOMPARE(list->model()->rowCount(), 3);
        m_sandbox->answers << (withPhoto ? QMessageBox::Yes : QMessageBox::No);
        entry(list, QStringLiteral("actStampaSchede"))->trigger();
        QCOMPARE(m_sandbox->reports.size(), 1);
        QCOMPARE(m_sandbox->reports.at(0).first, ReportOutput::Action::Print);
        const PreparedReport batch = m_sandbox->reports.at(0).second;
        m_sandbox->reports.clear();

        // Each card printed on its own, in the list's order, as its card print does.
        QList<PreparedPage> single;
        const QList<qint64> order = listed(list);
        QCOMPARE(order.size(), 3);
        for (qint64 n : order) {
            editor.fillFromRecord(WarehouseArchive::read(n), n);
            TfrmStampaMag print(&editor);
            print.findChild<QRadioButton *>(withPhoto ? QStringLiteral("optUno") : QStringLiteral("optDue"))->click();
            print.findChild<QPushButton *>(QStringLiteral("btnStampa"))->click();
            QCOMPARE(m_sandbox->reports.size(), 1);
            single += m_sandbox->reports.takeFirst().second.pages;
        }
        QCOMPARE(batch.pages.size(), single.size());
        for (int i = 0; i < single.size(); ++i)
            QVERIFY2(ReportPainter::pageImage(batch.pages.at(i), 48) == ReportPainter::pageImage(single.at(i), 48),
                qPrintable(QStringLiteral("page %1").arg(i + 1)));
    }

    void labelsFromTheCardEditorAndTheLists()
    {
        addCard(QStringLiteral("4006381333931"), QStringLiteral("Vaso"), QStringLiteral("2"));
        addCard(QStringLiteral("X-9"), QStringLiteral("Tazza"), QStringLiteral("5"));
        TfrmMagazzino editor;
        editor.fillFromRecord(WarehouseArchive::read(2), 2);
        QStringList codes;
        QString title;
        onNextModal([&](QWidget *modal) {
            title = modal->objectName();
            if (auto *labels = qobject_cast<TfrmEtichette *>(modal))
                for (const LabelProduct &p : labels->plan().labels)
                    codes << p.codice;
            modal->close();
        });
        entry(editor.panel(), QStringLiteral("actStampaEtichette"))->trigger();
        QCOMPARE(title, QStringLiteral("frmEtichette"));
        QCOMPARE(codes, QStringList { QStringLiteral("X-9") });

        TfrmTrovaMagazzino search(&editor);
        search.findChild<QPushButton *>(QStringLiteral("btnCerca"))->click();
        codes.clear();
        onNextModal([&](QWidget *modal) {
            if (auto *labels = qobject_cast<TfrmEtichette *>(modal))
                for (const LabelProduct &p : labels->plan().labels)
                    codes << p.codice;
            modal->close();
        });
        auto *list = search.findChild<QListView *>(QStringLiteral("lstRecords"));
        entry(list, QStringLiteral("actStampaEtichette"))->trigger();
        QStringList inListOrder;
        for (qint64 record : listed(list))
            inListOrder << WarehouseArchive::read(record)[TSchedaProdotto::Codice];
        QCOMPARE(inListOrder.size(), 2);
        QCOMPARE(codes, inListOrder);
    }

    void cercaCodiceShowsTheCardOfThatCode()
    {
        addCard(QStringLiteral("800123456789"), QStringLiteral("Primo con il codice"));
        addCard(QStringLiteral("ALTRO"), QStringLiteral("Altro"));
        addCard(QStringLiteral("800123456789"), QStringLiteral("Ultimo con il codice"));
        TfrmMagazzino editor;
        QAction *search = entry(editor.panel(), QStringLiteral("actCercaCodice"));
        QCOMPARE(search->shortcut(), QKeySequence(Qt::Key_F2));
        QString missing;
        // The scanner types the code and Enter; a code no card has is said, and the next scan goes in.
        onNextModal([&](QWidget *modal) {
            auto *box = modal->findChild<QLineEdit *>(QStringLiteral("txtCercaCodice"));
            QTest::keyClicks(box, QStringLiteral("NESSUNO"));
            QTest::keyClick(box, Qt::Key_Return);
            missing = modal->findChild<QLabel *>(QStringLiteral("lblEsito"))->text();
            QTest::keyClicks(box, QStringLiteral(" 800123456789"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        search->trigger();
        QCOMPARE(missing, QStringLiteral("Nessuna scheda ha il codice \u00abNESSUNO\u00bb."));
        QCOMPARE(editor.findChild<QLabel *>(QStringLiteral("lblPosizione"))->text(), QStringLiteral("3"));
        QCOMPARE(
            editor.findChild<QLineEdit *>(QStringLiteral("txtNome"))->text(), QStringLiteral("Ultimo con il codice"));
    }

    void theImportTakesAScannedCode()
    {
        addCard(QStringLiteral("9638507"), QStringLiteral("Ciotola"), QStringLiteral("1"), QStringLiteral("7,50"));
        TfrmListinoPrezzi pageEditor;
        WindowSet::instance<TfrmListinoPrezzi>() = &pageEditor;
        int result = -1;
        onNextModal([&](QWidget *modal) {
            auto *import = qobject_cast<TfrmImportaMagazzino *>(modal);
            QVERIFY(import);
            QCOMPARE(entry(import, QStringLiteral("actCercaCodice"))->shortcut(), QKeySequence(Qt::Key_F2));
            onNextModal([](QWidget *codeBox) {
                auto *box = codeBox->findChild<QLineEdit *>(QStringLiteral("txtCercaCodice"));
                QTest::keyClicks(box, QStringLiteral("9638507"));
                QTest::keyClick(box, Qt::Key_Return);
            });
            import->cercaCodice();
            result = import->result();
        });
        TfrmImportaMagazzino::openFrom(&pageEditor, QLatin1Char('C'));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(pageEditor.pageState().boxes.voci[2][TVoceListino::Nome], QStringLiteral("Ciotola"));
        QCOMPARE(pageEditor.pageState().boxes.voci[2][TVoceListino::Prezzo], QStringLiteral("7,50"));
        QVERIFY(pageEditor.pageState().boxes.voci[1][TVoceListino::Nome].isEmpty());
    }
};

VETRINOVA_TEST_MAIN(TestEtichette)
#include "tst_etichette.moc"
