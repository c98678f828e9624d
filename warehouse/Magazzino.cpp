#include "warehouse/Magazzino.h"

#include "app/Calendario.h"
#include "app/Guida.h"
#include "app/Zoom.h"
#include "storage/ArchiveResult.h"
#include "storage/FieldRules.h"
#include "storage/Movements.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/AllegaCartella.h"
#include "warehouse/AnteprimaMag.h"
#include "warehouse/DaSaldare.h"
#include "warehouse/ExpMagazzino.h"
#include "warehouse/Giacenza.h"
#include "warehouse/LabelEntries.h"
#include "warehouse/Movimenti.h"
#include "warehouse/Sottoscorta.h"
#include "warehouse/StampaMag.h"
#include "warehouse/TrovaMagazzino.h"
#include "warehouse/WebCam.h"
#include "warehouse/rules/MovementRules.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/FileDialogs.h"
#include "widgets/HighlightRect.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/PhotoBox.h"
#include "widgets/PictureButton.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"
#include "widgets/StatusHints.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using F = TSchedaProdotto::Field;

namespace {
struct BoxLayout
{
    F field;
    const char *caption;
    int x, y, width;
    Qt::Alignment alignment;
};

// The card's boxes in tab order (the stock buttons and the paid box sit between them).
const BoxLayout kBoxes[] = {
    { F::Codice, "Codice articolo:", 420, 114, 266, Qt::AlignLeft },
    { F::Costo, "Costo unitario:", 700, 114, 122, Qt::AlignRight },
    { F::Nome, "Nome prodotto:", 420, 170, 402, Qt::AlignLeft },
    { F::Giacenza, "Giacenza:", 420, 226, 100, Qt::AlignHCenter },
    { F::Avviso, "Avviso n.", 628, 226, 98, Qt::AlignHCenter },
    { F::UM, "Aspetto esteriore del bene:", 420, 282, 194, Qt::AlignLeft },
    { F::Tipologia, "Categoria merceologica:", 628, 282, 194, Qt::AlignLeft },
    { F::Caratteristiche, "Caratteristiche:", 420, 338, 402, Qt::AlignLeft },
    { F::Collocazione, "Collocazione in magazzino:", 420, 394, 402, Qt::AlignLeft },
    { F::Ditta, "Ditta fornitrice:", 32, 458, 374, Qt::AlignLeft },
    { F::Agente, "Agente:", 420, 458, 194, Qt::AlignLeft },
    { F::Recapito, "Recapito telefonico:", 628, 458, 194, Qt::AlignLeft },
    { F::Documento, "Documento di acquisto:", 32, 514, 374, Qt::AlignLeft },
    { F::Pagamento, "Modalit\u00e0 di pagamento:", 420, 514, 242, Qt::AlignLeft },
    { F::DataSca, "Data scadenza:", 44, 580, 150, Qt::AlignHCenter },
    { F::Note, "Note:", 252, 580, 405, Qt::AlignLeft },
    { F::Prezzo, "Prezzo di vendita:", 688, 580, 122, Qt::AlignRight },
};

// The seven boxes a card cannot be saved without, in the order they are checked.
const struct
{
    F field;
    const char *warning;
} kRequired[] = {
    { F::Codice, "Attenzione: per salvare la scheda \u00e8 necessario indicare il codice articolo." },
    { F::Costo, "Attenzione: per salvare la scheda \u00e8 necessario indicare il costo unitario." },
    { F::Nome, "Attenzione: per salvare la scheda \u00e8 necessario indicare il nome del prodotto." },
    { F::UM, "Attenzione: per salvare la scheda \u00e8 necessario indicare l'aspetto esteriore del bene." },
    { F::Tipologia, "Attenzione: per salvare la scheda \u00e8 necessario indicare la categoria merceologica." },
    { F::Caratteristiche,
        "Attenzione: per salvare la scheda \u00e8 necessario indicare le caratteristiche del prodotto." },
    { F::Prezzo, "Attenzione: per salvare la scheda \u00e8 necessario indicare il prezzo di vendita." },
};

struct ButtonLayout
{
    const char *name;
    const char *art;
    const char *word;
    const char *status;
    QRect geometry;
};

const ButtonLayout kColumn[] = {
    { "btnNuovo", "mag-btn-nuovo", "Nuovo", "Prepara la schermata per l'inserimento di una nuova scheda.", {} },
    { "btnDuplica", "mag-btn-duplica", "Duplica",
        "Prepara la schermata per la registrazione di una nuova scheda duplicando i dati correnti.", {} },
    { "btnSalva", "mag-btn-salva", "Salva", "Salva la scheda corrente.", {} },
    { "btnTrova", "mag-btn-trova", "Trova", "Trova schede in archivio.", {} },
    { "btnAllegati", "mag-btn-allegati", "Allegati", "Allega file alla scheda corrente.", {} },
    { "btnAnteprima", "mag-btn-anteprima", "Anteprima", "Visualizza l'anteprima di stampa.", {} },
    { "btnStampa", "mag-btn-stampa", "Stampa", "Stampa la scheda corrente.", {} },
    { "btnScaduti", "mag-btn-dasaldare", "Da saldare", "Visualizza il riepilogo dei pagamenti non ancora saldati.",
        {} },
    { "btnSottoscorta", "mag-btn-sottoscorta", "Sottoscorta", "Visualizza il riepilogo dei materiali in esaurimento.",
        {} },
    { "btnEsporta", "mag-btn-esporta", "Esporta", "Esporta l'archivio in un foglio di Microsoft Excel.", {} },
    { "btnGuida", "mag-btn-guida", "Guida", "Visualizza la pagina della guida sensibile al contesto.", {} },
    { "btnEsci", "mag-btn-esci", "Esci", "Esci da questa schermata di lavoro.", {} },
};

const ButtonLayout kPictures[] = {
    { "cmdPrimo", "mag-primo", "Primo", "Visualizza la prima scheda in archivio.", { 730, 26, 37, 39 } },
    { "cmdIndietro", "mag-indietro", "Indietro", "Visualizza la scheda precedente in archivio.", { 772, 26, 37, 39 } },
    { "cmdAvanti", "mag-avanti", "Avanti", "Visualizza la scheda successiva in archivio.", { 891, 26, 37, 39 } },
    { "cmdUltimo", "mag-ultimo", "Ultimo", "Visualizza l'ultima scheda in archivio.", { 933, 26, 37, 39 } },
    { "btnCaricaFoto", "mag-btn-carica-foto", "Carica foto", "Carica una foto esistente.", { 22, 380, 157, 40 } },
    { "btnAcquisisciFoto", "mag-btn-acquisisci-foto", "Acquisisci foto", "Acquisisci la foto da WebCam.",
        { 191, 380, 157, 40 } },
    { "btnSalvaFoto", "mag-btn-salva-foto", "Salva foto", "Salva la foto su disco.", { 359, 380, 42, 40 } },
    { "btnZoomFoto", "mag-zoom", "Ingrandisci foto", "Visualizza la foto nelle sue dimensioni reali.",
        { 22, 350, 22, 22 } },
    { "btnCancFoto", "mag-canc", "Cancella foto", "Cancella la foto.", { 378, 350, 22, 22 } },
    { "delDataSca", "mag-canc", "Cancella data", "Cancella la data.", { 198, 583, 16, 16 } },
};

QString boxName(F field)
{
    return QStringLiteral("txt") + QLatin1String(TSchedaProdotto::info(field).name);
}

QString labelName(F field)
{
    return QStringLiteral("lbl") + QLatin1String(TSchedaProdotto::info(field).name);
}

bool isAttachment(F field)
{
    return field >= F::File01 && field <= F::Desc03;
}

QString photoPath(qint64 number)
{
    return programPath(QString::number(number) + QStringLiteral(".jpg"));
}

QLabel *caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->setFont(QFont(QStringLiteral("Verdana"), 9));
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLabel *picture(QWidget *parent, const QString &name, const QString &art, const QRect &geometry)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->setPixmap(Resources::pixmap(art, geometry.size()));
    return l;
}

