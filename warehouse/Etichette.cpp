#include "warehouse/Etichette.h"

#include "report/ReportOutput.h"
#include "report/engine/ReportPainter.h"
#include "report/engine/ReportTemplate.h"
#include "storage/FieldRules.h"
#include "storage/ProgramSettings.h"
#include "storage/TextField.h"
#include "widgets/Controls.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/ProgressWindow.h"
#include "widgets/StatusHints.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

/** The first sheet as it will print, drawn small, with the outline of every label of the sheet. */
class LabelSheetView : public QWidget
{
public:
    explicit LabelSheetView(QWidget *parent)
        : QWidget(parent)
    { }

    void showPage(const PreparedPage &page, const LabelSheet &sheet)
    {
        m_page = page;
        m_sheet = sheet;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        if (m_page.paperMm.isEmpty())
            return;
        const QSizeF paper = m_page.sizeUnits();
        const double scale = std::min((width() - 16) / paper.width(), (height() - 16) / paper.height());
        const QSizeF drawn = paper * scale;
        painter.translate((width() - drawn.width()) / 2, (height() - drawn.height()) / 2);
        painter.fillRect(QRectF(QPointF(), drawn), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 0));
        for (int slot = 0; slot < m_sheet.perPage(); ++slot) {
            const QRectF mm = m_sheet.labelRect(slot);
            painter.drawRect(QRectF(mmToUnits(mm.left()) * scale, mmToUnits(mm.top()) * scale,
                mmToUnits(mm.width()) * scale, mmToUnits(mm.height()) * scale));
        }
        ReportPainter::paintPage(painter, m_page, scale);
    }

private:
    PreparedPage m_page;
    LabelSheet m_sheet;
};

namespace {
const QString kSection = QStringLiteral("Etichette/");

// Name, accessible name and status-line text of a control, in one place.
template <typename W> W *named(W *w, const char *name, const QString &word, const QString &status)
{
    w->setObjectName(QLatin1String(name));
    w->setAccessibleName(word);
    w->setAccessibleDescription(status);
    w->setProperty("statusText", status);
    return w;
}

QDoubleSpinBox *millimetres(double from, double to)
{
    auto *box = new QDoubleSpinBox;
    box->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    box->setDecimals(1);
    box->setRange(from, to);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

QString productName(const LabelProduct &p)
{
    const QString name = trimText(p.nome);
    const QString code = trimText(p.codice);
    if (name.isEmpty())
        return code.isEmpty() ? QStringLiteral("(senza nome)") : code;
    return code.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, code);
}

/** "a, b, c" and, past a few, how many more. */
QString listed(const QStringList &names)
{
    constexpr int Shown = 4;
    QString text = QStringList(names.mid(0, Shown)).join(QStringLiteral(", "));
    if (names.size() > Shown)
        text += QStringLiteral(" e altri %1").arg(names.size() - Shown);
    return text;
}
} // namespace

TfrmEtichette::TfrmEtichette(QWidget *owner, const QList<LabelProduct> &products, bool stockKnown)
    : DialogWindow(owner, QStringLiteral(" Stampa etichette"), QSize(900, 660), QColor(0xD6, 0xE8, 0xF7))
    , m_products(products)
    , m_stockKnown(stockKnown)
    , m_standard(LabelSheet::standardSheets())
{
    setObjectName(QStringLiteral("frmEtichette"));
    setFont(verdana());
    for (const LabelProduct &product : m_products)
        m_drawable.append(barcodeModules(chooseBarcode(product.codice)) > 0);
    buildLayout();
    loadSettings();
    refresh();
}

void TfrmEtichette::showFor(QWidget *owner, const QList<LabelProduct> &products, bool stockKnown)
{
    TfrmEtichette window(owner, products, stockKnown);
    window.exec();
}

