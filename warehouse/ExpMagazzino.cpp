#include "warehouse/ExpMagazzino.h"

#include "app/Guida.h"
#include "storage/ArchiveResult.h"
#include "warehouse/rules/ExportWriter.h"
#include "warehouse/rules/WarehouseSheet.h"
#include "widgets/ArtLabel.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/ProgressWindow.h"
#include "widgets/ShapeWidget.h"
#include "widgets/StatusHints.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <array>
#include <functional>

namespace {
struct Column
{
    const char *name;
    const char16_t *header;
    int width;
    bool editable;
};

// Column 0 is the record number; the others show the sheet's seventeen columns in order.
constexpr std::array<Column, WarehouseSheet::ColumnCount + 1> kColumns = { {
    { "colNum", u"N.", 60, false },
    { "colCodice", u"Codice articolo", 160, false },
    { "colCosto", u"Costo unitario", 150, false },
    { "colNome", u"Nome prodotto", 250, true },
    { "colGiacenza", u"Giacenza", 100, false },
    { "colUM", u"Aspetto esteriore del bene", 250, true },
    { "colTipologia", u"Categoria merceologica", 250, true },
    { "colCaratteristiche", u"Caratteristiche", 300, false },
    { "colCollocazione", u"Collocazione in magazzino", 250, false },
    { "colDitta", u"Ditta fornitrice", 250, false },
    { "colAgente", u"Agente", 250, false },
    { "colRecapito", u"Recapito telefonico", 200, true },
    { "colDocumento", u"Documento di acquisto", 250, false },
    { "colPagamento", u"Modalit\u00f2 di pagamento", 250, false },
    { "colDataSca", u"Data scadenza", 150, false },
    { "colNote", u"Note", 300, true },
    { "colPrezzo", u"Prezzo di vendita", 150, true },
    { "colPagato", u"Pagato", 120, true },
} };

constexpr int kDesignRows = 10;

/** A grid that can hand an open cell editor's text to the model before the export reads it. */
class RecordsGrid : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    // Tab goes from cell to cell, as in a spreadsheet; Ctrl+Tab leaves the grid for the next control.
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
        if (tab && (event->modifiers() & Qt::ControlModifier)) {
            const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
            QWidget::focusNextPrevChild(!back);
            return;
        }
        QTableView::keyPressEvent(event);
    }

public:
    void commitOpenEditor()
    {
        if (state() != QAbstractItemView::EditingState)
            return;
        for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
            if (w->parentWidget() == viewport()) {
                commitData(w);
                closeEditor(w, QAbstractItemDelegate::NoHint);
                return;
            }
        }
    }
};
} // namespace

/**
 * The sheet as a table: reads cells on demand, so a hundred thousand rows cost no widgets. It owns the
 * sheet, so an editor that commits while the window is being torn down still finds it.
 */
class WarehouseSheetModel : public QAbstractTableModel
{
public:
    explicit WarehouseSheetModel(QObject *parent)
        : QAbstractTableModel(parent)
    { }

    WarehouseSheet &sheet() { return m_sheet; }

    void reset(const std::function<void()> &change)
    {
        beginResetModel();
        change();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_sheet.rowCount());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return QVariant();
        if (index.column() == 0)
            return index.row() < m_sheet.filledCount() ? QString::number(index.row() + 1) : QString();
        return m_sheet.text(index.row(), index.column() - 1);
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole || !kColumns[index.column()].editable)
            return false;
        m_sheet.setText(index.row(), index.column() - 1, value.toString());
        emit dataChanged(index, index, { Qt::DisplayRole, Qt::EditRole });
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (index.isValid() && kColumns[index.column()].editable)
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
            && section < static_cast<int>(kColumns.size()))
            return QString::fromUtf16(kColumns[section].header);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    WarehouseSheet m_sheet;
};