void setHint(QWidget *w, const QString &text)
{
    w->setProperty("statusText", text);
    w->setAccessibleDescription(text);
}
} // namespace

TfrmMagazzino::TfrmMagazzino()
    : Workspace(QStringLiteral(" Vetrinova - Magazzino Prodotti"), QColor("#9DB5CA"))
{
    setObjectName(QStringLiteral("frmMagazzino"));
    buildLayout();
}

void TfrmMagazzino::buildLayout()
{
    QWidget *p = panel();

    picture(p, QStringLiteral("imgTitolo"), QStringLiteral("mag-titolo"), QRect(20, 20, 690, 47));
    picture(p, QStringLiteral("imgDecorazione"), QStringLiteral("mag-decorazione"), QRect(841, 560, 130, 76));

    // The photo frame and the placeholder it falls back on.
    auto *frame = new ShapeWidget(p, QRect(18, 84, 386, 290), QColor("#D6E8F7"), QColor("#A9CBEA"), QColor("#4682B4"));
    frame->setObjectName(QStringLiteral("shpFoto"));
    imgFoto = new PhotoBox(p, QStringLiteral("imgFoto"), QRect(28, 92, 366, 274));
    imgFoto->setAutoFillBackground(true);
    QPalette white = imgFoto->palette();
    white.setColor(QPalette::Window, Qt::white);
    imgFoto->setPalette(white);
    imgFoto->setAccessibleName(QStringLiteral("Foto del prodotto"));
    setHint(imgFoto,
        QStringLiteral("Incolla una foto con Ctrl+V o trascinala qui; con il tasto destro puoi anche copiarla."));
    imgFoto->acceptPictures();
    connect(imgFoto, &PhotoBox::pictureGiven, this, &TfrmMagazzino::showLoadedPhoto);
    imgBianco = new PhotoBox(p, QStringLiteral("imgBianco"), QRect(28, 92, 366, 274));
    imgBianco->setPicture(
        Resources::image(QStringLiteral("mag-foto-vuota"), QSize(366, 274)).convertToFormat(QImage::Format_RGB32));
    imgBianco->hide();

    // The card's boxes, each on its highlight, with its caption above it.
    const QFont boxFont(QStringLiteral("Verdana"), 12, QFont::Bold);
    QList<QLineEdit *> boxes;
    for (const BoxLayout &spec : kBoxes) {
        const TSchedaProdotto::FieldInfo &info = TSchedaProdotto::info(spec.field);
        auto *edit = new QLineEdit(p);
        edit->setObjectName(boxName(spec.field));
        edit->setGeometry(spec.x, spec.y, spec.width, 22);
        edit->setFont(boxFont);
        edit->setTextMargins(0, -2, 0, -2);
        edit->setAlignment(spec.alignment | Qt::AlignVCenter);
        auto *highlight = new HighlightRect(edit, QStringLiteral("eff") + QLatin1String(info.name));
        BoxBehaviour::attach(edit, highlight)->limit(info.width);
        keepOneLine(edit);
        QLabel *label = caption(p, QString::fromUtf8(spec.caption), spec.x, spec.y - 18);
        label->setObjectName(QStringLiteral("lblTesto") + QLatin1String(info.name));
        boxes << edit;
    }
    txtCodice = box("Codice");
    txtCosto = box("Costo");
    txtGiacenza = box("Giacenza");
    txtAvviso = box("Avviso");
    txtDataSca = box("DataSca");
    txtDataSca->setReadOnly(true);
    setHint(txtDataSca,
        QStringLiteral("Fai clic su questo campo e premi un tasto qualsiasi per importare una data "
                       "dal calendario."));

    // Threshold: a warning sign before its caption, and its unit after the box.
    if (QLabel *avviso = findChild<QLabel *>(QStringLiteral("lblTestoAvviso")))
        avviso->move(648, 208);
    picture(p, QStringLiteral("imgAvviso"), QStringLiteral("mag-avviso"), QRect(628, 207, 16, 16));
    caption(p, QStringLiteral("pezzi rimasti."), 732, 229);

    // Stock buttons.
    const QFont stockFont(QStringLiteral("Tahoma"), 14, QFont::Bold);
    btnAggiungi = new QPushButton(QStringLiteral("+"), p);
    btnAggiungi->setObjectName(QStringLiteral("btnAggiungi"));
    btnAggiungi->setGeometry(528, 224, 26, 26);
    btnSottrai = new QPushButton(QStringLiteral("-"), p);
    btnSottrai->setObjectName(QStringLiteral("btnSottrai"));
    btnSottrai->setGeometry(560, 224, 26, 26);
    for (QPushButton *b : { btnAggiungi, btnSottrai })
        b->setFont(stockFont);
    // The journal of movements: a small button beside the stock, and the card's context menu.
    auto *btnMovimenti = new QPushButton(QStringLiteral("..."), p);
    btnMovimenti->setObjectName(QStringLiteral("btnMovimenti"));
    btnMovimenti->setGeometry(592, 224, 30, 26);
    btnMovimenti->setAccessibleName(QStringLiteral("Movimenti"));
    setHint(
        btnMovimenti, QStringLiteral("Movimenti di magazzino: della scheda, di un periodo, inventario a una data."));
    connect(btnMovimenti, &QPushButton::clicked, this, &TfrmMagazzino::btnMovimentiClick);
    setHint(btnAggiungi, QStringLiteral("Aggiorna la giacenza aggiungendo una certa quantit\u00e0."));
    setHint(btnSottrai, QStringLiteral("Aggiorna la giacenza sottraendo una certa quantit\u00e0."));

    // Paid flag on its sandy-brown patch.
    auto *patch = new ShapeWidget(p, QRect(676, 500, 146, 40), QColor("#F4A460"), QColor(), QColor("#A0522D"));
    patch->setObjectName(QStringLiteral("shpPagato"));
    picture(p, QStringLiteral("imgPagato"), QStringLiteral("mag-pagato"), QRect(684, 504, 32, 32));
    chkPagato = new QCheckBox(QStringLiteral("Pagato"), p);
    chkPagato->setObjectName(QStringLiteral("chkPagato"));
    chkPagato->setFont(QFont(QStringLiteral("Verdana"), 10, QFont::Bold));
    // As tall as it needs: a taller box would centre its mark and caption below the row.
    chkPagato->setGeometry(736, 504, 80, chkPagato->sizeHint().height());
    setHint(chkPagato,
        QStringLiteral("Contrassegna questa casella per indicare che il pagamento \u00e8 stato "
                       "effettuato."));

    // Tab order: the boxes, with the stock buttons after the stock and the paid box before the date.
    QList<QWidget *> order;
    for (QLineEdit *b : boxes) {
        if (b == txtDataSca)
            order << chkPagato;
        order << b;
        if (b == txtGiacenza)
            order << btnAggiungi << btnSottrai;
    }
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Enter chain, key filters and the rules run on leaving.
    for (int i = 0; i + 1 < boxes.size(); ++i)
        if (boxes[i] != txtDataSca)
            BoxBehaviour::of(boxes[i])->next(boxes[i + 1]);
    BoxBehaviour::of(box("Prezzo"))->next(txtCodice);
    BoxBehaviour::of(txtCosto)->money();
    BoxBehaviour::of(box("Prezzo"))->money();
    BoxBehaviour::of(txtGiacenza)->quantity();
    BoxBehaviour::of(txtAvviso)->quantity();
    BoxBehaviour::of(txtDataSca)->onKey([this](int key, const QString &) { return txtDataScaKeyDown(key); });

    // Attachments and the position label.
    for (F field : { F::File01, F::File02, F::File03, F::Desc01, F::Desc02, F::Desc03 }) {
        auto *hidden = new QLabel(p);
        hidden->setObjectName(labelName(field));
        hidden->hide();
    }
    lblPosizione = new QLabel(p);
    lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
    lblPosizione->setGeometry(810, 34, 78, 24);
    lblPosizione->setFont(QFont(QStringLiteral("Verdana"), 11, QFont::Bold));
    lblPosizione->setAlignment(Qt::AlignCenter);
    // A name would replace the number for screen readers; the description goes with it instead.
    lblPosizione->setAccessibleDescription(QStringLiteral("Numero della scheda"));

    // Picture buttons.
    auto pictureButton = [this, p](const ButtonLayout &spec, const QRect &geometry) {
        return new PictureButton(p, QLatin1String(spec.name), QLatin1String(spec.art), geometry,
            QString::fromUtf8(spec.word), QString::fromUtf8(spec.status));
    };
    int y = 96;
    for (const ButtonLayout &spec : kColumn) {
        pictureButton(spec, QRect(851, y, 110, 28));
        y += 38;
    }
    for (const ButtonLayout &spec : kPictures)
        pictureButton(spec, spec.geometry);

    const std::pair<const char *, void (TfrmMagazzino::*)()> handlers[] = {
        { "btnNuovo", &TfrmMagazzino::btnNuovoClick },
        { "btnDuplica", &TfrmMagazzino::btnDuplicaClick },
        { "btnSalva", &TfrmMagazzino::btnSalvaClick },
        { "btnTrova", &TfrmMagazzino::btnTrovaClick },
        { "btnAllegati", &TfrmMagazzino::btnAllegatiClick },
        { "btnAnteprima", &TfrmMagazzino::btnAnteprimaClick },
        { "btnStampa", &TfrmMagazzino::btnStampaClick },
        { "btnScaduti", &TfrmMagazzino::btnScadutiClick },
        { "btnSottoscorta", &TfrmMagazzino::btnSottoscortaClick },
        { "btnEsporta", &TfrmMagazzino::btnEsportaClick },
        { "btnGuida", &TfrmMagazzino::btnGuidaClick },
        { "btnEsci", &TfrmMagazzino::btnEsciClick },
        { "cmdPrimo", &TfrmMagazzino::cmdPrimoClick },
        { "cmdIndietro", &TfrmMagazzino::cmdIndietroClick },
        { "cmdAvanti", &TfrmMagazzino::cmdAvantiClick },
        { "cmdUltimo", &TfrmMagazzino::cmdUltimoClick },
        { "btnCaricaFoto", &TfrmMagazzino::btnCaricaFotoClick },
        { "btnAcquisisciFoto", &TfrmMagazzino::btnAcquisisciFotoClick },
        { "btnSalvaFoto", &TfrmMagazzino::btnSalvaFotoClick },
        { "btnCancFoto", &TfrmMagazzino::btnCancFotoClick },
        { "btnZoomFoto", &TfrmMagazzino::btnZoomFotoClick },
        { "delDataSca", &TfrmMagazzino::delDataScaClick },
    };
    for (const auto &[name, handler] : handlers)
        connect(findChild<PictureButton *>(QLatin1String(name)), &PictureButton::clicked, this, handler);
    connect(btnAggiungi, &QPushButton::clicked, this, &TfrmMagazzino::btnAggiungiClick);
    connect(btnSottrai, &QPushButton::clicked, this, &TfrmMagazzino::btnSottraiClick);

    // Status line.
    panInfo = new QLabel(QStringLiteral("Pronto per archiviare una nuova scheda..."), p);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setGeometry(16, 642, 962, 32);
    panInfo->setFont(QFont(QStringLiteral("Tahoma"), 12));
    panInfo->setIndent(10);
    panInfo->setAutoFillBackground(true);
    QPalette bar = panInfo->palette();
    bar.setColor(QPalette::Window, QColor("#3030DD"));
    bar.setColor(QPalette::WindowText, Qt::white);
    panInfo->setPalette(bar);
    // Labels and the code search: the card's context menu and F2, the panel having no free room.
    LabelEntries::addToCardEditor(this);
    // One right-click menu on the card: the panel's own actions (labels, code search) above the movements.
    p->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(p, &QWidget::customContextMenuRequested, this,
        [this, p](const QPoint &where) { showMovementsMenu(p->mapToGlobal(where), p->actions()); });
    installStatusHints(this, panInfo);
}