void TfrmEtichette::buildLayout()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 8);
    auto *columns = new QHBoxLayout;
    outer->addLayout(columns, 1);
    auto *left = new QVBoxLayout;
    columns->addLayout(left, 1);

    // The sheet.
    auto *sheetBox = new QGroupBox(QStringLiteral("Foglio"), this);
    auto *sheetGrid = new QGridLayout(sheetBox);
    cboFoglio = named(new QComboBox, "cboFoglio", QStringLiteral("Foglio di etichette"),
        QStringLiteral("Sceglie il foglio di etichette, il rotolo della stampante di etichette o un foglio "
                       "personalizzato."));
    for (const LabelSheet &s : m_standard)
        cboFoglio->addItem(s.name);
    cboFoglio->addItem(LabelSheet::roll(QSizeF(50, 30)).name);
    cboFoglio->addItem(QStringLiteral("Foglio personalizzato"));
    sheetGrid->addWidget(cboFoglio, 0, 0, 1, 4);

    const QString sizeHint = QStringLiteral("Misure del foglio personalizzato o del rotolo, in millimetri.");
    spnRighe = named(new QSpinBox, "spnRighe", QStringLiteral("Righe di etichette"), sizeHint);
    spnRighe->setRange(1, 50);
    spnColonne = named(new QSpinBox, "spnColonne", QStringLiteral("Colonne di etichette"), sizeHint);
    spnColonne->setRange(1, 20);
    spnLarghezza = named(millimetres(10, 1000), "spnLarghezza", QStringLiteral("Larghezza dell'etichetta"), sizeHint);
    spnAltezza = named(millimetres(10, 1000), "spnAltezza", QStringLiteral("Altezza dell'etichetta"), sizeHint);
    spnMargineSx = named(millimetres(0, 500), "spnMargineSx", QStringLiteral("Margine sinistro"), sizeHint);
    spnMargineSu = named(millimetres(0, 500), "spnMargineSu", QStringLiteral("Margine superiore"), sizeHint);
    spnSpazioOr = named(millimetres(0, 100), "spnSpazioOr", QStringLiteral("Spazio tra le colonne"), sizeHint);
    spnSpazioVe = named(millimetres(0, 100), "spnSpazioVe", QStringLiteral("Spazio tra le righe"), sizeHint);
    const std::pair<const char *, QWidget *> cells[] = {
        { "Righe:", spnRighe },
        { "Colonne:", spnColonne },
        { "Larghezza:", spnLarghezza },
        { "Altezza:", spnAltezza },
        { "Margine sinistro:", spnMargineSx },
        { "Margine superiore:", spnMargineSu },
        { "Spazio tra colonne:", spnSpazioOr },
        { "Spazio tra righe:", spnSpazioVe },
    };
    for (int i = 0; i < int(std::size(cells)); ++i) {
        auto *caption = new QLabel(QString::fromUtf8(cells[i].first));
        caption->setBuddy(cells[i].second);
        sheetGrid->addWidget(caption, 1 + i / 2, (i % 2) * 2);
        sheetGrid->addWidget(cells[i].second, 1 + i / 2, (i % 2) * 2 + 1);
    }
    spnInizio = named(new QSpinBox, "spnInizio", QStringLiteral("Inizia dall'etichetta"),
        QStringLiteral("Su un foglio gi\u00e0 usato in parte, il numero della prima etichetta libera (contando "
                       "per righe dall'alto a sinistra)."));
    auto *startCaption = new QLabel(QStringLiteral("Inizia dall'etichetta:"));
    startCaption->setBuddy(spnInizio);
    sheetGrid->addWidget(startCaption, 5, 0, 1, 2);
    sheetGrid->addWidget(spnInizio, 5, 2);
    left->addWidget(sheetBox);

    // What a label says.
    auto *contentBox = new QGroupBox(QStringLiteral("Contenuto"), this);
    auto *contentGrid = new QGridLayout(contentBox);
    const QString contentHint = QStringLiteral("Sceglie le righe stampate su ogni etichetta.");
    chkNome = named(new QCheckBox(QStringLiteral("Nome del prodotto")), "chkNome", QStringLiteral("Nome del prodotto"),
        contentHint);
    chkPrezzo = named(
        new QCheckBox(QStringLiteral("Prezzo in euro")), "chkPrezzo", QStringLiteral("Prezzo in euro"), contentHint);
    chkCodice = named(
        new QCheckBox(QStringLiteral("Codice articolo")), "chkCodice", QStringLiteral("Codice articolo"), contentHint);
    chkBarcode = named(new QCheckBox(QStringLiteral("Codice a barre")), "chkBarcode", QStringLiteral("Codice a barre"),
        QStringLiteral("Stampa il codice a barre: EAN-13 o EAN-8 per i codici di 13 o 8 cifre (12 o 7: la cifra "
                       "di controllo \u00e8 aggiunta), altrimenti Code 128."));
    chkAspetto = named(new QCheckBox(QStringLiteral("Aspetto esteriore")), "chkAspetto",
        QStringLiteral("Aspetto esteriore"), contentHint);
    chkCategoria
        = named(new QCheckBox(QStringLiteral("Categoria")), "chkCategoria", QStringLiteral("Categoria"), contentHint);
    chkNegozio = named(new QCheckBox(QStringLiteral("Riga fissa:")), "chkNegozio", QStringLiteral("Riga fissa"),
        QStringLiteral("Stampa in cima a ogni etichetta una riga fissa, per esempio il nome del negozio."));
    txtNegozio = named(new QLineEdit, "txtNegozio", QStringLiteral("Testo della riga fissa"),
        QStringLiteral("Il testo stampato in cima a ogni etichetta."));
    txtNegozio->setMaxLength(60);
    chkNome->setChecked(true);
    chkPrezzo->setChecked(true);
    chkCodice->setChecked(true);
    chkBarcode->setChecked(true);
    contentGrid->addWidget(chkNome, 0, 0);
    contentGrid->addWidget(chkPrezzo, 0, 1);
    contentGrid->addWidget(chkCodice, 1, 0);
    contentGrid->addWidget(chkBarcode, 1, 1);
    contentGrid->addWidget(chkAspetto, 2, 0);
    contentGrid->addWidget(chkCategoria, 2, 1);
    contentGrid->addWidget(chkNegozio, 3, 0);
    contentGrid->addWidget(txtNegozio, 3, 1);
    left->addWidget(contentBox);

    // How many of each.
    auto *copiesBox = new QGroupBox(QStringLiteral("Copie"), this);
    auto *copiesGrid = new QGridLayout(copiesBox);
    optUna = named(new QRadioButton(QStringLiteral("Una per prodotto")), "optUna", QStringLiteral("Una per prodotto"),
        QStringLiteral("Stampa un'etichetta per ogni prodotto."));
    optFisse = named(new QRadioButton(QStringLiteral("Lo stesso numero per tutti:")), "optFisse",
        QStringLiteral("Lo stesso numero per tutti"),
        QStringLiteral("Stampa lo stesso numero di etichette per ogni prodotto."));
    spnCopie = named(new QSpinBox, "spnCopie", QStringLiteral("Numero di copie"),
        QStringLiteral("Quante etichette per ogni prodotto."));
    spnCopie->setRange(1, 999);
    optGiacenza = named(new QRadioButton(QStringLiteral("Quante la giacenza")), "optGiacenza",
        QStringLiteral("Quante la giacenza"),
        QStringLiteral("Stampa per ogni prodotto tante etichette quanti pezzi ha in giacenza."));
    optUna->setChecked(true);
    optGiacenza->setEnabled(m_stockKnown);
    copiesGrid->addWidget(optUna, 0, 0);
    copiesGrid->addWidget(optFisse, 1, 0);
    copiesGrid->addWidget(spnCopie, 1, 1);
    copiesGrid->addWidget(optGiacenza, 2, 0);
    left->addWidget(copiesBox);

    lblAvvisi = new QLabel(this);
    lblAvvisi->setObjectName(QStringLiteral("lblAvvisi"));
    lblAvvisi->setWordWrap(true);
    lblAvvisi->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblAvvisi->setAccessibleDescription(QStringLiteral("Che cosa verr\u00e0 stampato"));
    left->addWidget(lblAvvisi, 1);

    pvwFoglio = new LabelSheetView(this);
    pvwFoglio->setObjectName(QStringLiteral("pvwFoglio"));
    pvwFoglio->setFixedSize(330, 460);
    named(pvwFoglio, "pvwFoglio", QStringLiteral("Anteprima del primo foglio"),
        QStringLiteral("Il primo foglio come verr\u00e0 stampato."));
    columns->addWidget(pvwFoglio, 0, Qt::AlignTop);

    auto *buttons = new QHBoxLayout;
    auto *btnAnteprima = named(new QPushButton(QStringLiteral("Anteprima")), "btnAnteprima",
        QStringLiteral("Anteprima"), QStringLiteral("Mostra tutte le etichette nella finestra di anteprima."));
    auto *btnStampa = named(new QPushButton(QStringLiteral("Stampa")), "btnStampa", QStringLiteral("Stampa"),
        QStringLiteral("Stampa le etichette."));
    auto *btnSalvaPdf = named(new QPushButton(QStringLiteral("Salva PDF...")), "btnSalvaPdf",
        QStringLiteral("Salva PDF"), QStringLiteral("Salva le etichette in un file PDF."));
    auto *btnChiudi = named(new QPushButton(QStringLiteral("Chiudi")), "btnChiudi", QStringLiteral("Chiudi"),
        QStringLiteral("Chiude questa finestra senza stampare."));
    buttons->addWidget(btnAnteprima);
    buttons->addWidget(btnStampa);
    buttons->addWidget(btnSalvaPdf);
    buttons->addStretch(1);
    buttons->addWidget(btnChiudi);
    outer->addLayout(buttons);

    panInfo = new QLabel(QStringLiteral("Scegliere il foglio, il contenuto e le copie, poi premere Stampa."), this);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setIndent(8);
    panInfo->setMinimumHeight(26);
    panInfo->setAutoFillBackground(true);
    QPalette bar = panInfo->palette();
    bar.setColor(QPalette::Window, QColor("#3030DD"));
    bar.setColor(QPalette::WindowText, Qt::white);
    panInfo->setPalette(bar);
    outer->addWidget(panInfo);

    connect(cboFoglio, &QComboBox::currentIndexChanged, this, &TfrmEtichette::cboFoglioChange);
    for (QSpinBox *box : { spnRighe, spnColonne, spnInizio, spnCopie })
        connect(box, &QSpinBox::valueChanged, this, &TfrmEtichette::refresh);
    for (QDoubleSpinBox *box : { spnLarghezza, spnAltezza, spnMargineSx, spnMargineSu, spnSpazioOr, spnSpazioVe })
        connect(box, &QDoubleSpinBox::valueChanged, this, &TfrmEtichette::refresh);
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *> { chkNome, chkPrezzo, chkCodice, chkBarcode,
             chkAspetto, chkCategoria, chkNegozio, optUna, optFisse, optGiacenza })
        connect(b, &QAbstractButton::toggled, this, &TfrmEtichette::refresh);
    connect(txtNegozio, &QLineEdit::textChanged, this, &TfrmEtichette::refresh);
    connect(btnAnteprima, &QPushButton::clicked, this, &TfrmEtichette::btnAnteprimaClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmEtichette::btnStampaClick);
    connect(btnSalvaPdf, &QPushButton::clicked, this, &TfrmEtichette::btnSalvaPdfClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    installStatusHints(this, panInfo);
}

