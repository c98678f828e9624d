#include "warehouse/ImportaSchede.h"

#include "app/Guida.h"
#include "storage/FieldRules.h"
#include "storage/FileReplace.h"
#include "widgets/FileDialogs.h"
#include "widgets/Logging.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/StatusHints.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

using F = TSchedaProdotto::Field;

namespace {
// Enough rows to find the header below a few lines of titles and notes.
constexpr int PreviewRows = ImportRules::HeaderSearchRows;
constexpr int PreviewColumns = 64;

const QChar kSeparators[] = { QLatin1Char(';'), QLatin1Char(','), QLatin1Char('\t'), QLatin1Char('|') };

// A column's letters as a spreadsheet shows them: 0 -> A, 26 -> AA.
QString columnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

// Name, accessible name and status-line text of a control, in one place.
template <typename W> W *named(W *w, const char *name, const QString &word, const QString &status)
{
    w->setObjectName(QLatin1String(name));
    w->setAccessibleName(word);
    w->setAccessibleDescription(status);
    w->setProperty("statusText", status);
    return w;
}
} // namespace

TfrmImportaSchede::TfrmImportaSchede(QWidget *owner)
    : DialogWindow(owner, QStringLiteral(" Importa prodotti da un file"), QSize(980, 700), QColor(0xD6, 0xE8, 0xF7))
{
    setObjectName(QStringLiteral("frmImportaSchede"));
    // Unlike the program's other dialogs this one may grow: the preview and the columns take the room.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setMinimumSize(820, 600);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    auto *grid = new QVBoxLayout(this);
    grid->setContentsMargins(12, 12, 12, 8);

    // The file and how it is read.
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("File da importare:"), this));
    txtFile = named(new QLineEdit(this), "txtFile", QStringLiteral("File da importare"),
        QStringLiteral("Il file con l'elenco dei prodotti da importare."));
    txtFile->setReadOnly(true);
    fileRow->addWidget(txtFile, 1);
    btnScegliFile
        = named(new QPushButton(QStringLiteral("Sfoglia..."), this), "btnScegliFile", QStringLiteral("Sfoglia"),
            QStringLiteral(
                "Seleziona un file CSV o di testo, una cartella di lavoro .xlsx o .xls, un foglio .ods o il file "
                "Magazzino.xls."));
    fileRow->addWidget(btnScegliFile);
    grid->addLayout(fileRow);

    auto *formatRow = new QHBoxLayout;
    lblTipo = named(
        new QLabel(this), "lblTipo", QStringLiteral("Tipo di file"), QStringLiteral("Il tipo di file riconosciuto."));
    formatRow->addWidget(lblTipo, 1);
    formatRow->addWidget(new QLabel(QStringLiteral("Separatore:"), this));
    cboSeparatore = named(new QComboBox(this), "cboSeparatore", QStringLiteral("Separatore"),
        QStringLiteral("Il carattere che separa le colonne del file di testo."));
    for (const QChar c : kSeparators)
        cboSeparatore->addItem(ImportSource::separatorName(c), QString(c));
    formatRow->addWidget(cboSeparatore);
    formatRow->addWidget(new QLabel(QStringLiteral("Codifica:"), this));
    cboCodifica = named(new QComboBox(this), "cboCodifica", QStringLiteral("Codifica"),
        QStringLiteral("La codifica dei caratteri del file di testo."));
    cboCodifica->addItem(ImportSource::encodingName(ImportSource::Encoding::Utf8));
    cboCodifica->addItem(ImportSource::encodingName(ImportSource::Encoding::Windows1252));
    formatRow->addWidget(cboCodifica);
    formatRow->addWidget(new QLabel(QStringLiteral("Foglio:"), this));
    cboFoglio = named(new QComboBox(this), "cboFoglio", QStringLiteral("Foglio"),
        QStringLiteral("Il foglio della cartella di lavoro da importare."));
    cboFoglio->setMinimumWidth(140);
    formatRow->addWidget(cboFoglio);
    chkIntestazioni = named(new QCheckBox(QStringLiteral("Intestazioni nella riga"), this), "chkIntestazioni",
        QStringLiteral("Intestazioni nella riga"),
        QStringLiteral("Se il file ha una riga con i nomi delle colonne: quella riga e le righe sopra di essa (titoli, "
                       "note) non vengono importate come prodotti."));
    chkIntestazioni->setChecked(true);
    spnIntestazioni = named(new QSpinBox(this), "spnIntestazioni", QStringLiteral("Riga delle intestazioni"),
        QStringLiteral("La riga del file con i nomi delle colonne; le righe sopra di essa non vengono importate."));
    spnIntestazioni->setRange(1, 1);
    spnIntestazioni->setKeyboardTracking(false); // the columns are mapped again once the number is typed
    grid->addLayout(formatRow);

    // The first rows, and the column of each card field.
    auto *middle = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Prime righe del file:"), this));
    tblAnteprima = named(new QTableWidget(this), "tblAnteprima", QStringLiteral("Prime righe del file"),
        QStringLiteral("Le prime righe del file, come vengono lette."));
    tblAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the tables: inside them the arrow keys move.
    tblAnteprima->setTabKeyNavigation(false);
    tblAnteprima->setWordWrap(false);
    left->addWidget(tblAnteprima, 1);
    auto *headerRow = new QHBoxLayout;
    headerRow->addWidget(chkIntestazioni);
    headerRow->addWidget(spnIntestazioni);
    headerRow->addStretch(1);
    left->addLayout(headerRow);
    middle->addLayout(left, 3);
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Colonna di ogni campo della scheda:"), this));
    tblCampi = named(new QTableWidget(TSchedaProdotto::FieldCount, 2, this), "tblCampi",
        QStringLiteral("Colonna di ogni campo della scheda"),
        QStringLiteral("Per ogni campo della scheda, la colonna del file da cui viene preso."));
    tblCampi->setHorizontalHeaderLabels({ QStringLiteral("Campo"), QStringLiteral("Colonna del file") });
    tblCampi->verticalHeader()->hide();
    tblCampi->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tblCampi->horizontalHeader()->setStretchLastSection(true);
    tblCampi->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCampi->setTabKeyNavigation(false);
    tblCampi->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        const auto field = static_cast<F>(i);
        tblCampi->setItem(i, 0, new QTableWidgetItem(ImportRules::fieldTitle(field)));
        auto *combo = new QComboBox(tblCampi);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo->setObjectName(QStringLiteral("cboCampo") + QLatin1String(TSchedaProdotto::info(field).name));
        combo->setAccessibleName(QStringLiteral("Colonna per ") + ImportRules::fieldTitle(field));
        combo->setProperty("statusText",
            QStringLiteral("La colonna del file da cui prendere il campo \"%1\".").arg(ImportRules::fieldTitle(field)));
        combo->setAccessibleDescription(combo->property("statusText").toString());
        tblCampi->setCellWidget(i, 1, combo);
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            invalidate();
            if (!m_loading)
                showPreview();
        });
        m_columns[size_t(i)] = combo;
    }
    right->addWidget(tblCampi, 1);
    middle->addLayout(right, 2);
    grid->addLayout(middle, 4);

    // Options.
    auto *optionRow = new QHBoxLayout;
    chkAggiorna = named(new QCheckBox(QStringLiteral("Aggiorna le schede con lo stesso codice articolo"), this),
        "chkAggiorna", QStringLiteral("Aggiorna le schede con lo stesso codice articolo"),
        QStringLiteral("Se attivo, una riga con un codice gi\u00e0 in archivio aggiorna quella scheda invece di "
                       "aggiungerne una nuova."));
    optionRow->addWidget(chkAggiorna);
    optionRow->addStretch(1);
    auto *lblCartellaFoto = new QLabel(QStringLiteral("Foto per codice:"), this);
    optionRow->addWidget(lblCartellaFoto);
    txtCartellaFoto = named(new QLineEdit(this), "txtCartellaFoto", QStringLiteral("Cartella delle foto"),
        QStringLiteral("La cartella con le foto chiamate come il codice articolo (ART001.jpg)."));
    txtCartellaFoto->setReadOnly(true);
    txtCartellaFoto->setPlaceholderText(QStringLiteral("nessuna cartella"));
    // Room for a short path whole; a longer one is cut in the middle, whole in the tooltip.
    txtCartellaFoto->setMinimumWidth(
        txtCartellaFoto->fontMetrics().horizontalAdvance(QStringLiteral("C:/Users/Negozio/Pictures/Prodotti")) + 16);
    lblCartellaFoto->setBuddy(txtCartellaFoto);
    optionRow->addWidget(txtCartellaFoto, 1);
    btnCartellaFoto = named(new QPushButton(QStringLiteral("Cartella foto..."), this), "btnCartellaFoto",
        QStringLiteral("Cartella foto"),
        QStringLiteral("Seleziona la cartella delle foto chiamate come il codice articolo; Annulla la toglie."));
    optionRow->addWidget(btnCartellaFoto);
    grid->addLayout(optionRow);

    // The check, then the report.
    txtRapporto = named(new QPlainTextEdit(this), "txtRapporto", QStringLiteral("Rapporto"),
        QStringLiteral("Le righe che verrebbero rifiutate o modificate, e il rapporto dell'importazione."));
    txtRapporto->setReadOnly(true);
    txtRapporto->setTabChangesFocus(true);
    txtRapporto->setMinimumHeight(90);
    grid->addWidget(txtRapporto, 1);

    auto *buttons = new QHBoxLayout;
    btnVerifica = named(new QPushButton(QStringLiteral("Verifica"), this), "btnVerifica", QStringLiteral("Verifica"),
        QStringLiteral("Controlla ogni riga con le regole della scheda, senza scrivere nulla."));
    btnImporta = named(new QPushButton(QStringLiteral("Importa"), this), "btnImporta", QStringLiteral("Importa"),
        QStringLiteral("Scrive in archivio le righe accettate dalla verifica."));
    btnSalvaRapporto = named(new QPushButton(QStringLiteral("Salva rapporto..."), this), "btnSalvaRapporto",
        QStringLiteral("Salva rapporto"), QStringLiteral("Salva il rapporto in un file di testo."));
    btnGuida = named(new QPushButton(QStringLiteral("Guida"), this), "btnGuida", QStringLiteral("Guida"),
        QStringLiteral("Apre la guida all'importazione di un elenco di prodotti."));
    btnChiudi = named(new QPushButton(QStringLiteral("Chiudi"), this), "btnChiudi", QStringLiteral("Chiudi"),
        QStringLiteral("Chiude questa finestra."));
    buttons->addWidget(btnVerifica);
    buttons->addWidget(btnImporta);
    buttons->addStretch(1);
    buttons->addWidget(btnSalvaRapporto);
    buttons->addWidget(btnGuida);
    buttons->addWidget(btnChiudi);
    grid->addLayout(buttons);

    panInfo = new QLabel(QStringLiteral("Selezionare il file con l'elenco dei prodotti da importare."), this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setIndent(8);
    panInfo->setMinimumHeight(26);
    panInfo->setAutoFillBackground(true);
    QPalette bar = panInfo->palette();
    bar.setColor(QPalette::Window, QColor("#3030DD"));
    bar.setColor(QPalette::WindowText, Qt::white);
    panInfo->setPalette(bar);
    grid->addWidget(panInfo);

    connect(btnScegliFile, &QPushButton::clicked, this, &TfrmImportaSchede::btnScegliFileClick);
    connect(btnCartellaFoto, &QPushButton::clicked, this, &TfrmImportaSchede::btnCartellaFotoClick);
    connect(btnVerifica, &QPushButton::clicked, this, &TfrmImportaSchede::btnVerificaClick);
    connect(btnImporta, &QPushButton::clicked, this, &TfrmImportaSchede::btnImportaClick);
    connect(btnSalvaRapporto, &QPushButton::clicked, this, &TfrmImportaSchede::btnSalvaRapportoClick);
    connect(btnGuida, &QPushButton::clicked, this, &TfrmImportaSchede::btnGuidaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    for (QComboBox *combo : { cboSeparatore, cboCodifica, cboFoglio })
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { reloadPreview(true); });
    connect(chkIntestazioni, &QCheckBox::toggled, this, [this](bool on) {
        spnIntestazioni->setEnabled(on && !m_path.isEmpty());
        mapColumns(true);
    });
    connect(spnIntestazioni, &QSpinBox::valueChanged, this, [this] { mapColumns(true); });
    connect(chkAggiorna, &QCheckBox::toggled, this, [this] { invalidate(); });

    for (QWidget *w : { static_cast<QWidget *>(cboSeparatore), static_cast<QWidget *>(cboCodifica),
             static_cast<QWidget *>(cboFoglio), static_cast<QWidget *>(chkIntestazioni),
             static_cast<QWidget *>(spnIntestazioni), static_cast<QWidget *>(btnVerifica),
             static_cast<QWidget *>(btnImporta), static_cast<QWidget *>(btnSalvaRapporto) })
        w->setEnabled(false);
    installStatusHints(this, panInfo);

    // Enter in a box must not press a button: none is the default, none becomes it on focus.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    // Tab goes through the controls as they are read on screen: the file, how it is read, its rows and
    // header row, the field choices top to bottom, the options, the report, the buttons.
    QList<QWidget *> chain = { txtFile, btnScegliFile, cboSeparatore, cboCodifica, cboFoglio, tblAnteprima,
        chkIntestazioni, spnIntestazioni };
    for (QComboBox *combo : m_columns)
        chain.append(combo);
    chain << chkAggiorna << txtCartellaFoto << btnCartellaFoto << txtRapporto << btnVerifica << btnImporta
          << btnSalvaRapporto << btnGuida << btnChiudi;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));

    // Tab reaches a column choice the table has scrolled away.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
            if (now == m_columns[size_t(i)])
                tblCampi->scrollTo(tblCampi->model()->index(i, 1));
    });
}