QLineEdit *TfrmMagazzino::box(const char *field) const
{
    return panel()->findChild<QLineEdit *>(QStringLiteral("txt") + QLatin1String(field), Qt::FindDirectChildrenOnly);
}

QImage TfrmMagazzino::placeholderPicture() const
{
    return imgBianco->picture();
}

qint64 TfrmMagazzino::position() const
{
    bool ok = false;
    const qint64 n = lblPosizione->text().trimmed().toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

TfrmMagazzino::Attachments TfrmMagazzino::attachments() const
{
    Attachments out;
    for (int s = 0; s < int(out.size()); ++s) {
        out[size_t(s)].file = trimText(panel()->findChild<QLabel *>(labelName(F(int(F::File01) + s)))->text());
        out[size_t(s)].description = trimText(panel()->findChild<QLabel *>(labelName(F(int(F::Desc01) + s)))->text());
    }
    return out;
}

void TfrmMagazzino::setAttachments(const Attachments &attachments)
{
    for (int s = 0; s < int(attachments.size()); ++s) {
        panel()->findChild<QLabel *>(labelName(F(int(F::File01) + s)))->setText(attachments[size_t(s)].file);
        panel()->findChild<QLabel *>(labelName(F(int(F::Desc01) + s)))->setText(attachments[size_t(s)].description);
    }
}

void TfrmMagazzino::formShow()
{
    clearCard();
}

void TfrmMagazzino::clearCard()
{
    for (const BoxLayout &spec : kBoxes)
        box(TSchedaProdotto::info(spec.field).name)->clear();
    txtCosto->setText(QStringLiteral("0,00"));
    box("Prezzo")->setText(QStringLiteral("0,00"));
    txtGiacenza->setText(QStringLiteral("0"));
    txtAvviso->setText(QStringLiteral("0"));
    chkPagato->setChecked(false);
    for (F field : { F::File01, F::File02, F::File03, F::Desc01, F::Desc02, F::Desc03 })
        panel()->findChild<QLabel *>(labelName(field))->clear();
    imgFoto->setPicture(placeholderPicture());
    lblPosizione->clear();
    m_stockSteps.clear();
    txtCodice->setFocus();
}

void TfrmMagazzino::fillFromRecord(const TSchedaProdotto &card, qint64 number)
{
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        const auto field = static_cast<F>(i);
        const QString text = trimText(card.values[i]);
        if (field == F::Pagato) {
            if (text == TSchedaProdotto::paidText(true))
                chkPagato->setChecked(true);
            else if (text == TSchedaProdotto::paidText(false))
                chkPagato->setChecked(false);
        } else if (isAttachment(field)) {
            panel()->findChild<QLabel *>(labelName(field))->setText(text);
        } else {
            showFromStart(box(TSchedaProdotto::info(field).name), text);
        }
    }
    lblPosizione->setText(QString::number(number));
    m_stockSteps.clear();
    loadCardPhoto();
}