void TfrmEtichette::loadSettings()
{
    m_refreshing = true;
    const auto number = [](const char *key, double fallback) {
        bool ok = false;
        const double v = ProgramSettings::value(kSection + QLatin1String(key)).toDouble(&ok);
        return ok ? v : fallback;
    };
    spnRighe->setValue(int(number("Righe", 8)));
    spnColonne->setValue(int(number("Colonne", 3)));
    spnLarghezza->setValue(number("Larghezza", 70));
    spnAltezza->setValue(number("Altezza", 37));
    spnMargineSx->setValue(number("MargineSinistro", 0));
    spnMargineSu->setValue(number("MargineSuperiore", 0.5));
    spnSpazioOr->setValue(number("SpazioColonne", 0));
    spnSpazioVe->setValue(number("SpazioRighe", 0));
    const QString chosen = ProgramSettings::value(kSection + QStringLiteral("Foglio")).toString();
    int index = chosen == QLatin1String("rotolo")   ? int(m_standard.size())
        : chosen == QLatin1String("personalizzato") ? int(m_standard.size()) + 1
                                                    : 4; // 3 × 8, the most common price tags
    for (int i = 0; i < m_standard.size(); ++i)
        if (m_standard.at(i).name == chosen)
            index = i;
    if (chosen == QLatin1String("rotolo")) {
        spnLarghezza->setValue(number("RotoloLarghezza", 50));
        spnAltezza->setValue(number("RotoloAltezza", 30));
    }
    m_refreshing = false;
    cboFoglio->setCurrentIndex(index);
    cboFoglioChange();
}