TfrmExpMagazzino::TfrmExpMagazzino(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Esporta magazzino prodotti in Microsoft Excel"), QSize(862, 560),
        QColor(0xEE, 0xED, 0xED), QColor(0xEE, 0xED, 0xED))
{
    setObjectName(QStringLiteral("frmExpMagazzino"));
    QWidget *panel = centredPanel(this, size(), QSize(837, 533), QStringLiteral("panContainer"));

    auto *shpSfondo = new ShapeWidget(panel, QRect(8, 8, 821, 65), Qt::white);
    shpSfondo->setObjectName(QStringLiteral("shpSfondo"));
    artLabel(panel, QStringLiteral("imgLogo"), QStringLiteral("exp-banner"), QRect(13, 13, 505, 55),
        QStringLiteral("Esporta magazzino prodotti in Microsoft Excel"));
    artLabel(panel, QStringLiteral("icoHand"), QStringLiteral("exp-hand"), QRect(528, 32, 31, 25), QString());

    auto *cmdEsporta
        = new PictureButton(panel, QStringLiteral("cmdEsporta"), QStringLiteral("exp-excel"), QRect(566, 15, 49, 50),
            QStringLiteral("Esporta"), QStringLiteral("Esporta l'archivio in formato Microsoft Excel."));
    auto *cmdGuida
        = new PictureButton(panel, QStringLiteral("cmdGuida"), QStringLiteral("exp-guida"), QRect(670, 13, 50, 55),
            QStringLiteral("Guida"), QStringLiteral("Visualizza la pagina della guida sensibile al contesto."));
    auto *cmdEsci = new PictureButton(panel, QStringLiteral("cmdEsci"), QStringLiteral("exp-esci"),
        QRect(766, 15, 40, 50), QStringLiteral("Esci"), QStringLiteral("Esci da questo ambiente di lavoro."));
    connect(cmdEsporta, &PictureButton::clicked, this, &TfrmExpMagazzino::cmdEsportaClick);
    connect(cmdGuida, &PictureButton::clicked, this, &TfrmExpMagazzino::cmdGuidaClick);
    connect(cmdEsci, &PictureButton::clicked, this, &TfrmExpMagazzino::cmdEsciClick);
    addWorkbookButton(panel);

    m_model = new WarehouseSheetModel(this);
    m_model->reset([this] { m_model->sheet().setRowCount(kDesignRows); });
    auto *grid = new RecordsGrid(panel);
    m_grdRecords = grid;
    m_grdRecords->setObjectName(QStringLiteral("grdRecords"));
    m_grdRecords->setGeometry(8, 80, 821, 409);
    m_grdRecords->setModel(m_model);
    m_grdRecords->setItemDelegate(oneLineCells(m_grdRecords));
    m_grdRecords->setAlternatingRowColors(true);
    m_grdRecords->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grdRecords->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grdRecords->setWordWrap(false);
    m_grdRecords->verticalHeader()->hide();
    // Fixed heights keep a grid of a hundred thousand rows as quick as one of ten.
    m_grdRecords->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grdRecords->verticalHeader()->setDefaultSectionSize(21);
    m_grdRecords->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grdRecords->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_grdRecords->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < static_cast<int>(kColumns.size()); ++c)
        m_grdRecords->setColumnWidth(c, kColumns[c].width);
    // The workbook's option comes after the grid in the Tab order.
    if (auto *chkFoto = panel->findChild<QWidget *>(QStringLiteral("chkFoto")))
        setTabOrder(m_grdRecords, chkFoto);

    auto *shpInfo = new ShapeWidget(panel, QRect(8, 493, 821, 32), QColor(0x6A, 0x5A, 0xCD));
    shpInfo->setObjectName(QStringLiteral("shpInfo"));
    m_panInfo = new QLabel(QStringLiteral("Esportazione archivio in Microsoft Excel."), panel);
    m_panInfo->setObjectName(QStringLiteral("panInfo"));
    m_panInfo->setFont(QFont(QStringLiteral("Tahoma"), 12));
    QPalette white = m_panInfo->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_panInfo->setPalette(white);
    m_panInfo->setGeometry(14, 499, 809, 22);

    installStatusHints(this, m_panInfo);
}