void TfrmMagazzino::loadCardPhoto()
{
    const qint64 n = position();
    if (n > 0)
        imgFoto->showFile(photoPath(n), placeholderPicture());
    else
        imgFoto->setPicture(placeholderPicture());
}

TSchedaProdotto TfrmMagazzino::shownCard() const
{
    return cardFromScreen();
}

QImage TfrmMagazzino::shownPhoto() const
{
    return imgFoto->picture();
}

void TfrmMagazzino::zeroEmptyNumbers()
{
    if (trimText(txtGiacenza->text()).isEmpty())
        txtGiacenza->setText(QStringLiteral("0"));
    if (trimText(txtCosto->text()).isEmpty())
        txtCosto->setText(QStringLiteral("0,00"));
}

TSchedaProdotto TfrmMagazzino::cardFromScreen() const
{
    TSchedaProdotto card;
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i) {
        const auto field = static_cast<F>(i);
        if (field == F::Pagato)
            card.values[i] = TSchedaProdotto::paidText(chkPagato->isChecked());
        else if (isAttachment(field))
            card.values[i] = panel()->findChild<QLabel *>(labelName(field))->text();
        else
            card.values[i] = box(TSchedaProdotto::info(field).name)->text();
    }
    return card;
}

void TfrmMagazzino::navigate(Step step)
{
    if (step == Step::Previous && lblPosizione->text() == QLatin1String("1"))
        return;
    const qint64 k = position();
    const ArchiveResult<WarehouseArchive::Chosen> read = archiveResult([&] {
        return WarehouseArchive::readChosen([&](qint64 count) -> qint64 {
            switch (step) {
            case Step::First:
                return 1;
            case Step::Last:
                return count;
            case Step::Next:
                return k < count ? k + 1 : 0;
            case Step::Previous:
                return k >= 3 ? k - 1 : 1;
            }
            return 0;
        });
    });
    if (!read) {
        Msg::archiveError(this, read.error());
        return;
    }
    const WarehouseArchive::Chosen &found = *read;
    if (found.count == 0) {
        if (step == Step::Next)
            lblPosizione->clear();
        Msg::information(this, QStringLiteral("L'archivio non contiene nessuna scheda."));
        return;
    }
    if (found.number > 0)
        fillFromRecord(found.card, found.number);
}