void TfrmEtichette::saveSettings()
{
    const int index = cboFoglio->currentIndex();
    QList<QPair<QString, QVariant>> values;
    if (index < m_standard.size()) {
        values.append({ kSection + QStringLiteral("Foglio"), m_standard.at(index).name });
    } else if (index == m_standard.size()) {
        values.append({ kSection + QStringLiteral("Foglio"), QStringLiteral("rotolo") });
        values.append({ kSection + QStringLiteral("RotoloLarghezza"), spnLarghezza->value() });
        values.append({ kSection + QStringLiteral("RotoloAltezza"), spnAltezza->value() });
    } else {
        values.append({ kSection + QStringLiteral("Foglio"), QStringLiteral("personalizzato") });
        values.append({ kSection + QStringLiteral("Righe"), spnRighe->value() });
        values.append({ kSection + QStringLiteral("Colonne"), spnColonne->value() });
        values.append({ kSection + QStringLiteral("Larghezza"), spnLarghezza->value() });
        values.append({ kSection + QStringLiteral("Altezza"), spnAltezza->value() });
        values.append({ kSection + QStringLiteral("MargineSinistro"), spnMargineSx->value() });
        values.append({ kSection + QStringLiteral("MargineSuperiore"), spnMargineSu->value() });
        values.append({ kSection + QStringLiteral("SpazioColonne"), spnSpazioOr->value() });
        values.append({ kSection + QStringLiteral("SpazioRighe"), spnSpazioVe->value() });
    }
    bool changed = false;
    for (const auto &[key, value] : values)
        changed = changed || ProgramSettings::value(key) != value.toString();
    if (!changed)
        return;
    // The sheet only spares the user a choice next time: a file that cannot be written is logged, not shown.
    if (const WriteResult stored = ProgramSettings::store(values); !stored)
        qWarning("Vetrinova.ini: the label sheet was not kept (error %d)", int(stored.error()));
}

