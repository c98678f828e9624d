#include "warehouse/VariazionePrezzi.h"

#include "pricelist/AggiornaListino.h"
#include "pricelist/rules/ListUpdate.h"
#include "storage/ArchiveResult.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/StatusHints.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>

namespace {
const QColor kTop(0xFFC8D6E3u);

template <typename Control>
Control *named(Control *control, const char *name, const QString &accessible, const QString &status)
{
    control->setObjectName(QLatin1String(name));
    control->setProperty("statusText", status);
    control->setAccessibleName(accessible);
    control->setAccessibleDescription(status);
    control->setFont(verdana(9));
    return control;
}

QString outcomeText(PriceChange::Status status)
{
    switch (status) {
    case PriceChange::Status::Changed:
        return QStringLiteral("cambia");
    case PriceChange::Status::Same:
        return QStringLiteral("resta uguale");
    case PriceChange::Status::NotNumeric:
        return QStringLiteral("non \u00e8 un numero: resta com'\u00e8");
    case PriceChange::Status::BelowZero:
        return QStringLiteral("andrebbe sotto zero: non cambia");
    case PriceChange::Status::TooLong:
        return QStringLiteral("troppe cifre: non cambia");
    }
    return {};
}

QString euro(qint64 cents)
{
    return Cents::text(cents);
}
} // namespace

/** The preview's lines, one a card: shown on demand, so 100 000 cards take no 600 000 items. */
class PricePreviewModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setLines(std::vector<PriceChangeRun::Line> lines)
    {
        beginResetModel();
        m_lines = std::move(lines);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_lines.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 6; }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const PriceChangeRun::Line &line = m_lines[size_t(index.row())];
        const bool changed
            = line.outcome.status == PriceChange::Status::Changed || line.outcome.status == PriceChange::Status::Same;
        switch (index.column()) {
        case 0:
            return QString::number(line.record);
        case 1:
            return line.code;
        case 2:
            return line.name;
        case 3:
            return line.old;
        case 4:
            return changed ? line.outcome.text : QString();
        case 5:
            return outcomeText(line.outcome.status);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList names = { QStringLiteral("Scheda"), QStringLiteral("Codice"), QStringLiteral("Nome"),
            QStringLiteral("Attuale"), QStringLiteral("Nuovo"), QStringLiteral("Esito") };
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal)
            return names.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    std::vector<PriceChangeRun::Line> m_lines;
};