void TfrmImportaSchede::showFor(QWidget *owner)
{
    TfrmImportaSchede w(owner);
    w.exec();
}

void TfrmImportaSchede::btnScegliFileClick()
{
    const QString path = FileDialogs::openFile(this, QStringLiteral("Selezionare il file da importare."),
        QStringLiteral("Elenchi di prodotti|*.csv;*.txt;*.tsv;*.xlsx;*.xls;*.ods;*.fods|Tutti i file|*"));
    if (!path.isEmpty())
        loadFile(path);
}

void TfrmImportaSchede::loadFile(const QString &path)
{
    m_path = path;
    m_format = ImportSource::detect(path);
    showPaths();
    m_loading = true;
    const bool text = m_format.kind == ImportSource::Kind::Text;
    cboSeparatore->setCurrentIndex(std::max(0, cboSeparatore->findData(QString(m_format.separator))));
    cboCodifica->setCurrentIndex(m_format.encoding == ImportSource::Encoding::Utf8 ? 0 : 1);
    cboFoglio->clear();
    cboFoglio->addItems(m_format.sheets);
    cboSeparatore->setEnabled(text);
    cboCodifica->setEnabled(text || m_format.kind == ImportSource::Kind::Page);
    cboFoglio->setEnabled(m_format.sheets.size() > 1);
    chkIntestazioni->setEnabled(true);
    spnIntestazioni->setEnabled(chkIntestazioni->isChecked());
    m_loading = false;
    switch (m_format.kind) {
    case ImportSource::Kind::Text:
        lblTipo->setText(QStringLiteral("Testo delimitato%1")
                             .arg(m_format.byteOrderMark ? QStringLiteral(" (con BOM)") : QString()));
        break;
    case ImportSource::Kind::Workbook:
        lblTipo->setText(QStringLiteral("Cartella di lavoro .xlsx"));
        break;
    case ImportSource::Kind::Page:
        lblTipo->setText(QStringLiteral("Foglio Magazzino.xls (tabella HTML)"));
        break;
    case ImportSource::Kind::OpenDocument:
        lblTipo->setText(QStringLiteral("Foglio di calcolo OpenDocument (.ods)"));
        break;
    case ImportSource::Kind::OldWorkbook:
        lblTipo->setText(QStringLiteral("Cartella di lavoro Excel 97-2003 (.xls)"));
        break;
    }
    if (m_format.error.failed()) {
        lblTipo->setText(QStringLiteral("File non importabile"));
        tblAnteprima->clear();
        tblAnteprima->setRowCount(0);
        tblAnteprima->setColumnCount(0);
        btnVerifica->setEnabled(false);
        btnImporta->setEnabled(false);
        m_rows.clear();
        Msg::plain(this, m_format.error.text());
        return;
    }
    reloadPreview(true);
}