void TfrmEtichette::cboFoglioChange()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    const int index = cboFoglio->currentIndex();
    const bool custom = index == m_standard.size() + 1;
    const bool roll = index == m_standard.size();
    if (index < m_standard.size()) {
        const LabelSheet &s = m_standard.at(index);
        spnRighe->setValue(s.rows);
        spnColonne->setValue(s.columns);
        spnLarghezza->setValue(s.labelMm.width());
        spnAltezza->setValue(s.labelMm.height());
        spnMargineSx->setValue(s.leftMm);
        spnMargineSu->setValue(s.topMm);
        spnSpazioOr->setValue(s.gapXMm);
        spnSpazioVe->setValue(s.gapYMm);
    } else if (roll) {
        bool ok = false;
        const double w = ProgramSettings::value(kSection + QStringLiteral("RotoloLarghezza")).toDouble(&ok);
        spnLarghezza->setValue(ok ? w : 50);
        const double h = ProgramSettings::value(kSection + QStringLiteral("RotoloAltezza")).toDouble(&ok);
        spnAltezza->setValue(ok ? h : 30);
    } else {
        const auto number = [](const char *key, double fallback) {
            bool ok = false;
            const double v = ProgramSettings::value(kSection + QLatin1String(key)).toDouble(&ok);
            return ok ? v : fallback;
        };
        spnRighe->setValue(int(number("Righe", spnRighe->value())));
        spnColonne->setValue(int(number("Colonne", spnColonne->value())));
        spnLarghezza->setValue(number("Larghezza", spnLarghezza->value()));
        spnAltezza->setValue(number("Altezza", spnAltezza->value()));
        spnMargineSx->setValue(number("MargineSinistro", spnMargineSx->value()));
        spnMargineSu->setValue(number("MargineSuperiore", spnMargineSu->value()));
        spnSpazioOr->setValue(number("SpazioColonne", spnSpazioOr->value()));
        spnSpazioVe->setValue(number("SpazioRighe", spnSpazioVe->value()));
    }
    for (QWidget *w :
        std::initializer_list<QWidget *> { spnRighe, spnColonne, spnMargineSx, spnMargineSu, spnSpazioOr, spnSpazioVe })
        w->setEnabled(custom);
    spnLarghezza->setEnabled(custom || roll);
    spnAltezza->setEnabled(custom || roll);
    m_refreshing = false;
    refresh();
}

