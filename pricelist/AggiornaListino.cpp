#include "pricelist/AggiornaListino.h"

#include "pricelist/ListinoPrezzi.h"
#include "pricelist/rules/ListFiles.h"
#include "storage/ArchiveResult.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/PaginaListino.h"
#include "storage/TextField.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/StatusHints.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace {
const QColor kTop(0xFFC8D6E3u);

enum Column { Scelta, Pagina, Voce, Campo, NelListino, NelMagazzino, Columns };

void hint(QWidget *control, const QString &name, const QString &status)
{
    control->setProperty("statusText", status);
    control->setAccessibleName(name);
    control->setAccessibleDescription(status);
}

QString slotName(int slot)
{
    return QString(TPaginaListino::letter(slot));
}
} // namespace

TfrmAggiornaListino::TfrmAggiornaListino(
    QWidget *owner, const QString &path, const QString &title, TfrmListinoPrezzi *editor)
    : DialogWindow(owner, QStringLiteral(" Aggiorna dal magazzino"), QSize(900, 600), kTop)
    , m_path(path)
    , m_title(title)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("frmAggiornaListino"));
    auto *lblTitolo = placeLabel(this, QStringLiteral("lblTitolo"), QPoint(16, 12),
        QStringLiteral("Differenze tra il listino \u00ab%1\u00bb e le schede del magazzino con lo stesso codice")
            .arg(title),
        verdana(10, true));
    lblTitolo->setMaximumWidth(868);

    lblRiepilogo = new QLabel(this);
    lblRiepilogo->setObjectName(QStringLiteral("lblRiepilogo"));
    lblRiepilogo->setGeometry(16, 36, 868, 36);
    lblRiepilogo->setWordWrap(true);
    lblRiepilogo->setFont(verdana(8));
    lblRiepilogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    tblDifferenze = new QTableWidget(0, Columns, this);
    tblDifferenze->setObjectName(QStringLiteral("tblDifferenze"));
    tblDifferenze->setGeometry(16, 76, 868, 316);
    tblDifferenze->setHorizontalHeaderLabels(
        { QStringLiteral("Applica"), QStringLiteral("Pagina"), QStringLiteral("Voce"), QStringLiteral("Campo"),
            QStringLiteral("Nel listino"), QStringLiteral("Nel magazzino") });
    tblDifferenze->verticalHeader()->hide();
    tblDifferenze->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDifferenze->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblDifferenze->setColumnWidth(Scelta, 60);
    tblDifferenze->setColumnWidth(Pagina, 56);
    tblDifferenze->setColumnWidth(Voce, 44);
    tblDifferenze->setColumnWidth(Campo, 110);
    tblDifferenze->setColumnWidth(NelListino, 290);
    tblDifferenze->horizontalHeader()->setStretchLastSection(true);
    tblDifferenze->setFont(verdana(8));
    hint(tblDifferenze, QStringLiteral("Differenze tra listino e magazzino"),
        QStringLiteral("Le righe spuntate vengono scritte nel listino con Applica: i prezzi sono spuntati, testi e "
                       "foto no."));

    lblMancanti = placeLabel(this, QStringLiteral("lblMancanti"), QPoint(16, 398),
        QStringLiteral("Voci con un codice che non \u00e8 in nessuna scheda del magazzino:"), verdana(8, true));
    lstMancanti = new QListWidget(this);
    lstMancanti->setObjectName(QStringLiteral("lstMancanti"));
    lstMancanti->setGeometry(16, 416, 868, 96);
    lstMancanti->setFont(verdana(8));
    hint(lstMancanti, QStringLiteral("Voci senza scheda"),
        QStringLiteral("Queste voci restano come sono: nessuna scheda del magazzino ha il loro codice."));

    cmdApplica = placeButton(this, QStringLiteral("cmdApplica"), QRect(16, 524, 180, 30), QStringLiteral("Applica"));
    hint(cmdApplica, QStringLiteral("Applica"),
        QStringLiteral("Scrive nel listino le righe spuntate, in una sola volta; prima ne conserva una copia."));
    cmdAnnullaAggiornamento = placeButton(this, QStringLiteral("cmdAnnullaAggiornamento"), QRect(204, 524, 300, 30),
        QStringLiteral("Annulla l'ultimo aggiornamento"));
    hint(cmdAnnullaAggiornamento, QStringLiteral("Annulla l'ultimo aggiornamento"),
        QStringLiteral("Riporta il listino com'era prima dell'ultimo aggiornamento, se da allora non \u00e8 "
                       "cambiato."));
    cmdChiudi = placeButton(this, QStringLiteral("cmdChiudi"), QRect(764, 524, 120, 30), QStringLiteral("Chiudi"));
    hint(cmdChiudi, QStringLiteral("Chiudi"), QStringLiteral("Chiude la finestra senza scrivere nulla."));

    panInfo = new QLabel(this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setGeometry(16, 564, 868, 28);
    panInfo->setWordWrap(true);
    panInfo->setFont(QFont(QStringLiteral("Tahoma"), 8));
    panInfo->setAccessibleDescription(QStringLiteral("Riga di stato"));
    installStatusHints(this, panInfo);

    connect(cmdApplica, &QPushButton::clicked, this, &TfrmAggiornaListino::cmdApplicaClick);
    connect(cmdAnnullaAggiornamento, &QPushButton::clicked, this, &TfrmAggiornaListino::cmdAnnullaAggiornamentoClick);
    connect(cmdChiudi, &QPushButton::clicked, this, &TfrmAggiornaListino::cmdChiudiClick);
}