void TfrmImportaSchede::reloadPreview(bool guess)
{
    if (m_loading || m_path.isEmpty())
        return;
    m_format.separator = cboSeparatore->currentData().toString().at(0);
    m_format.encoding
        = cboCodifica->currentIndex() == 0 ? ImportSource::Encoding::Utf8 : ImportSource::Encoding::Windows1252;
    m_format.sheet = std::max(0, cboFoglio->currentIndex());
    ImportError error;
    const auto reader = ImportSource::open(m_path, m_format, &error);
    m_rows.clear();
    if (reader)
        for (QStringList cells; m_rows.size() < PreviewRows && reader->next(cells);)
            m_rows.append(cells);
    m_loading = true;
    spnIntestazioni->setRange(1, std::max<int>(1, int(m_rows.size())));
    if (guess)
        spnIntestazioni->setValue(ImportRules::guessHeaderRow(m_rows) + 1);
    m_loading = false;
    mapColumns(guess);
    // A file past a bound is refused here, at the preview, not after a whole check.
    if (reader && reader->error().failed())
        error = reader->error();
    if (error.failed() || !reader) {
        qCWarning(lcImport, "%s cannot be read: %s", qUtf8Printable(m_path), qUtf8Printable(error.text()));
        Msg::plain(this, error.text());
    }
    btnVerifica->setEnabled(reader != nullptr && !reader->error().failed());
    invalidate();
    panInfo->setText(QStringLiteral("Controllare la riga delle intestazioni e le colonne scelte per i campi, poi "
                                    "premere Verifica."));
}