void TfrmMagazzino::btnNuovoClick()
{
    clearCard();
}

void TfrmMagazzino::btnDuplicaClick()
{
    if (lblPosizione->text().isEmpty()) {
        Msg::warning(this,
            QStringLiteral("Attenzione: la duplicazione di una scheda pu\u00f2 avvenire soltanto dopo "
                           "che questa \u00e8 stata inserita in archivio."));
        return;
    }
    for (F field : { F::File01, F::File02, F::File03, F::Desc01, F::Desc02, F::Desc03 })
        panel()->findChild<QLabel *>(labelName(field))->clear();
    lblPosizione->clear();
    imgFoto->setPicture(placeholderPicture());
    // Every box shows its beginning, and the code is chosen as Enter chooses it: the new code the
    // message asks for replaces the old one instead of going in front of it.
    for (QLineEdit *edit : panel()->findChildren<QLineEdit *>())
        if (edit->window() == this)
            edit->setCursorPosition(0);
    txtCodice->setFocus(Qt::TabFocusReason);
    // Selected from its end back to its start, so a long code too shows its beginning.
    txtCodice->setSelection(int(txtCodice->text().size()), -int(txtCodice->text().size()));
    Msg::information(this,
        QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.\n\r\n\r"
                       "Al termine premere Salva per inserire la scheda in archivio."));
}