LabelSheet TfrmEtichette::sheet() const
{
    const int index = cboFoglio->currentIndex();
    if (index >= 0 && index < m_standard.size())
        return m_standard.at(index);
    const QSizeF label(spnLarghezza->value(), spnAltezza->value());
    if (index == m_standard.size())
        return LabelSheet::roll(label);
    LabelSheet s;
    s.name = cboFoglio->currentText();
    s.rows = spnRighe->value();
    s.columns = spnColonne->value();
    s.labelMm = label;
    s.leftMm = spnMargineSx->value();
    s.topMm = spnMargineSu->value();
    s.gapXMm = spnSpazioOr->value();
    s.gapYMm = spnSpazioVe->value();
    return s;
}

LabelContents TfrmEtichette::contents() const
{
    LabelContents c;
    c.nome = chkNome->isChecked();
    c.prezzo = chkPrezzo->isChecked();
    c.codice = chkCodice->isChecked();
    c.barcode = chkBarcode->isChecked();
    c.um = chkAspetto->isChecked();
    c.tipologia = chkCategoria->isChecked();
    if (chkNegozio->isChecked())
        c.shopLine = txtNegozio->text();
    return c;
}

LabelCopiesMode TfrmEtichette::copiesMode() const
{
    if (optGiacenza->isChecked())
        return LabelCopiesMode::Stock;
    return optFisse->isChecked() ? LabelCopiesMode::Fixed : LabelCopiesMode::One;
}

TfrmEtichette::Plan TfrmEtichette::plan() const
{
    Plan plan;
    const LabelCopiesMode mode = copiesMode();
    const bool barcodes = chkBarcode->isChecked();
    for (qsizetype i = 0; i < m_products.size(); ++i) {
        const LabelProduct &product = m_products.at(i);
        const LabelCopies copies = labelCopies(mode, spnCopie->value(), product.giacenza);
        if (copies.stockRefused)
            plan.stockRefused << productName(product);
        if (copies.count == 0)
            continue;
        if (barcodes && !m_drawable.at(i))
            plan.noBarcode << productName(product);
        for (int i = 0; i < copies.count; ++i)
            plan.labels.append(product);
    }
    return plan;
}