TfrmVariazionePrezzi::TfrmVariazionePrezzi(QWidget *owner, std::vector<qint64> records)
    : DialogWindow(owner, QStringLiteral(" Variazione prezzi"), QSize(860, 600), kTop)
    , m_records(std::move(records))
{
    setObjectName(QStringLiteral("frmVariazionePrezzi"));
    placeLabel(this, QStringLiteral("lblSchede"), QPoint(16, 12),
        QStringLiteral("Variazione dei prezzi delle %1 schede trovate").arg(formatCount(qint64(m_records.size()))),
        verdana(10, true));

    auto *boxCampo = new QWidget(this);
    boxCampo->setGeometry(16, 40, 200, 48);
    optPrezzo = named(new QRadioButton(QStringLiteral("Prezzo di vendita"), boxCampo), "optPrezzo",
        QStringLiteral("Prezzo di vendita"), QStringLiteral("Cambia il prezzo di vendita delle schede."));
    optPrezzo->setGeometry(0, 0, 200, 22);
    optCosto = named(new QRadioButton(QStringLiteral("Costo"), boxCampo), "optCosto", QStringLiteral("Costo"),
        QStringLiteral("Cambia il costo delle schede."));
    optCosto->setGeometry(0, 24, 200, 22);
    optPrezzo->setChecked(true);

    auto *boxModo = new QWidget(this);
    boxModo->setGeometry(224, 40, 200, 48);
    optPercentuale = named(new QRadioButton(QStringLiteral("Percentuale (%)"), boxModo), "optPercentuale",
        QStringLiteral("Percentuale"), QStringLiteral("Il valore \u00e8 una percentuale del prezzo attuale."));
    optPercentuale->setGeometry(0, 0, 200, 22);
    optImporto = named(new QRadioButton(QStringLiteral("Importo (euro)"), boxModo), "optImporto",
        QStringLiteral("Importo"), QStringLiteral("Il valore \u00e8 un importo in euro da aggiungere o togliere."));
    optImporto->setGeometry(0, 24, 200, 22);
    optPercentuale->setChecked(true);

    auto *boxVerso = new QWidget(this);
    boxVerso->setGeometry(432, 40, 140, 48);
    optAumento = named(new QRadioButton(QStringLiteral("Aumento"), boxVerso), "optAumento", QStringLiteral("Aumento"),
        QStringLiteral("I prezzi salgono."));
    optAumento->setGeometry(0, 0, 140, 22);
    optRiduzione
        = named(new QRadioButton(QStringLiteral("Riduzione"), boxVerso), "optRiduzione", QStringLiteral("Riduzione"),
            QStringLiteral("I prezzi scendono; un prezzo che andrebbe sotto zero non cambia."));
    optRiduzione->setGeometry(0, 24, 140, 22);
    optAumento->setChecked(true);

    placeLabel(this, QStringLiteral("lblValore"), QPoint(584, 42), QStringLiteral("Valore:"), verdana(9));
    txtValore = named(new QLineEdit(this), "txtValore", QStringLiteral("Valore della variazione"),
        QStringLiteral("La percentuale o l'importo, con la virgola e al massimo due decimali: 10 o 2,50."));
    txtValore->setGeometry(640, 40, 100, 22);
    BoxBehaviour::attach(txtValore)->money();

    placeLabel(this, QStringLiteral("lblArrotondamento"), QPoint(584, 68), QStringLiteral("Arrotondare:"), verdana(9));
    cboArrotondamento = named(new QComboBox(this), "cboArrotondamento", QStringLiteral("Arrotondamento"),
        QStringLiteral("Come si arrotonda il nuovo prezzo: al passo scelto o al finale scelto pi\u00f9 vicino, "
                       "met\u00e0 per eccesso."));
    cboArrotondamento->addItems(
        { QStringLiteral("al centesimo (0,01)"), QStringLiteral("a 0,05"), QStringLiteral("a 0,10"),
            QStringLiteral("all'euro (1,00)"), QStringLiteral("con finale ,90"), QStringLiteral("con finale ,99") });
    cboArrotondamento->setGeometry(672, 66, 172, 24);

    cmdAnteprima
        = placeButton(this, QStringLiteral("cmdAnteprima"), QRect(16, 96, 160, 28), QStringLiteral("Anteprima"));
    named(cmdAnteprima, "cmdAnteprima", QStringLiteral("Anteprima"),
        QStringLiteral("Mostra per ogni scheda il prezzo attuale e quello nuovo, senza scrivere nulla."));

    m_model = new PricePreviewModel(this);
    tblAnteprima = named(new QTableView(this), "tblAnteprima", QStringLiteral("Anteprima della variazione"),
        QStringLiteral("Ogni scheda con il prezzo attuale, quello nuovo e l'esito."));
    tblAnteprima->setModel(m_model);
    tblAnteprima->setGeometry(16, 132, 828, 320);
    tblAnteprima->verticalHeader()->hide();
    tblAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblAnteprima->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblAnteprima->setColumnWidth(0, 60);
    tblAnteprima->setColumnWidth(1, 140);
    tblAnteprima->setColumnWidth(2, 260);
    tblAnteprima->setColumnWidth(3, 90);
    tblAnteprima->setColumnWidth(4, 90);
    tblAnteprima->horizontalHeader()->setStretchLastSection(true);
    tblAnteprima->setFont(verdana(8));

    lblRiepilogo = new QLabel(this);
    lblRiepilogo->setObjectName(QStringLiteral("lblRiepilogo"));
    lblRiepilogo->setGeometry(16, 458, 828, 52);
    lblRiepilogo->setWordWrap(true);
    lblRiepilogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblRiepilogo->setFont(verdana(8));
    lblRiepilogo->setText(QStringLiteral("Scegliere la variazione e premere Anteprima."));

    cmdApplica
        = named(placeButton(this, QStringLiteral("cmdApplica"), QRect(16, 516, 160, 30), QStringLiteral("Applica")),
            "cmdApplica", QStringLiteral("Applica"),
            QStringLiteral("Scrive i nuovi prezzi nelle schede in una sola volta; prima conserva una copia "
                           "dell'archivio."));
    cmdApplica->setEnabled(false);
    cmdAnnullaVariazione = named(placeButton(this, QStringLiteral("cmdAnnullaVariazione"), QRect(184, 516, 280, 30),
                                     QStringLiteral("Annulla l'ultima variazione")),
        "cmdAnnullaVariazione", QStringLiteral("Annulla l'ultima variazione"),
        QStringLiteral("Riporta le schede com'erano prima dell'ultima variazione, se da allora nessuna \u00e8 "
                       "cambiata."));
    cmdChiudi
        = named(placeButton(this, QStringLiteral("cmdChiudi"), QRect(724, 516, 120, 30), QStringLiteral("Chiudi")),
            "cmdChiudi", QStringLiteral("Chiudi"), QStringLiteral("Chiude la finestra."));

    panInfo = new QLabel(this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setGeometry(16, 556, 828, 36);
    panInfo->setWordWrap(true);
    panInfo->setFont(QFont(QStringLiteral("Tahoma"), 8));
    panInfo->setAccessibleDescription(QStringLiteral("Riga di stato"));
    installStatusHints(this, panInfo);

    // A preview stops being the one Applica would write as soon as the change is another.
    const auto stale = [this] { cmdApplica->setEnabled(false); };
    for (QRadioButton *option : { optPrezzo, optCosto, optPercentuale, optImporto, optAumento, optRiduzione })
        connect(option, &QRadioButton::toggled, this, stale);
    connect(txtValore, &QLineEdit::textChanged, this, stale);
    connect(cboArrotondamento, &QComboBox::currentIndexChanged, this, stale);
    connect(cmdAnteprima, &QPushButton::clicked, this, &TfrmVariazionePrezzi::cmdAnteprimaClick);
    connect(cmdApplica, &QPushButton::clicked, this, &TfrmVariazionePrezzi::cmdApplicaClick);
    connect(cmdAnnullaVariazione, &QPushButton::clicked, this, &TfrmVariazionePrezzi::cmdAnnullaVariazioneClick);
    connect(cmdChiudi, &QPushButton::clicked, this, &TfrmVariazionePrezzi::cmdChiudiClick);
    showUndo();
}

void TfrmVariazionePrezzi::openFor(QWidget *owner, std::vector<qint64> records)
{
    TfrmVariazionePrezzi window(owner, std::move(records));
    window.exec();
}

std::optional<PriceChange> TfrmVariazionePrezzi::change() const
{
    const std::optional<qint64> size = Cents::readHundredths(txtValore->text());
    PriceChange change;
    change.field = optCosto->isChecked() ? PriceChange::Field::Costo : PriceChange::Field::Prezzo;
    change.by = optImporto->isChecked() ? PriceChange::By::Amount : PriceChange::By::Percent;
    change.up = !optRiduzione->isChecked();
    change.rounding = PriceChange::Rounding(std::clamp(cboArrotondamento->currentIndex(), 0, 5));
    const qint64 max = change.by == PriceChange::By::Percent ? PriceChange::MaxPercent : PriceChange::MaxAmount;
    if (!size || *size > max)
        return std::nullopt;
    change.size = *size;
    return change;
}

QString TfrmVariazionePrezzi::describe(const PriceChange &change) const
{
    const QString field
        = change.field == PriceChange::Field::Prezzo ? QStringLiteral("prezzo di vendita") : QStringLiteral("costo");
    const QString size = change.by == PriceChange::By::Percent ? Cents::text(change.size) + QStringLiteral(" %")
                                                               : Cents::text(change.size) + QStringLiteral(" euro");
    return QStringLiteral("Variazione %1 ore %2: %3 %4 %5, arrotondato %6")
        .arg(ofDate(Clock::today()), Clock::now().toString(QStringLiteral("HH:mm")), field,
            change.up ? QStringLiteral("+") : QStringLiteral("-"), size, cboArrotondamento->currentText());
}

void TfrmVariazionePrezzi::cmdAnteprimaClick()
{
    const std::optional<PriceChange> wanted = change();
    if (!wanted) {
        Msg::warning(this,
            QStringLiteral("Il valore della variazione deve essere un numero con la virgola e al massimo due "
                           "decimali (una percentuale fino a 1000, un importo fino a 1000000)."));
        return;
    }
    const std::vector<qint64> records = m_records;
    ProgressWindow progress(this, QStringLiteral("dlgAnteprimaVariazione"),
        QStringLiteral(" Anteprima della variazione"), QStringLiteral("Avanzamento dell'anteprima"));
    ArchiveResult<PriceChangeRun::Preview> preview = progress.run([&](Job &job) {
        return archiveResult([&] {
            return PriceChangeRun::preview(records, *wanted, [&job](qint64 done, qint64 total) {
                return job.step(done, total, QStringLiteral("Lettura delle schede: %1").arg(formatCount(done)));
            });
        });
    });
    if (!preview) {
        Msg::archiveError(this, preview.error());
        return;
    }
    if (progress.canceled())
        return;
    const PriceChangeRun::Counts c = preview->counts;
    m_model->setLines(std::move(preview->lines));
    lblRiepilogo->setText(
        QStringLiteral("Cambiano %1 schede (totale da %2 a %3 euro); %4 restano uguali; %5 non hanno un "
                       "prezzo numerico e restano come sono; %6 non cambiano perch\u00e9 andrebbero sotto zero o "
                       "avrebbero troppe cifre.")
            .arg(formatCount(c.changed), euro(c.totalBefore), euro(c.totalAfter), formatCount(c.same),
                formatCount(c.notNumeric), formatCount(c.refused)));
    cmdApplica->setEnabled(c.changed > 0);
}

void TfrmVariazionePrezzi::cmdApplicaClick()
{
    const std::optional<PriceChange> wanted = change();
    if (!wanted)
        return;
    const std::vector<qint64> records = m_records;
    const QString description = describe(*wanted);
    ProgressWindow progress(this, QStringLiteral("dlgVariazione"), QStringLiteral(" Variazione prezzi"),
        QStringLiteral("Avanzamento della variazione dei prezzi"));
    progress.setCancelable(false);
    const ArchiveResult<PriceChangeRun::Applied> applied = progress.run([&](Job &job) {
        return archiveResult([&] {
            return PriceChangeRun::apply(records, *wanted, description, [&job](qint64 done, qint64 total) {
                return job.step(done, total, QStringLiteral("Scrittura delle schede: %1").arg(formatCount(done)));
            });
        });
    });
    if (!applied) {
        Msg::archiveError(this, applied.error());
        return;
    }
    cmdApplica->setEnabled(false);
    showUndo();
    Msg::information(this,
        QStringLiteral("Prezzi cambiati in %1 schede. %2 con un prezzo non numerico e %3 rifiutate sono rimaste "
                       "come erano.")
            .arg(formatCount(applied->counts.changed), formatCount(applied->counts.notNumeric),
                formatCount(applied->counts.refused)));
    // Lists that show a changed code are offered their update, one after the other.
    if (wanted->field != PriceChange::Field::Prezzo)
        return;
    const ArchiveResult<QStringList> lists
        = archiveResult([&] { return ListUpdate::listsContaining(applied->changedCodes); });
    if (!lists || lists->isEmpty())
        return;
    if (!Msg::confirm(this,
            QStringLiteral("Questi listini contengono codici con il prezzo cambiato: %1.\r\nAprire \"Aggiorna dal "
                           "magazzino\" per ciascuno?")
                .arg(lists->join(QStringLiteral(", ")))))
        return;
    for (const QString &title : *lists)
        TfrmAggiornaListino::openForList(this, title);
}

void TfrmVariazionePrezzi::showUndo()
{
    const QString last = PriceChangeRun::lastChange();
    cmdAnnullaVariazione->setEnabled(!last.isEmpty());
    if (!last.isEmpty())
        cmdAnnullaVariazione->setProperty("statusText",
            QStringLiteral("Riporta le schede com'erano prima dell'ultima variazione (%1), se da allora nessuna "
                           "\u00e8 cambiata.")
                .arg(last));
}

void TfrmVariazionePrezzi::cmdAnnullaVariazioneClick()
{
    const QString last = PriceChangeRun::lastChange();
    if (last.isEmpty()
        || !Msg::confirm(this, QStringLiteral("Annullare l'ultima variazione dei prezzi?\r\n%1").arg(last)))
        return;
    ProgressWindow progress(this, QStringLiteral("dlgAnnullaVariazione"), QStringLiteral(" Annulla variazione"),
        QStringLiteral("Avanzamento dell'annullamento"));
    progress.setCancelable(false);
    const ArchiveResult<PriceChangeRun::Undo> undone = progress.run([&](Job &job) {
        return archiveResult([&] {
            return PriceChangeRun::undo([&job](qint64 done, qint64 total) {
                return job.step(done, total, QStringLiteral("Ripristino delle schede: %1").arg(formatCount(done)));
            });
        });
    });
    if (!undone) {
        Msg::archiveError(this, undone.error());
        return;
    }
    switch (*undone) {
    case PriceChangeRun::Undo::Done:
        Msg::information(this, QStringLiteral("Variazione annullata: le schede sono tornate com'erano prima."));
        break;
    case PriceChangeRun::Undo::Nothing:
        Msg::information(this, QStringLiteral("Nessuna variazione dei prezzi da annullare."));
        break;
    case PriceChangeRun::Undo::ChangedSince:
        Msg::warning(this,
            QStringLiteral("L'archivio \u00e8 cambiato dopo l'ultima variazione dei prezzi: annullarla cancellerebbe "
                           "anche quelle modifiche, e non viene annullata."));
        break;
    }
    showUndo();
}

void TfrmVariazionePrezzi::cmdChiudiClick()
{
    close();
}