void TfrmAggiornaListino::openFrom(TfrmListinoPrezzi *editor)
{
    const TfrmListinoPrezzi::PageState state = editor->pageState();
    if (state.file.isEmpty() || !QFileInfo(state.file).isFile()) {
        Msg::information(editor, QStringLiteral("Nessun listino aperto da aggiornare."));
        return;
    }
    if (!settleShownPage(editor))
        return;
    TfrmAggiornaListino window(editor, state.file, state.title, editor);
    if (window.compare())
        window.exec();
}

bool TfrmAggiornaListino::settleShownPage(TfrmListinoPrezzi *editor)
{
    // The editor shows a rewritten page again from the file, so its boxes would replace unsaved edits.
    const TfrmListinoPrezzi::PageState state = editor->pageState();
    const qint64 shown = state.position.toLongLong();
    if (shown <= 0)
        return true;
    const ArchiveResult<TPaginaListino> saved = archiveResult([&] { return PriceListFile::read(state.file, shown); });
    if (!saved)
        return true; // the pass reads the list itself and reports what is wrong with it
    bool edited = false;
    for (int slot = 0; slot < TPaginaListino::SlotCount && !edited; ++slot)
        for (int field = 0; field < TVoceListino::FieldCount && !edited; ++field)
            edited = trimText(saved->voci[size_t(slot)].values[size_t(field)])
                != trimText(state.boxes.voci[size_t(slot)].values[size_t(field)]);
    if (!edited)
        return true;
    switch (Msg::askYesNoCancel(editor,
        QStringLiteral("La pagina mostrata ha modifiche non salvate.\r\nSalvarle prima di aggiornare il "
                       "listino? Con \u00abNo\u00bb le modifiche vanno perse se l'aggiornamento cambia questa "
                       "pagina."))) {
    case QMessageBox::Yes:
        return editor->save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TfrmAggiornaListino::openForList(QWidget *owner, const QString &title)
{
    TfrmAggiornaListino window(owner, ListFiles::pathOf(title), title, nullptr);
    if (window.compare())
        window.exec();
}

bool TfrmAggiornaListino::compare()
{
    const QString path = m_path;
    const QString title = m_title;
    ProgressWindow progress(this, QStringLiteral("dlgConfronto"), QStringLiteral(" Confronto con il magazzino"),
        QStringLiteral("Avanzamento del confronto con il magazzino"));
    const ArchiveResult<ListUpdate::Differences> found = progress.run([&](Job &job) {
        return archiveResult([&] {
            return ListUpdate::compare(path, title, [&job](qint64 done, qint64) {
                return job.step(done, 0, QStringLiteral("Confronto con le schede: %1 lette").arg(formatCount(done)));
            });
        });
    });
    if (!found) {
        Msg::archiveError(parentWidget() ? parentWidget() : this, found.error());
        return false;
    }
    if (progress.canceled())
        return false;
    m_differences = *found;
    fill();
    return true;
}

void TfrmAggiornaListino::fill()
{
    const ListUpdate::Differences &d = m_differences;
    tblDifferenze->setRowCount(int(d.rows.size()));
    int prices = 0;
    for (int r = 0; r < int(d.rows.size()); ++r) {
        const ListUpdate::Row &row = d.rows[size_t(r)];
        auto *check = new QTableWidgetItem;
        check->setFlags(row.usable ? Qt::ItemIsUserCheckable | Qt::ItemIsEnabled : Qt::NoItemFlags);
        check->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
        tblDifferenze->setItem(r, Scelta, check);
        tblDifferenze->setItem(r, Pagina, new QTableWidgetItem(QString::number(row.page)));
        tblDifferenze->setItem(r, Voce, new QTableWidgetItem(slotName(row.slot)));
        tblDifferenze->setItem(r, Campo, new QTableWidgetItem(ListUpdate::fieldName(row.field)));
        tblDifferenze->setItem(r, NelListino, new QTableWidgetItem(row.inList));
        tblDifferenze->setItem(r, NelMagazzino,
            new QTableWidgetItem(row.usable
                    ? row.inWarehouse
                    : row.inWarehouse + QStringLiteral(" (non \u00e8 un prezzo: non si scrive)")));
        if (row.field == ListUpdate::Field::Prezzo)
            ++prices;
    }
    QString summary
        = QStringLiteral("%1 pagine, %2 voci confrontate con una scheda: %3 differenze, di cui %4 di prezzo.")
              .arg(formatCount(d.pages), formatCount(d.slotsCompared), formatCount(qint64(d.rows.size())),
                  formatCount(prices));
    for (const ListUpdate::Shared &shared : d.shared)
        summary += QStringLiteral(" Il codice %1 \u00e8 in %2 schede: si confronta la prima, la n. %3.")
                       .arg(shared.code, formatCount(shared.cards), QString::number(shared.card));
    lblRiepilogo->setText(summary);
    lstMancanti->clear();
    for (const ListUpdate::Missing &m : d.missing)
        lstMancanti->addItem(
            QStringLiteral("Pagina %1, voce %2: codice %3").arg(QString::number(m.page), slotName(m.slot), m.code));
    if (d.missing.empty())
        lstMancanti->addItem(QStringLiteral("Nessuna: ogni codice del listino \u00e8 in una scheda."));
    cmdApplica->setEnabled(!d.rows.empty());
    showUndo();
}

void TfrmAggiornaListino::showUndo()
{
    const QString last = ListUpdate::lastUpdate(m_path);
    cmdAnnullaAggiornamento->setEnabled(!last.isEmpty());
    cmdAnnullaAggiornamento->setAccessibleDescription(
        last.isEmpty() ? QStringLiteral("Nessun aggiornamento di questo listino da annullare.") : last);
}

void TfrmAggiornaListino::cmdApplicaClick()
{
    std::vector<ListUpdate::Row> rows = m_differences.rows;
    int checked = 0;
    for (int r = 0; r < int(rows.size()); ++r) {
        rows[size_t(r)].checked = tblDifferenze->item(r, Scelta)->checkState() == Qt::Checked;
        checked += rows[size_t(r)].checked ? 1 : 0;
    }
    if (checked == 0) {
        Msg::information(this, QStringLiteral("Nessuna riga spuntata: il listino resta com'\u00e8."));
        return;
    }
    const QString description
        = QStringLiteral("Aggiornamento dal magazzino %1 ore %2: %3 modifiche")
              .arg(ofDate(Clock::today()), Clock::now().toString(QStringLiteral("HH:mm")), formatCount(checked));
    const ArchiveResult<ListUpdate::Applied> applied
        = archiveResult([&] { return ListUpdate::apply(m_path, m_title, rows, description); });
    if (!applied) {
        Msg::archiveError(this, applied.error());
        return;
    }
    std::vector<qint64> pages;
    for (const ListUpdate::Row &row : rows)
        if (row.checked)
            pages.push_back(row.page);
    afterChange(pages);
    QString text = QStringLiteral("Listino aggiornato: %1 campi scritti in %2 pagine")
                       .arg(formatCount(applied->fields), formatCount(applied->pages));
    if (applied->photos > 0)
        text += QStringLiteral(", %1 foto rifatte").arg(formatCount(applied->photos));
    text += QLatin1Char('.');
    if (applied->photosFailed > 0)
        text += QStringLiteral(" %1 foto non \u00e8 stato possibile scriverle: restano quelle di prima.")
                    .arg(formatCount(applied->photosFailed));
    Msg::information(this, text);
    compare();
}

void TfrmAggiornaListino::cmdAnnullaAggiornamentoClick()
{
    const QString last = ListUpdate::lastUpdate(m_path);
    if (last.isEmpty()
        || !Msg::confirm(this, QStringLiteral("Annullare l'ultimo aggiornamento del listino?\r\n%1").arg(last)))
        return;
    const ArchiveResult<ListUpdate::Undo> undone = archiveResult([&] { return ListUpdate::undo(m_path); });
    if (!undone) {
        Msg::archiveError(this, undone.error());
        return;
    }
    switch (*undone) {
    case ListUpdate::Undo::Done: {
        if (m_editor)
            afterChange({ m_editor->pageState().position.toLongLong() });
        Msg::information(this, QStringLiteral("Aggiornamento annullato: il listino \u00e8 tornato com'era prima."));
        break;
    }
    case ListUpdate::Undo::Nothing:
        Msg::information(this, QStringLiteral("Nessun aggiornamento di questo listino da annullare."));
        break;
    case ListUpdate::Undo::ChangedSince:
        Msg::warning(this,
            QStringLiteral("Il listino \u00e8 stato modificato dopo l'ultimo aggiornamento: annullarlo "
                           "cancellerebbe anche quelle modifiche, e non viene annullato."));
        break;
    }
    compare();
}

// The editor shows the saved page again when the pass rewrote it.
void TfrmAggiornaListino::afterChange(const std::vector<qint64> &pages)
{
    if (!m_editor)
        return;
    const qint64 shown = m_editor->pageState().position.toLongLong();
    if (shown > 0 && std::find(pages.begin(), pages.end(), shown) != pages.end())
        m_editor->showSavedPage(shown);
}

void TfrmAggiornaListino::cmdChiudiClick()
{
    close();
}