TfrmExpMagazzino::~TfrmExpMagazzino() = default;

void TfrmExpMagazzino::showExport(QWidget *owner)
{
    TfrmExpMagazzino w(owner);
    w.exec();
}

void TfrmExpMagazzino::formShow()
{
    // The window opens in the grid, as it did before it had any other control.
    m_grdRecords->setFocus();
    QString busy;
    m_model->reset([this, &busy] {
        WarehouseSheet &sheet = m_model->sheet();
        sheet.clear();
        sheet.setRowCount(kDesignRows);
        const ArchiveResult<Done> read = archiveResult([&] {
            const qint64 count = WarehouseArchive::count();
            if (count == 0)
                return;
            sheet.setRowCount(count);
            sheet.reserve(count);
            WarehouseArchive::forEachRaw([&](qint64 n, const char *record) {
                if (n > count)
                    return false;
                sheet.appendRecord(record);
                return true;
            });
        });
        // The grid keeps the rows read so far; the export can still write them.
        if (!read && read.error().reason() == ArchiveError::Reason::Busy)
            busy = Msg::archiveMessage(read.error());
    });
    if (!busy.isEmpty()) {
        // An empty grid exported now would replace a good Magazzino.xls: the window says why and closes.
        Msg::plain(this, busy);
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
}

void TfrmExpMagazzino::cmdEsportaClick()
{
    static_cast<RecordsGrid *>(m_grdRecords)->commitOpenEditor();
    if (!Msg::confirm(this,
            QStringLiteral("L'esportazione dei dati in Excel pu\u00f2 richiedere diversi minuti a "
                           "seconda del numero di schede presenti in archivio.\r\n\r\n"
                           "Si vuole esportare i dati adesso?")))
        return;
    const QString path = ExportWriter::exportPath();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The writing cannot stop half way: the window only says it is under way, without Annulla.
    const WarehouseSheet &sheet = m_model->sheet();
    ProgressWindow progress(this, QStringLiteral("dlgEsportazione"), QStringLiteral(" Esportazione in Magazzino.xls"),
        QStringLiteral("Avanzamento dell'esportazione"));
    progress.setCancelable(false);
    const WriteResult written = progress.run([&](Job &job) {
        job.step(0, 0, QStringLiteral("Scrittura di Magazzino.xls in corso..."));
        return ExportWriter::write(path, sheet);
    });
    QApplication::restoreOverrideCursor();
    if (written.error() == WriteError::LinkOutside) {
        Msg::plain(this, Msg::linkOutsideMessage(QStringLiteral("Magazzino.xls")));
        return;
    }
    if (!written) {
        Msg::plain(this,
            QStringLiteral("Attenzione: il sistema non permette di esportare i dati.\n\r\n\r"
                           "Accertarsi che il file di Excel non sia gi\u00e0 aperto."));
        return;
    }
    if (Msg::confirm(this,
            QStringLiteral("Le schede in archivio sono state esportate con successo.\r\n\r\n"
                           "Si vuole aprire il file di Excel?")))
        TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}

const WarehouseSheet &TfrmExpMagazzino::committedSheet()
{
    static_cast<RecordsGrid *>(m_grdRecords)->commitOpenEditor();
    return m_model->sheet();
}

QStringList TfrmExpMagazzino::sheetHeaders()
{
    QStringList headers;
    for (size_t c = 1; c < kColumns.size(); ++c)
        headers.append(QString::fromUtf16(kColumns[c].header));
    return headers;
}

void TfrmExpMagazzino::cmdGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::ExpMagazzino);
}

void TfrmExpMagazzino::cmdEsciClick()
{
    close();
}