void TfrmImportaSchede::mapColumns(bool guess)
{
    if (m_loading)
        return;
    int columns = 0;
    for (const QStringList &row : m_rows)
        columns = std::max(columns, int(std::min<qsizetype>(row.size(), PreviewColumns)));
    const QStringList headers
        = chkIntestazioni->isChecked() ? m_rows.value(spnIntestazioni->value() - 1) : QStringList();
    const ImportRules::Mapping guessed = ImportRules::guessMapping(headers);
    m_loading = true;
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        QComboBox *combo = m_columns[size_t(i)];
        const int chosen = combo->currentIndex() - 1;
        combo->clear();
        combo->addItem(QStringLiteral("(nessuna)"), ImportRules::NoColumn);
        for (int c = 0; c < columns; ++c) {
            const QString header = headers.value(c).simplified();
            combo->addItem(header.isEmpty() ? columnLetters(c) : columnLetters(c) + QStringLiteral(" - ") + header, c);
        }
        const int column = guess ? guessed[size_t(i)] : chosen;
        combo->setCurrentIndex(column >= 0 && column < columns ? column + 1 : 0);
    }
    fitColumnChoices();
    m_loading = false;
    showPreview();
    invalidate();
}

void TfrmImportaSchede::showPreview()
{
    int columns = 0;
    for (const QStringList &row : m_rows)
        columns = std::max(columns, int(std::min<qsizetype>(row.size(), PreviewColumns)));
    tblAnteprima->clear();
    tblAnteprima->setRowCount(int(m_rows.size()));
    tblAnteprima->setColumnCount(columns);
    QStringList letters;
    for (int c = 0; c < columns; ++c)
        letters << columnLetters(c);
    tblAnteprima->setHorizontalHeaderLabels(letters);

    const ImportRun::Options o = options();
    // The card field each column fills first, for the stored text a cell shows.
    std::vector<int> fieldOf(size_t(columns), -1);
    for (int i = TSchedaProdotto::FieldCount - 1; i >= 0; --i)
        if (o.mapping[size_t(i)] >= 0 && o.mapping[size_t(i)] < columns)
            fieldOf[size_t(o.mapping[size_t(i)])] = i;
    const int header = o.headerRow ? int(o.headerIndex) : -1;
    for (int r = 0; r < m_rows.size(); ++r) {
        const QStringList &cells = m_rows.at(r);
        const ImportRules::Checked checked
            = r > header ? ImportRules::checkRow(cells, o.mapping) : ImportRules::Checked {};
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem(cells.value(c));
            if (r < header) {
                item->setForeground(Qt::gray);
                item->setToolTip((cells.value(c).isEmpty() ? QString() : cells.value(c) + QStringLiteral("\n"))
                    + QStringLiteral("Riga sopra le intestazioni: non viene importata."));
            } else if (r == header) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            } else if (checked.verdict == ImportRules::Checked::Verdict::Refused) {
                item->setBackground(QColor(0xF8, 0xD7, 0xD7));
                item->setToolTip(QStringLiteral("Riga rifiutata: ") + checked.reason.text());
            } else if (checked.verdict == ImportRules::Checked::Verdict::Accepted && fieldOf[size_t(c)] >= 0) {
                const QString stored = checked.card.values[size_t(fieldOf[size_t(c)])];
                if (stored != cells.value(c)) {
                    item->setText(stored);
                    item->setToolTip(QStringLiteral("Nel file: ") + ImportRules::quoted(cells.value(c)));
                }
            }
            tblAnteprima->setItem(r, c, item);
        }
    }
    // Each column as wide as what it shows below the titles (a title is as wide as it likes), within
    // a bound that leaves room for the next columns.
    constexpr int kWidest = 240;
    QFont bold = tblAnteprima->font();
    bold.setBold(true);
    const QFontMetrics plainText(tblAnteprima->font()), boldText(bold);
    for (int c = 0; c < columns; ++c) {
        int width = tblAnteprima->horizontalHeader()->sectionSizeHint(c);
        for (int r = std::max(header, 0); r < m_rows.size(); ++r) {
            const QFontMetrics &fm = r == header ? boldText : plainText;
            width = std::max(width, fm.horizontalAdvance(tblAnteprima->item(r, c)->text()) + 24);
        }
        tblAnteprima->setColumnWidth(c, std::min(width, kWidest));
    }
}