void TfrmEtichette::refresh()
{
    if (m_refreshing)
        return;
    const LabelSheet s = sheet();
    spnInizio->setRange(1, std::max(1, s.perPage()));
    spnInizio->setEnabled(s.perPage() > 1);
    if (!s.valid()) {
        pvwFoglio->showPage(PreparedPage(), s);
        lblAvvisi->setText(
            QStringLiteral("Le misure del foglio non sono valide: le etichette non stanno sulla carta."));
        return;
    }
    const Plan p = plan();
    // The first sheet only: what fits on it from the first free label on.
    const int onFirst = std::min<int>(int(p.labels.size()), s.perPage() - (spnInizio->value() - 1));
    const PreparedReport first
        = prepareLabels(QString(), s, spnInizio->value(), p.labels.mid(0, std::max(0, onFirst)), contents());
    PreparedPage page = first.pages.isEmpty() ? PreparedPage() : first.pages.constFirst();
    page.paperMm = s.paperMm;
    pvwFoglio->showPage(page, s);

    QStringList lines;
    const int pages = labelPages(s, spnInizio->value(), int(p.labels.size()));
    lines << QStringLiteral("Etichette da stampare: %1 su %2 %3.")
                 .arg(formatCount(p.labels.size()), formatCount(pages),
                     pages == 1 ? QStringLiteral("pagina") : QStringLiteral("pagine"));
    if (!p.stockRefused.isEmpty())
        lines << QStringLiteral("Nessuna etichetta per giacenza negativa o non numerica: %1.")
                     .arg(listed(p.stockRefused));
    if (!p.noBarcode.isEmpty())
        lines << QStringLiteral("Senza codice a barre (il codice contiene caratteri che nessun codice a barre pu\u00f2 "
                                "rappresentare, o manca): %1.")
                     .arg(listed(p.noBarcode));
    lblAvvisi->setText(lines.join(QLatin1Char('\n')));
}

std::optional<PreparedReport> TfrmEtichette::prepare()
{
    const LabelSheet s = sheet();
    if (!s.valid()) {
        Msg::warning(this,
            QStringLiteral("Attenzione: le misure del foglio non sono valide, le etichette non stanno "
                           "sulla carta."));
        return std::nullopt;
    }
    const Plan p = plan();
    if (p.labels.isEmpty()) {
        Msg::warning(this, QStringLiteral("Attenzione: non c'\u00e8 nessuna etichetta da stampare."));
        return std::nullopt;
    }
    saveSettings();
    const LabelContents c = contents();
    const int start = spnInizio->value();
    ProgressWindow progress(this, QStringLiteral("dlgEtichetteInCorso"), QStringLiteral(" Stampa etichette"),
        QStringLiteral("Avanzamento della preparazione delle etichette"));
    PreparedReport report = progress.run([&](Job &job) {
        return prepareLabels(QStringLiteral("Etichette"), s, start, p.labels, c, [&job](int done, int total) {
            return job.step(done, total,
                QStringLiteral("Preparazione delle etichette: pagina %1 di %2")
                    .arg(formatCount(done), formatCount(total)));
        });
    });
    if (progress.canceled())
        return std::nullopt;
    return report;
}

void TfrmEtichette::btnAnteprimaClick()
{
    if (const std::optional<PreparedReport> report = prepare())
        ReportOutput::showPreview(this, *report);
}

void TfrmEtichette::btnStampaClick()
{
    if (const std::optional<PreparedReport> report = prepare())
        ReportOutput::print(this, *report);
}

void TfrmEtichette::btnSalvaPdfClick()
{
    const std::optional<PreparedReport> report = prepare();
    if (!report)
        return;
    const QString path = FileDialogs::saveFile(this, QStringLiteral("Salva le etichette come PDF"),
        QStringLiteral("Documento PDF|*.pdf"), QStringLiteral("Etichette.pdf"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(report->name);
    printer.setCreator(QStringLiteral("Vetrinova"));
    if (ReportOutput::printOn(this, printer, *report))
        panInfo->setText(QStringLiteral("Etichette salvate nel file PDF."));
}
