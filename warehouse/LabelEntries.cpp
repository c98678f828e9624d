#include "warehouse/LabelEntries.h"

#include "app/rules/Picture.h"
#include "pricelist/ListinoPrezzi.h"
#include "report/ReportOutput.h"
#include "report/engine/ProductCardReport.h"
#include "storage/ArchiveResult.h"
#include "storage/FieldRules.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/CercaCodice.h"
#include "warehouse/Etichette.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"
#include "warehouse/StampaMag.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/Resources.h"
#include "widgets/WindowSet.h"

#include <QAction>
#include <QHash>
#include <QListView>
#include <QSet>

namespace {
QAction *addEntry(QWidget *widget, const QString &name, const QString &text, const QString &status)
{
    auto *action = new QAction(text, widget);
    action->setObjectName(name);
    action->setStatusTip(status);
    action->setToolTip(status);
    widget->addAction(action);
    widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

/** The records listed in `results`, in the list's order. */
QList<qint64> listedRecords(const ResultPanel *results)
{
    const std::vector<qint64> records = results->model()->records();
    return QList<qint64>(records.cbegin(), records.cend());
}

/** The cards numbered `records`, read in one pass of the archive; a number past the end gives none. */
QHash<qint64, TSchedaProdotto> readCards(const QList<qint64> &records)
{
    const QSet<qint64> wanted(records.cbegin(), records.cend());
    QHash<qint64, TSchedaProdotto> cards;
    WarehouseArchive::forEachRaw([&](qint64 number, const char *record) {
        if (wanted.contains(number))
            cards.insert(number, TSchedaProdotto::load(record));
        return cards.size() < wanted.size();
    });
    return cards;
}

QString cardName(const TSchedaProdotto &card)
{
    const QString name = trimText(card[TSchedaProdotto::Nome]);
    return name.isEmpty() ? trimText(card[TSchedaProdotto::Codice]) : name;
}
} // namespace

LabelProduct LabelEntries::fromCard(const TSchedaProdotto &card)
{
    using F = TSchedaProdotto;
    return { trimText(card[F::Codice]), trimText(card[F::Nome]), trimText(card[F::Prezzo]), trimText(card[F::UM]),
        trimText(card[F::Tipologia]), trimText(card[F::Giacenza]) };
}

QList<LabelProduct> LabelEntries::fromPage(const TPaginaListino &page)
{
    using V = TVoceListino;
    QList<LabelProduct> products;
    for (const TVoceListino &slot : page.voci) {
        if (trimText(slot[V::Nome]).isEmpty() && trimText(slot[V::Codice]).isEmpty())
            continue;
        products.append({ trimText(slot[V::Codice]), trimText(slot[V::Nome]), trimText(slot[V::Prezzo]),
            trimText(slot[V::UM]), QString(), QString() });
    }
    return products;
}

void LabelEntries::addToCardEditor(TfrmMagazzino *editor)
{
    QWidget *panel = editor->panel();
    QAction *labels = addEntry(panel, QStringLiteral("actStampaEtichette"), QStringLiteral("Stampa etichette..."),
        QStringLiteral("Stampa le etichette con prezzo e codice a barre della scheda corrente."));
    QObject::connect(labels, &QAction::triggered, editor,
        [editor] { TfrmEtichette::showFor(editor, { fromCard(editor->shownCard()) }); });
    QAction *search = addEntry(panel, QStringLiteral("actCercaCodice"), QStringLiteral("Cerca codice..."),
        QStringLiteral("Mostra la scheda con il codice digitato o letto dal lettore di codici a barre (F2)."));
    search->setShortcut(QKeySequence(Qt::Key_F2));
    search->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(search, &QAction::triggered, editor, [editor] {
        TfrmCercaCodice::openFrom(
            editor, [editor](const TSchedaProdotto &card, qint64 number) { editor->fillFromRecord(card, number); });
    });
}

void LabelEntries::addToResults(ResultPanel *results)
{
    QWidget *list = results->list();
    QAction *labels = addEntry(list, QStringLiteral("actStampaEtichette"), QStringLiteral("Stampa etichette..."),
        QStringLiteral("Stampa le etichette con prezzo e codice a barre delle schede in elenco."));
    QObject::connect(labels, &QAction::triggered, results,
        [results] { labelsForRecords(results->window(), listedRecords(results)); });
    QAction *cards = addEntry(list, QStringLiteral("actStampaSchede"), QStringLiteral("Stampa schede..."),
        QStringLiteral("Stampa la scheda prodotto di ogni scheda in elenco, in un'unica stampa."));
    QObject::connect(
        cards, &QAction::triggered, results, [results] { printCards(results->window(), listedRecords(results)); });
}

void LabelEntries::addToPageEditor(TfrmListinoPrezzi *editor)
{
    QWidget *panel = editor->panel();
    QAction *page
        = addEntry(panel, QStringLiteral("actEtichettePagina"), QStringLiteral("Stampa etichette della pagina..."),
            QStringLiteral("Stampa le etichette dei prodotti della pagina corrente."));
    QObject::connect(page, &QAction::triggered, editor, [editor] {
        const QList<LabelProduct> products = fromPage(editor->pageState().boxes);
        if (products.isEmpty()) {
            Msg::warning(editor, QStringLiteral("Attenzione: la pagina corrente non contiene nessun prodotto."));
            return;
        }
        TfrmEtichette::showFor(editor, products, false);
    });
    QAction *whole = addEntry(panel, QStringLiteral("actEtichetteListino"),
        QStringLiteral("Stampa etichette dell'intero listino..."),
        QStringLiteral("Stampa le etichette dei prodotti di tutte le pagine salvate del listino."));
    QObject::connect(whole, &QAction::triggered, editor, [editor] {
        const QString path = editor->pageState().file;
        QList<LabelProduct> products;
        const ArchiveResult<Done> read = archiveResult([&] {
            const qint64 pages = PriceListFile::pageCount(path);
            for (qint64 n = 1; n <= pages; ++n)
                products += fromPage(PriceListFile::read(path, n));
        });
        if (!read) {
            Msg::archiveError(editor, read.error());
            return;
        }
        if (products.isEmpty()) {
            Msg::warning(editor,
                QStringLiteral("Attenzione: le pagine salvate del listino non contengono nessun "
                               "prodotto."));
            return;
        }
        TfrmEtichette::showFor(editor, products, false);
    });
}

void LabelEntries::labelsForRecords(QWidget *owner, const QList<qint64> &records)
{
    if (records.isEmpty()) {
        Msg::plain(owner, QStringLiteral("Stampa non applicabile: la lista non contiene nessuna voce."));
        return;
    }
    const ArchiveResult<QHash<qint64, TSchedaProdotto>> cards = archiveResult([&] { return readCards(records); });
    if (!cards) {
        Msg::archiveError(owner, cards.error(), true);
        return;
    }
    QList<LabelProduct> products;
    for (qint64 record : records)
        if (cards->contains(record))
            products.append(fromCard(cards->value(record)));
    TfrmEtichette::showFor(owner, products);
}

void LabelEntries::printCards(QWidget *owner, const QList<qint64> &records)
{
    if (records.isEmpty()) {
        Msg::plain(owner, QStringLiteral("Stampa non applicabile: la lista non contiene nessuna voce."));
        return;
    }
    const QMessageBox::StandardButton photos = Msg::askYesNoCancel(owner,
        QStringLiteral("Stampare le %1 schede con la foto del prodotto?\r\n\r\nS\u00ec: con la foto.  No: senza "
                       "foto.")
            .arg(formatCount(records.size())));
    if (photos != QMessageBox::Yes && photos != QMessageBox::No)
        return;
    const bool withPhoto = photos == QMessageBox::Yes;

    // What the work needs from the windows and the artwork, read here on the window's thread.
    const QImage icon = CardPrintWindow::folderIcon();
    TfrmMagazzino *editor = WindowSet::instance<TfrmMagazzino>();
    const QImage placeholder
        = editor ? editor->placeholderPicture() : Resources::image(QStringLiteral("card-placeholder"), QSize(366, 274));

    struct Outcome
    {
        PreparedReport report;
        QStringList refused; // cards whose stock or cost is not a number
    };
    ProgressWindow progress(owner, QStringLiteral("dlgSchedeInCorso"), QStringLiteral(" Stampa schede"),
        QStringLiteral("Avanzamento della preparazione delle schede"));
    const ArchiveResult<Outcome> prepared = archiveResult([&] {
        return progress.run([&](Job &job) {
            Outcome outcome;
            outcome.report.name = QStringLiteral("Schede prodotto");
            const QHash<qint64, TSchedaProdotto> cards = readCards(records);
            ReportTemplate repFoto = makeRepFoto(icon);
            ReportTemplate repScheda = makeRepScheda(icon);
            for (int i = 0; i < records.size(); ++i) {
                if (!job.step(i, records.size(),
                        QStringLiteral("Preparazione delle schede: %1 di %2")
                            .arg(formatCount(i + 1), formatCount(records.size()))))
                    break;
                const qint64 record = records.at(i);
                if (!cards.contains(record))
                    continue;
                // As the editor shows the card before its print: empty stock and cost count as none.
                TSchedaProdotto card = cards.value(record);
                if (trimText(card[TSchedaProdotto::Giacenza]).isEmpty())
                    card[TSchedaProdotto::Giacenza] = QStringLiteral("0");
                if (trimText(card[TSchedaProdotto::Costo]).isEmpty())
                    card[TSchedaProdotto::Costo] = QStringLiteral("0,00");
                ProductCardValues values = CardPrintWindow::cardValues(card);
                if (!stockValue(values.costo, values.giacenza)) {
                    outcome.refused << cardName(card);
                    continue;
                }
                ReportTemplate &report = withPhoto ? repFoto : repScheda;
                if (withPhoto) {
                    const QImage photo = loadPicture(programPath(QString::number(record) + QStringLiteral(".jpg")));
                    values.photo = photo.isNull() ? placeholder : photo;
                }
                fillProductCard(report, values);
                outcome.report.pages += report.prepare().pages;
            }
            return outcome;
        });
    });
    if (!prepared) {
        Msg::archiveError(owner, prepared.error(), true);
        return;
    }
    if (progress.canceled())
        return;
    if (!prepared->refused.isEmpty())
        Msg::plain(owner,
            QStringLiteral("Le schede seguenti non vengono stampate perch\u00e9 la giacenza o il costo non sono "
                           "numeri: %1.")
                .arg(prepared->refused.join(QStringLiteral(", "))));
    if (prepared->report.pages.isEmpty())
        return;
    ReportOutput::print(owner, prepared->report);
}