void TfrmImportaSchede::resizeEvent(QResizeEvent *event)
{
    DialogWindow::resizeEvent(event);
    showPaths();
}

void TfrmImportaSchede::showPaths()
{
    const auto show = [](QLineEdit *box, const QString &path) {
        const QString whole = QDir::toNativeSeparators(path);
        const int room = box->contentsRect().width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 6;
        box->setText(box->fontMetrics().elidedText(whole, Qt::ElideMiddle, std::max(room, 40)));
        box->setToolTip(whole);
    };
    show(txtFile, m_path);
    show(txtCartellaFoto, m_photoFolder);
}

void TfrmImportaSchede::fitColumnChoices()
{
    // Each choice shown whole, up to a width that leaves the preview its room; a longer header keeps
    // its whole text in the tooltip.
    constexpr int kWidest = 380;
    int widest = 0;
    for (QComboBox *combo : m_columns)
        widest = std::max(widest, combo->sizeHint().width());
    widest = std::min(widest, kWidest);
    // The last column stretches: the table's width gives it the rest.
    int titles = tblCampi->horizontalHeader()->sectionSizeHint(0);
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
        titles = std::max(titles, tblCampi->fontMetrics().horizontalAdvance(tblCampi->item(i, 0)->text()) + 12);
    tblCampi->setMinimumWidth(
        titles + widest + tblCampi->verticalScrollBar()->sizeHint().width() + 2 * tblCampi->frameWidth());
    for (QComboBox *combo : m_columns)
        combo->setToolTip(combo->sizeHint().width() > widest ? combo->currentText() : QString());
}

