#include "warehouse/Movimenti.h"

#include "app/Calendario.h"
#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "storage/ArchiveResult.h"
#include "storage/Clock.h"
#include "storage/FieldRules.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/rules/MovementRules.h"
#include "warehouse/rules/TableWorkbook.h"
#include "warehouse/rules/WorkbookWriter.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <limits>
#include <memory>

namespace {
const QString DateFormat = QStringLiteral("dd/MM/yyyy");

void setHint(QWidget *w, const QString &name, const QString &text)
{
    w->setAccessibleName(name);
    w->setProperty("statusText", text);
    w->setAccessibleDescription(text);
    w->setToolTip(text);
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

QLabel *caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setFont(QFont(QStringLiteral("Verdana"), 9));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QVariant number(double value)
{
    return QVariant(value);
}

QString shown(const QVariant &value, bool money)
{
    if (value.typeId() != QMetaType::Double)
        return value.toString();
    return money ? MovementRules::moneyText(value.toDouble()) : MovementRules::quantityText(value.toDouble());
}

QString fitted(const QString &text, int width, bool right)
{
    const QString cut = text.left(width);
    return right ? cut.rightJustified(width) : cut.leftJustified(width);
}
} // namespace

/** A table of rows made on demand: its cells come from a function over the data the view keeps. */
class MovementTable : public QAbstractTableModel
{
public:
    struct Column
    {
        QString header;
        int width; ///< characters in the print
        bool money = false;
    };
    using Cell = std::function<QVariant(qsizetype row, int column)>;

    explicit MovementTable(QObject *parent)
        : QAbstractTableModel(parent)
    { }
    void reset(std::vector<Column> columns, qsizetype rows, Cell cell)
    {
        beginResetModel();
        m_columns = std::move(columns);
        m_count = rows;
        m_cell = std::move(cell);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_count); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return text(index.row(), index.column());
        if (role == Qt::TextAlignmentRole && m_cell(index.row(), index.column()).typeId() == QMetaType::Double)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < int(m_columns.size()))
            return m_columns[size_t(section)].header;
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QString text(qsizetype row, int column) const
    {
        return shown(m_cell(row, column), m_columns[size_t(column)].money);
    }
    QVariant value(qsizetype row, int column) const { return m_cell(row, column); }
    qsizetype count() const { return m_count; }
    const std::vector<Column> &columns() const { return m_columns; }
    QStringList headers() const
    {
        QStringList out;
        for (const Column &c : m_columns)
            out << c.header;
        return out;
    }
    QStringList lines() const
    {
        QStringList out;
        QString head;
        for (const Column &c : m_columns)
            head += fitted(c.header, c.width, false) + QLatin1Char(' ');
        out << head;
        for (qsizetype r = 0; r < m_count; ++r) {
            QString line;
            for (int c = 0; c < int(m_columns.size()); ++c)
                line += fitted(text(r, c), m_columns[size_t(c)].width, value(r, c).typeId() == QMetaType::Double)
                    + QLatin1Char(' ');
            out << line;
        }
        return out;
    }

private:
    std::vector<Column> m_columns;
    qsizetype m_count = 0;
    Cell m_cell;
};

void TfrmMovimenti::showCard(QWidget *owner, qint64 number, const QString &code, const QString &name, double stock)
{
    TfrmMovimenti window(owner, View::Card);
    window.m_card = number;
    window.m_cardStock = stock;
    window.m_cardTitle = QStringLiteral("Scheda n. %1: %2 %3").arg(number).arg(code, name);
    window.lblTitolo->setText(QStringLiteral("Movimenti della scheda n. %1 \u2013 %2").arg(number).arg(code));
    window.cmdMostraClick();
    window.exec();
}

void TfrmMovimenti::showPeriod(QWidget *owner)
{
    TfrmMovimenti window(owner, View::Period);
    window.exec();
}

void TfrmMovimenti::showInventory(QWidget *owner)
{
    TfrmMovimenti window(owner, View::Inventory);
    window.exec();
}

TfrmMovimenti::TfrmMovimenti(QWidget *owner, View view)
    : DialogWindow(owner,
        view == View::Card         ? QStringLiteral(" Movimenti della scheda")
            : view == View::Period ? QStringLiteral(" Movimenti di un periodo")
                                   : QStringLiteral(" Inventario al giorno"),
        QSize(900, 600), QColor("#4682B4"))
    , m_view(view)
{
    setObjectName(QStringLiteral("frmMovimenti"));
    buildLayout();
}

TfrmMovimenti::~TfrmMovimenti() = default;

