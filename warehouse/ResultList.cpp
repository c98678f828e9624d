#include "warehouse/ResultList.h"

#include "report/ReportOutput.h"
#include "report/engine/ListReport.h"
#include "warehouse/VariazionePrezzi.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

ResultListModel::ResultListModel(QObject *parent)
    : QAbstractListModel(parent)
    , m_font(QStringLiteral("Courier New"), 12)
{
    m_font.setStyleHint(QFont::TypeWriter);
    m_itemSize = QSize(ItemWidth, QFontMetrics(m_font).height() + 2);
}

void ResultListModel::setEntries(ResultLines lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_lines.sort();
    endResetModel();
}

void ResultListModel::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

int ResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        // The one line asked for becomes a string; the others stay bytes.
        return m_lines.line(index.row());
    case Qt::FontRole:
        return m_font;
    case Qt::ForegroundRole:
        return QColor(Qt::black);
    case Qt::SizeHintRole:
        return m_itemSize;
    default:
        return QVariant();
    }
}

namespace {
const QColor kDarkCyan(0x00, 0x8B, 0x8B);
const QColor kCrimson(0xDC, 0x14, 0x3C);

// The find box: Enter hands the cursor to "Trova" without starting the find.
class FindBoxKeys : public QObject
{
public:
    FindBoxKeys(QLineEdit *box, QWidget *target)
        : QObject(box)
        , m_target(target)
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        m_target->setFocus(Qt::OtherFocusReason);
        return true;
    }

private:
    QWidget *m_target;
};
} // namespace

ResultPanel::ResultPanel(QWidget *window, const QRect &geometry, const QString &banner, bool withCount)
    : QWidget(window)
    , m_model(new ResultListModel(this))
    , m_frxReport(makeListReport())
{
    setObjectName(QStringLiteral("panContainer"));
    setGeometry(geometry);
    paintPanelFace(this);

    placePicture(this, QStringLiteral("imgLogo"), banner, QRect(8, 8, 817, 53));
    placeLabel(this, QStringLiteral("lblRigo01"), QPoint(8, 66),
        QStringLiteral("Immettere una o più parole consecutive presenti nella scheda in elenco da cercare e "
                       "premere il pulsante Trova."));
    placeLabel(this, QStringLiteral("lblRigo02"), QPoint(8, 82),
        QStringLiteral("Per spostarsi sulla voce successiva contenente la stessa chiave di ricerca, fare di "
                       "nuovo clic su Trova."));
    auto *shpLente = new ShapeWidget(this, QRect(8, 104, 81, 57), Qt::white);
    shpLente->setObjectName(QStringLiteral("shpLente"));
    placePicture(this, QStringLiteral("imgLente"), QStringLiteral("trova-lente"), QRect(24, 108, 49, 49));
    auto *shpSfondo = new ShapeWidget(this, QRect(96, 104, 729, 57), Qt::black, Qt::white);
    shpSfondo->setObjectName(QStringLiteral("shpSfondo"));

    m_txtTrova = new QLineEdit(this);
    m_txtTrova->setObjectName(QStringLiteral("txtTrova"));
    m_txtTrova->setGeometry(112, 122, 593, 22);
    m_txtTrova->setFont(verdana(12, true));
    m_txtTrova->setAccessibleName(QStringLiteral("Chiave di ricerca nell'elenco"));
    keepOneLine(m_txtTrova);
    m_btnTrova = placeButton(this, QStringLiteral("btnTrova"), QRect(710, 117, 105, 30), QStringLiteral("Trova"));
    new FindBoxKeys(m_txtTrova, m_btnTrova);

    auto *shpLista = new ShapeWidget(this, QRect(8, 168, 817, 313), Qt::black, Qt::white);
    shpLista->setObjectName(QStringLiteral("shpLista"));
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("lstRecords"));
    m_list->setGeometry(16, 176, 801, 273);
    m_list->setModel(m_model);
    m_list->setAccessibleName(QStringLiteral("Elenco delle schede"));
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    addPriceChangeAction();
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette listColours = m_list->palette();
    listColours.setColor(QPalette::Base, Qt::white);
    listColours.setColor(QPalette::Text, Qt::black);
    m_list->setPalette(listColours);

    auto *rigo03 = placeLabel(this, QStringLiteral("lblRigo03"), QPoint(16, 456),
        QStringLiteral("Per richiamare i dati di una scheda, selezionarla con un doppio clic."));
    QPalette crimson = rigo03->palette();
    crimson.setColor(QPalette::WindowText, kCrimson);
    rigo03->setPalette(crimson);

    auto *btnChiudi = placeButton(this, QStringLiteral("btnChiudi"), QRect(8, 488, 150, 30), QStringLiteral("Chiudi"));
    if (withCount) {
        m_lblTrovate = placeLabel(this, QStringLiteral("lblTrovate"), QPoint(177, 494),
            QStringLiteral("Il presente elenco contiene 0 schede."));
        QPalette cyan = m_lblTrovate->palette();
        cyan.setColor(QPalette::WindowText, kDarkCyan);
        m_lblTrovate->setPalette(cyan);
    }
    auto *btnStampa
        = placeButton(this, QStringLiteral("btnStampa"), QRect(675, 488, 150, 30), QStringLiteral("Stampa"));

    setTabOrder(m_txtTrova, m_list);
    setTabOrder(m_list, btnStampa);
    setTabOrder(btnStampa, btnChiudi);
    setTabOrder(btnChiudi, m_btnTrova);

    connect(m_btnTrova, &QPushButton::clicked, this, &ResultPanel::btnTrovaClick);
    connect(btnStampa, &QPushButton::clicked, this, &ResultPanel::btnStampaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &ResultPanel::closeRequested);
    // Each entry carries its record, so the card behind the very line clicked is the one loaded.
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            emit recordChosen(m_model->recordAt(index.row()));
    });
}