ImportRun::Options TfrmImportaSchede::options() const
{
    ImportRun::Options o;
    o.path = m_path;
    o.format = m_format;
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
        o.mapping[size_t(i)] = m_columns[size_t(i)]->currentData().isValid()
            ? m_columns[size_t(i)]->currentData().toInt()
            : ImportRules::NoColumn;
    o.headerRow = chkIntestazioni->isChecked();
    o.headerIndex = spnIntestazioni->value() - 1;
    o.updateByCode = chkAggiorna->isChecked();
    o.photoFolder = m_photoFolder;
    return o;
}

void TfrmImportaSchede::invalidate()
{
    if (m_loading)
        return;
    btnImporta->setEnabled(false);
}

ImportRun::Progress TfrmImportaSchede::progressIn(Job &job, const QString &what)
{
    return [&job, what](qint64 done, qint64 total) {
        return job.step(done, total, QStringLiteral("%1: %2%").arg(what).arg(total > 0 ? done * 100 / total : 0));
    };
}

void TfrmImportaSchede::btnCartellaFotoClick()
{
    m_photoFolder = FileDialogs::openFolder(this, QStringLiteral("Selezionare la cartella delle foto."));
    showPaths();
}

void TfrmImportaSchede::btnVerificaClick()
{
    // The choices are read here: the check runs on a worker and touches no control. The progress window
    // has closed when the report is shown.
    const ImportRun::Options o = options();
    ProgressWindow window(this, QStringLiteral("dlgVerifica"), QStringLiteral(" Verifica"),
        QStringLiteral("Avanzamento della verifica del file"));
    const ImportRun::Report report = window.run(
        [&o](Job &job) { return ImportRun::check(o, progressIn(job, QStringLiteral("Verifica del file"))); });
    m_report = report.text();
    txtRapporto->setPlainText(m_report);
    btnSalvaRapporto->setEnabled(true);
    btnImporta->setEnabled(!report.failure.failed() && report.accepted > 0);
    if (report.failure.failed()) {
        qCWarning(lcImport, "check of %s failed: %s", qUtf8Printable(m_path), qUtf8Printable(report.failure.text()));
        panInfo->setText(report.failure.text());
    } else if (report.accepted == 0)
        panInfo->setText(QStringLiteral("Nessuna riga pu\u00f2 essere importata: controllare le colonne scelte."));
    else
        panInfo->setText(QStringLiteral("Righe pronte da importare: %1. Premere Importa per scriverle in archivio.")
                             .arg(formatCount(report.accepted)));
}