void TfrmMovimenti::buildLayout()
{
    lblTitolo = new QLabel(this);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lblTitolo->setGeometry(16, 10, 868, 28);
    lblTitolo->setFont(QFont(QStringLiteral("Verdana"), 13, QFont::Bold));
    QPalette white = lblTitolo->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblTitolo->setPalette(white);

    const QDate today = Clock::today();
    int top = 48;
    if (m_view != View::Card) {
        auto dateBox
            = [this](const QString &name, const QDate &day, int x, const QString &accessible, const QString &hint) {
                  auto *box = new QLineEdit(day.toString(DateFormat), this);
                  box->setObjectName(name);
                  box->setGeometry(x, 48, 100, 24);
                  setHint(box, accessible, hint);
                  auto *pick = button(
                      this, name + QStringLiteral("Calendario"), QStringLiteral("..."), QRect(x + 104, 48, 28, 24));
                  setHint(pick, QStringLiteral("Calendario"), QStringLiteral("Sceglie la data dal calendario."));
                  connect(pick, &QPushButton::clicked, this, [this, box] { pickDate(box); });
                  return box;
              };
        if (m_view == View::Period) {
            lblTitolo->setText(QStringLiteral("Movimenti di magazzino di un periodo"));
            caption(this, QStringLiteral("Dal:"), 16, 52)->setPalette(white);
            txtDal = dateBox(QStringLiteral("txtDal"), QDate(today.year(), today.month(), 1), 50,
                QStringLiteral("Dal giorno"), QStringLiteral("Il primo giorno del periodo (gg/mm/aaaa)."));
            caption(this, QStringLiteral("Al:"), 196, 52)->setPalette(white);
            txtAl = dateBox(QStringLiteral("txtAl"), today, 224, QStringLiteral("Al giorno"),
                QStringLiteral("L'ultimo giorno del periodo (gg/mm/aaaa)."));
            caption(this, QStringLiteral("Tipologia:"), 372, 52)->setPalette(white);
            txtCategoria = new QLineEdit(this);
            txtCategoria->setObjectName(QStringLiteral("txtCategoria"));
            txtCategoria->setGeometry(446, 48, 130, 24);
            setHint(txtCategoria, QStringLiteral("Tipologia"),
                QStringLiteral("Solo i prodotti di questa tipologia; vuoto per tutti."));
            caption(this, QStringLiteral("Ditta:"), 586, 52)->setPalette(white);
            txtDitta = new QLineEdit(this);
            txtDitta->setObjectName(QStringLiteral("txtDitta"));
            txtDitta->setGeometry(630, 48, 130, 24);
            setHint(txtDitta, QStringLiteral("Ditta fornitrice"),
                QStringLiteral("Solo i prodotti di questa ditta fornitrice; vuoto per tutte."));
        } else {
            lblTitolo->setText(QStringLiteral("Valore del magazzino a una data (inventario)"));
            caption(this, QStringLiteral("Inventario al:"), 16, 52)->setPalette(white);
            txtAl = dateBox(QStringLiteral("txtAl"), QDate(today.year() - 1, 12, 31), 120,
                QStringLiteral("Inventario al giorno"),
                QStringLiteral("La giacenza \u00e8 quella alla fine di questo giorno (gg/mm/aaaa)."));
        }
        cmdMostra = button(this, QStringLiteral("cmdMostra"), QStringLiteral("Mostra"), QRect(784, 46, 100, 28));
        setHint(cmdMostra, QStringLiteral("Mostra"), QStringLiteral("Legge i movimenti dal registro e li mostra."));
        connect(cmdMostra, &QPushButton::clicked, this, &TfrmMovimenti::cmdMostraClick);
        top = 84;
    }

    m_rows = new MovementTable(this);
    auto makeGrid = [this](const QString &name, MovementTable *model, const QString &accessible) {
        auto *grid = new QTableView;
        grid->setObjectName(name);
        grid->setModel(model);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->verticalHeader()->setDefaultSectionSize(20);
        grid->verticalHeader()->hide();
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setAccessibleName(accessible);
        return grid;
    };
    grdMovimenti = makeGrid(QStringLiteral("grdMovimenti"), m_rows, QStringLiteral("Movimenti"));
    if (m_view == View::Period) {
        m_totals = new MovementTable(this);
        grdTotali = makeGrid(QStringLiteral("grdTotali"), m_totals, QStringLiteral("Totali per prodotto"));
        tabViste = new QTabWidget(this);
        tabViste->setObjectName(QStringLiteral("tabViste"));
        tabViste->addTab(grdMovimenti, QStringLiteral("Movimenti"));
        tabViste->addTab(grdTotali, QStringLiteral("Totali per prodotto"));
        tabViste->setGeometry(16, top, 868, 530 - top);
    } else {
        grdMovimenti->setParent(this);
        grdMovimenti->setGeometry(16, top, 868, 530 - top);
    }

    lblTotale = new QLabel(this);
    lblTotale->setObjectName(QStringLiteral("lblTotale"));
    lblTotale->setGeometry(16, 532, 868, 22);
    lblTotale->setFont(QFont(QStringLiteral("Verdana"), 10, QFont::Bold));
    // The bottom of the window's gradient is light: its texts are dark.
    QPalette dark = lblTotale->palette();
    dark.setColor(QPalette::WindowText, QColor("#1F3F66"));
    lblTotale->setPalette(dark);
    lblStato = new QLabel(this);
    lblStato->setObjectName(QStringLiteral("lblStato"));
    lblStato->setGeometry(16, 556, 470, 36);
    lblStato->setWordWrap(true);
    lblStato->setPalette(dark);

    cmdRicrea
        = button(this, QStringLiteral("cmdRicrea"), QStringLiteral("Ricrea registro vuoto"), QRect(490, 560, 160, 30));
    setHint(cmdRicrea, QStringLiteral("Ricrea registro vuoto"),
        QStringLiteral("Mette da parte il registro danneggiato e ne comincia uno vuoto."));
    cmdRicrea->hide();
    cmdStampa = button(this, QStringLiteral("cmdStampa"), QStringLiteral("Stampa / PDF..."), QRect(656, 560, 110, 30));
    setHint(
        cmdStampa, QStringLiteral("Stampa"), QStringLiteral("Mostra l'anteprima, da cui stampare o salvare in PDF."));
    if (m_view != View::Card) {
        cmdEsportaXlsx
            = button(this, QStringLiteral("cmdEsportaXlsx"), QStringLiteral(".xlsx..."), QRect(550, 560, 100, 30));
        setHint(cmdEsportaXlsx, QStringLiteral("Esporta in .xlsx"),
            QStringLiteral("Salva la tabella mostrata come cartella di lavoro .xlsx."));
        cmdEsportaXlsx->setEnabled(WorkbookWriter::available());
        cmdRicrea->move(384, 560);
        lblStato->setGeometry(16, 556, 360, 36);
        connect(cmdEsportaXlsx, &QPushButton::clicked, this, &TfrmMovimenti::cmdEsportaXlsxClick);
    }
    cmdChiudi = button(this, QStringLiteral("cmdChiudi"), QStringLiteral("Chiudi"), QRect(774, 560, 110, 30));
    setHint(cmdChiudi, QStringLiteral("Chiudi"), QStringLiteral("Chiude la finestra."));
    connect(cmdStampa, &QPushButton::clicked, this, &TfrmMovimenti::cmdStampaClick);
    connect(cmdRicrea, &QPushButton::clicked, this, &TfrmMovimenti::cmdRicreaClick);
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmMovimenti::pickDate(QLineEdit *box)
{
    TfrmCalendario picker(this);
    picker.setTarget(box);
    picker.exec();
}

void TfrmMovimenti::showProblem(Movements::Problem problem)
{
    lblStato->setText(Movements::problemText(problem));
    cmdRicrea->setVisible(problem == Movements::Problem::Damaged);
}

void TfrmMovimenti::cmdMostraClick()
{
    Movements::Problem problem = Movements::Problem::None;
    if (m_view == View::Card) {
        auto result = std::make_shared<Movements::Rows>(Movements::history(m_card));
        problem = result->problem;
        auto running = std::make_shared<std::vector<double>>(MovementRules::runningStock(result->rows, m_cardStock));
        m_rows->reset(
            { { QStringLiteral("Data e ora"), 16 }, { QStringLiteral("Causale"), 12 }, { QStringLiteral("Codice"), 12 },
                { QStringLiteral("Prima"), 7 }, { QStringLiteral("Variazione"), 10 }, { QStringLiteral("Dopo"), 7 },
                { QStringLiteral("Giacenza"), 8 }, { QStringLiteral("Costo"), 10, true },
                { QStringLiteral("Prezzo"), 10, true }, { QStringLiteral("Nome"), 30 } },
            qsizetype(result->rows.size()), [result, running](qsizetype r, int c) -> QVariant {
                const Movements::Movement &m = result->rows[size_t(r)];
                switch (c) {
                case 0:
                    return m.when.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
                case 1:
                    return Movements::reasonText(m.reason);
                case 2:
                    return m.code;
                case 3:
                    return number(m.before);
                case 4:
                    return number(m.change);
                case 5:
                    return number(m.after);
                case 6:
                    return number((*running)[size_t(r)]);
                case 7:
                    return number(m.cost);
                case 8:
                    return number(m.price);
                default:
                    return m.name;
                }
            });
        lblTotale->setText(result->rows.empty() ? QStringLiteral("Nessun movimento registrato per questa scheda.")
                                                : QStringLiteral("%1 movimenti; giacenza attuale %2.")
                                                      .arg(result->rows.size())
                                                      .arg(MovementRules::quantityText(m_cardStock)));
    } else {
        const QDate to = readDate(txtAl->text());
        const QDate from = txtDal ? readDate(txtDal->text()) : to;
        if (!to.isValid() || !from.isValid() || from > to) {
            Msg::warning(
                this, QStringLiteral("Indicare date valide nel formato gg/mm/aaaa, la prima non dopo la seconda."));
            return;
        }
        ProgressWindow progress(this, QStringLiteral("dlgMovimentiInCorso"), QStringLiteral(" Lettura dei movimenti"),
            QStringLiteral("Avanzamento della lettura dei movimenti"));
        if (m_view == View::Period) {
            const QString category = txtCategoria->text().trimmed();
            const QString supplier = txtDitta->text().trimmed();
            auto result = std::make_shared<Movements::Rows>(progress.run([&](Job &job) {
                return Movements::period(from, to, category, supplier, [&job](qint64 done, qint64) {
                    return job.step(done, 0, QStringLiteral("Movimenti letti: %1").arg(done));
                });
            }));
            problem = result->problem;
            auto totals = std::make_shared<std::vector<MovementRules::ProductTotals>>(
                MovementRules::totalsByProduct(result->rows));
            m_rows->reset({ { QStringLiteral("Data e ora"), 16 }, { QStringLiteral("Causale"), 12 },
                              { QStringLiteral("Scheda"), 7 }, { QStringLiteral("Codice"), 12 },
                              { QStringLiteral("Nome"), 30 }, { QStringLiteral("Variazione"), 10 },
                              { QStringLiteral("Dopo"), 7 }, { QStringLiteral("Costo"), 10, true } },
                qsizetype(result->rows.size()), [result](qsizetype r, int c) -> QVariant {
                    const Movements::Movement &m = result->rows[size_t(r)];
                    switch (c) {
                    case 0:
                        return m.when.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
                    case 1:
                        return Movements::reasonText(m.reason);
                    case 2:
                        return number(double(m.card));
                    case 3:
                        return m.code;
                    case 4:
                        return m.name;
                    case 5:
                        return number(m.change);
                    case 6:
                        return number(m.after);
                    default:
                        return number(m.cost);
                    }
                });
            // A card a restore of an older copy took away keeps its movements here, marked.
            const ArchiveResult<qint64> count = archiveResult([] { return WarehouseArchive::count(); });
            const qint64 cards = count ? *count : std::numeric_limits<qint64>::max();
            m_totals->reset(
                { { QStringLiteral("Scheda"), 7 }, { QStringLiteral("Codice"), 12 }, { QStringLiteral("Nome"), 30 },
                    { QStringLiteral("Entrate"), 10 }, { QStringLiteral("Uscite"), 10 },
                    { QStringLiteral("Movimenti"), 10 }, { QStringLiteral("Note"), 26 } },
                qsizetype(totals->size()), [totals, cards](qsizetype r, int c) -> QVariant {
                    const MovementRules::ProductTotals &t = (*totals)[size_t(r)];
                    switch (c) {
                    case 0:
                        return number(double(t.card));
                    case 1:
                        return t.code;
                    case 2:
                        return t.name;
                    case 3:
                        return number(t.in);
                    case 4:
                        return number(t.out);
                    case 5:
                        return number(double(t.movements));
                    default:
                        return t.card > cards ? QStringLiteral("scheda non pi\u00f9 in archivio") : QString();
                    }
                });
            double in = 0;
            double out = 0;
            for (const auto &t : *totals) {
                in += t.in;
                out += t.out;
            }
            lblTotale->setText(QStringLiteral("%1 movimenti di %2 prodotti: entrate %3, uscite %4.")
                                   .arg(result->rows.size())
                                   .arg(totals->size())
                                   .arg(MovementRules::quantityText(in), MovementRules::quantityText(out)));
        } else {
            auto result = std::make_shared<Movements::Inventory>(progress.run([&](Job &job) {
                return Movements::stockAt(to, [&job](qint64 done, qint64) {
                    return job.step(done, 0, QStringLiteral("Movimenti letti: %1").arg(done));
                });
            }));
            problem = result->problem;
            m_rows->reset(
                { { QStringLiteral("Scheda"), 7 }, { QStringLiteral("Codice"), 12 }, { QStringLiteral("Nome"), 30 },
                    { QStringLiteral("Giacenza"), 8 }, { QStringLiteral("Costo"), 10, true },
                    { QStringLiteral("Valore"), 12, true }, { QStringLiteral("Note"), 40 } },
                qsizetype(result->cards.size()), [result](qsizetype r, int c) -> QVariant {
                    const Movements::StockAt &s = result->cards[size_t(r)];
                    switch (c) {
                    case 0:
                        return number(double(s.card));
                    case 1:
                        return s.code;
                    case 2:
                        return s.name;
                    case 3:
                        return number(s.stock);
                    case 4:
                        return number(s.cost);
                    case 5:
                        return number(s.stock * s.cost);
                    default: {
                        QStringList notes;
                        if (s.startsLater)
                            notes << QStringLiteral("* storia che inizia dopo la data");
                        if (!s.costFromJournal)
                            notes << QStringLiteral("costo della scheda");
                        return notes.join(QStringLiteral("; "));
                    }
                    }
                });
            lblTotale->setText(QStringLiteral("Valore del magazzino al %1: %2 (%3 schede)")
                                   .arg(to.toString(DateFormat), MovementRules::moneyText(result->total))
                                   .arg(result->cards.size()));
        }
    }
    for (int c = 0; c < m_rows->columnCount(); ++c)
        grdMovimenti->setColumnWidth(c, std::min(220, 7 * m_rows->columns()[size_t(c)].width + 12));
    if (grdTotali)
        for (int c = 0; c < m_totals->columnCount(); ++c)
            grdTotali->setColumnWidth(c, std::min(220, 7 * m_totals->columns()[size_t(c)].width + 12));
    showProblem(problem);
}

QStringList TfrmMovimenti::printLines() const
{
    QStringList lines;
    if (m_view == View::Card)
        lines << m_cardTitle << QString();
    lines += m_rows->lines();
    if (m_totals && m_totals->count() > 0)
        lines << QString() << QStringLiteral("Totali per prodotto") << m_totals->lines();
    lines << QString() << lblTotale->text();
    return lines;
}

void TfrmMovimenti::cmdStampaClick()
{
    ReportTemplate report = makeListReport();
    fillListReport(report, lblTitolo->text(), printLines());
    ReportOutput::showPreview(this, report.prepare());
}

void TfrmMovimenti::cmdEsportaXlsxClick()
{
    MovementTable *table = m_view == View::Period && tabViste->currentIndex() == 1 ? m_totals : m_rows;
    const QString path = FileDialogs::saveFile(this, QStringLiteral("Salva come cartella di lavoro .xlsx"),
        QStringLiteral("Cartella di lavoro Excel (*.xlsx)|*.xlsx"),
        m_view == View::Period ? QStringLiteral("Movimenti.xlsx") : QStringLiteral("Inventario.xlsx"),
        QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    const WriteResult written = TableWorkbook::write(path,
        m_view == View::Period ? QStringLiteral("Movimenti") : QStringLiteral("Inventario"), table->headers(),
        table->count(), [table](qsizetype r, int c) { return table->value(r, c); });
    if (!written)
        Msg::warning(this, QStringLiteral("Impossibile salvare la cartella di lavoro:\n%1").arg(path));
    else
        Msg::information(this, QStringLiteral("La tabella \u00e8 stata salvata in:\n%1").arg(path));
}

void TfrmMovimenti::cmdRicreaClick()
{
    if (!Msg::confirm(this,
            QStringLiteral("Il registro dei movimenti danneggiato sar\u00e0 messo da parte e ne sar\u00e0 "
                           "cominciato uno vuoto: i movimenti registrati finora non saranno pi\u00f9 mostrati.\n\n"
                           "Continuare?")))
        return;
    const Movements::Problem problem = Movements::rebuildEmpty();
    if (problem != Movements::Problem::None) {
        Msg::warning(this, Movements::problemText(problem));
        return;
    }
    Msg::information(this, QStringLiteral("Il registro dei movimenti \u00e8 stato ricreato vuoto."));
    cmdMostraClick();
}