void TfrmMagazzino::btnSalvaClick()
{
    for (QLineEdit *quantity : { txtGiacenza, txtAvviso })
        if (trimText(quantity->text()).isEmpty())
            quantity->setText(QStringLiteral("0"));
    for (const auto &required : kRequired) {
        QLineEdit *edit = box(TSchedaProdotto::info(required.field).name);
        if (trimText(edit->text()).isEmpty()) {
            Msg::warning(this, QString::fromUtf8(required.warning));
            edit->setFocus();
            return;
        }
    }
    const TSchedaProdotto card = cardFromScreen();
    qint64 n = position();
    const bool appending = n == 0;
    qint64 written = 0;
    // The movement goes to the journal as pending first, then the card, then the movement is confirmed:
    // a stop in between leaves a pending row that the next opening of the journal settles by the card.
    Movements::Recording recording;
    Movements::Problem journal = Movements::Problem::None;
    {
        const ArchiveResult<WarehouseArchive::Chosen> before = archiveResult(
            [&] { return WarehouseArchive::readChosen([n](qint64 count) { return n > 0 && n <= count ? n : 0; }); });
        // An archive that cannot even be read now will not take the card: nothing is written.
        if (!before) {
            Msg::archiveError(this, before.error());
            return;
        }
        {
            const double stored
                = n > 0 && before->number == n ? parseDecimal(before->card[F::Giacenza]).value_or(0.0) : 0.0;
            const qint64 cardNumber = appending ? before->count + 1 : n;
            journal = recording.prepare(MovementRules::cardMovements(card, cardNumber, stored, m_stockSteps));
        }
    }
    const ArchiveResult<qint64> saved = archiveResult([&] {
        if (!appending)
            WarehouseArchive::overwrite(n, card);
        return appending ? WarehouseArchive::append(card, &written) : n;
    });
    if (written > 0)
        recording.moveTo(written); // another copy of the program may have appended a card meanwhile
    if (!saved && written == 0)
        recording.cancel();
    else if (journal == Movements::Problem::None)
        journal = recording.confirm();
    // A card not written keeps its steps, so a second Salva records them as carico and scarico still.
    if (saved || written > 0)
        m_stockSteps.clear();
    if (!saved) {
        // Only the close failed: the card is in the archive, and showing its number makes the next
        // Salva rewrite it instead of adding it a second time.
        if (written > 0)
            lblPosizione->setText(QString::number(written));
        Msg::archiveError(this, saved.error());
        return;
    }
    n = *saved;
    lblPosizione->setText(QString::number(n));
    // A photo file that could not be shown whole is left alone: its stand-in would replace it. A photo that
    // could not be written stays on screen, so a later Salva can write it; its old file is left as it was.
    if (!imgFoto->keepsFile(photoPath(n))) {
        if (const WriteResult written = savePictureJpeg(imgFoto->picture(), photoPath(n)); !written) {
            Msg::savedButNotThePhotos(this, appending, false, written.error());
            return;
        }
    }
    Msg::information(this,
        appending ? QStringLiteral("La scheda corrente \u00e8 stata inserita in archivio.")
                  : QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in "
                                   "archivio."));
    if (journal != Movements::Problem::None)
        Msg::warning(this, MovementRules::notRecordedText(journal));
}