void TfrmImportaSchede::btnImportaClick()
{
    const ImportRun::Options o = options();
    const QString question = o.updateByCode
        ? QStringLiteral("Importare le righe accettate nell'archivio? Le schede con lo stesso codice articolo "
                         "verranno aggiornate.")
        : QStringLiteral("Importare le righe accettate nell'archivio come nuove schede?");
    if (!Msg::confirm(this, question))
        return;
    ProgressWindow window(this, QStringLiteral("dlgImportazione"), QStringLiteral(" Importazione"),
        QStringLiteral("Avanzamento dell'importazione"));
    const ImportRun::Report report
        = window.run([&o](Job &job) { return ImportRun::write(o, progressIn(job, QStringLiteral("Importazione"))); });
    m_report = report.text();
    txtRapporto->setPlainText(m_report);
    btnSalvaRapporto->setEnabled(true);
    if (!report.written) {
        qCWarning(lcImport, "import of %s failed: %s", qUtf8Printable(m_path), qUtf8Printable(report.failure.text()));
        panInfo->setText(QStringLiteral("Importazione non eseguita."));
        Msg::plain(this, report.failure.text());
        return;
    }
    qCInfo(lcImport, "import of %s done: %lld added, %lld updated, %lld refused", qUtf8Printable(m_path),
        qlonglong(report.added), qlonglong(report.updated), qlonglong(report.refused));
    // Once written, the same rows would be added a second time.
    btnImporta->setEnabled(false);
    panInfo->setText(QStringLiteral("Importazione completata."));
    Msg::plain(this,
        QStringLiteral("Importazione completata: %1 schede aggiunte, %2 aggiornate, %3 righe rifiutate.")
            .arg(formatCount(report.added), formatCount(report.updated), formatCount(report.refused)));
}

void TfrmImportaSchede::btnSalvaRapportoClick()
{
    const QString path = FileDialogs::saveFile(this, QStringLiteral("Salva il rapporto"),
        QStringLiteral("File di testo|*.txt"), QStringLiteral("Rapporto importazione.txt"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    if (!FileReplace::replace(path, m_report.toUtf8()))
        Msg::plain(this, QStringLiteral("Impossibile salvare il rapporto in %1.").arg(QDir::toNativeSeparators(path)));
    else
        panInfo->setText(QStringLiteral("Rapporto salvato in %1.").arg(QDir::toNativeSeparators(path)));
}

void TfrmImportaSchede::btnGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::ImportaSchede);
}