void ResultPanel::showEntries(ResultLines entries)
{
    m_model->setEntries(std::move(entries));
    if (m_lblTrovate) {
        m_lblTrovate->setText(QStringLiteral("Il presente riepilogo contiene %1 schede.").arg(m_model->rowCount()));
        m_lblTrovate->adjustSize();
    }
}

void ResultPanel::resetFind()
{
    m_find.forget();
    m_txtTrova->clear();
    selectRow(0);
}

int ResultPanel::selectedRow() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ResultPanel::selectRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex index = m_model->index(row);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list->scrollTo(index);
}

void ResultPanel::btnTrovaClick()
{
    const int count = m_model->rowCount();
    if (count == 0) {
        Msg::plain(window(), QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."));
        return;
    }
    if (selectedRow() < 0)
        selectRow(0);
    const int found
        = m_find.find(m_txtTrova->text(), count, selectedRow(), [this](int row) { return m_model->lineAt(row); });
    if (found >= 0)
        selectRow(found);
}

void ResultPanel::btnStampaClick()
{
    fillListReport(m_frxReport, m_reportTitle, m_model->entries().lines());
    ReportOutput::print(window(), m_frxReport.prepare());
}

std::vector<qint64> ResultListModel::records() const
{
    std::vector<qint64> numbers;
    numbers.reserve(size_t(m_lines.size()));
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        numbers.push_back(m_lines.record(i));
    return numbers;
}

// "Variazione prezzi…" in the list's context menu works on every card the list shows.
void ResultPanel::addPriceChangeAction()
{
    auto *action = new QAction(QStringLiteral("Variazione prezzi\u2026"), m_list);
    action->setObjectName(QStringLiteral("actVariazionePrezzi"));
    action->setStatusTip(QStringLiteral("Cambia il prezzo di vendita o il costo di tutte le schede dell'elenco, "
                                        "con un'anteprima prima di scrivere."));
    connect(action, &QAction::triggered, this, [this] {
        std::vector<qint64> records = m_model->records();
        if (records.empty())
            Msg::information(
                window(), QStringLiteral("Nessuna scheda nell'elenco: non c'\u00e8 nessun prezzo da cambiare."));
        else
            TfrmVariazionePrezzi::openFor(window(), std::move(records));
    });
    m_list->addAction(action);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
}