void TfrmMagazzino::btnTrovaClick()
{
    TfrmTrovaMagazzino::openFrom(this);
}

void TfrmMagazzino::btnAllegatiClick()
{
    TfrmAllegaCartella::showFor(this);
}

void TfrmMagazzino::btnAnteprimaClick()
{
    TfrmAnteprimaMag::openFrom(this);
}

void TfrmMagazzino::btnStampaClick()
{
    TfrmStampaMag::openFrom(this);
}

void TfrmMagazzino::btnScadutiClick()
{
    TfrmDaSaldare::openFrom(this);
}

void TfrmMagazzino::btnSottoscortaClick()
{
    TfrmSottoscorta::openFrom(this);
}

void TfrmMagazzino::btnEsportaClick()
{
    TfrmExpMagazzino::showExport(this);
}

void TfrmMagazzino::btnGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::Magazzino);
}

void TfrmMagazzino::btnEsciClick()
{
    close();
}

void TfrmMagazzino::cmdPrimoClick()
{
    navigate(Step::First);
}

void TfrmMagazzino::cmdIndietroClick()
{
    navigate(Step::Previous);
}

void TfrmMagazzino::cmdAvantiClick()
{
    navigate(Step::Next);
}

void TfrmMagazzino::cmdUltimoClick()
{
    navigate(Step::Last);
}

void TfrmMagazzino::openStockDialog(bool add)
{
    if (trimText(txtGiacenza->text()).isEmpty())
        txtGiacenza->setText(QStringLiteral("0"));
    const QString stock = trimText(txtGiacenza->text());
    TfrmGiacenza dialog(this);
    dialog.setStock(stock, add);
    if (dialog.exec() == QDialog::Accepted) {
        const double change = parseDecimal(dialog.total()).value_or(0.0) - parseDecimal(stock).value_or(0.0);
        if (change != 0)
            m_stockSteps.push_back({ change > 0, std::fabs(change) });
        txtGiacenza->setText(dialog.total());
    }
}

void TfrmMagazzino::showMovementsMenu(const QPoint &where, const QList<QAction *> &above)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuMovimenti"));
    if (!above.isEmpty()) {
        menu.addActions(above);
        menu.addSeparator();
    }
    QAction *card = menu.addAction(QStringLiteral("Movimenti della scheda..."));
    card->setObjectName(QStringLiteral("mnuMovimentiScheda"));
    card->setEnabled(position() > 0);
    card->setStatusTip(QStringLiteral("I movimenti della scheda mostrata, dal pi\u00f9 recente."));
    QAction *period = menu.addAction(QStringLiteral("Movimenti di un periodo..."));
    period->setObjectName(QStringLiteral("mnuMovimentiPeriodo"));
    QAction *inventory = menu.addAction(QStringLiteral("Inventario al..."));
    inventory->setObjectName(QStringLiteral("mnuInventario"));
    QAction *chosen = menu.exec(where);
    if (chosen == card) {
        // The running stock starts from the stock in the archive, not from an edit not saved yet.
        const qint64 n = position();
        const ArchiveResult<TSchedaProdotto> stored = archiveResult([n] { return WarehouseArchive::read(n); });
        const TSchedaProdotto shown = stored ? *stored : cardFromScreen();
        TfrmMovimenti::showCard(
            this, n, shown[F::Codice], shown[F::Nome], parseDecimal(shown[F::Giacenza]).value_or(0.0));
    } else if (chosen == period) {
        TfrmMovimenti::showPeriod(this);
    } else if (chosen == inventory) {
        TfrmMovimenti::showInventory(this);
    }
}

void TfrmMagazzino::btnMovimentiClick()
{
    auto *b = panel()->findChild<QPushButton *>(QStringLiteral("btnMovimenti"));
    showMovementsMenu(b->mapToGlobal(QPoint(0, b->height())));
}

void TfrmMagazzino::btnAggiungiClick()
{
    openStockDialog(true);
}

void TfrmMagazzino::btnSottraiClick()
{
    openStockDialog(false);
}

void TfrmMagazzino::btnCaricaFotoClick()
{
    const QString path
        = FileDialogs::openFile(this, QStringLiteral("Selezionare un file di immagine in formato Jpeg o Bitmap."),
            QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|Immagine Bitmap (*.bmp)|*.bmp"));
    if (path.isEmpty())
        return;
    const QImage photo = loadPicture(path);
    // The stand-in would take the place of the card's photo at the next Salva: the photo stays instead.
    if (photo.isNull()) {
        Msg::photoNotShown(this, QStringLiteral("La foto della scheda"));
        return;
    }
    showLoadedPhoto(photo);
}

void TfrmMagazzino::showLoadedPhoto(const QImage &photo)
{
    if (!photo.isNull())
        imgFoto->setPicture(photo);
}

void TfrmMagazzino::btnAcquisisciFotoClick()
{
    TfrmWebCam::acquirePhoto(this);
}

void TfrmMagazzino::btnSalvaFotoClick()
{
    const QString path = FileDialogs::saveFile(this,
        QStringLiteral("Selezionare la cartella in cui si desidera salvare il file Jpeg."),
        QStringLiteral("File Jpeg (*.jpg)|*.jpg"), QStringLiteral("Foto.jpg"), QStringLiteral("jpg"));
    if (path.isEmpty())
        return;
    if (!savePictureJpeg(imgFoto->picture(), path, FileReplace::Place::ChosenByUser))
        Msg::photoNotSaved(this);
}

void TfrmMagazzino::btnCancFotoClick()
{
    imgFoto->setPicture(placeholderPicture());
}

void TfrmMagazzino::btnZoomFotoClick()
{
    TfrmZoom zoom(this);
    zoom.setPicture(imgFoto->picture().copy());
    zoom.exec();
}

void TfrmMagazzino::openDatePicker()
{
    TfrmCalendario picker(this);
    picker.setTarget(txtDataSca);
    picker.exec();
}

bool TfrmMagazzino::txtDataScaKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        txtDataSca->clear();
        return true;
    default:
        // Moving between boxes and bare modifiers are not keys typed into the box.
        if (BoxBehaviour::isMoveOrModifierKey(key))
            return false;
        openDatePicker();
        return true;
    }
}

void TfrmMagazzino::delDataScaClick()
{
    txtDataSca->clear();
}
