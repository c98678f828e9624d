#include "pricelist/ListinoPrezzi.h"

#include "app/Guida.h"
#include "pricelist/AggiornaListino.h"
#include "pricelist/AnteprimaProdotto.h"
#include "pricelist/ImportaMagazzino.h"
#include "pricelist/StampaProdotto.h"
#include "pricelist/rules/SlotPhotos.h"
#include "storage/ArchiveResult.h"
#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/LabelEntries.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"
#include "widgets/OneLine.h"
#include "widgets/PhotoBox.h"
#include "widgets/PictureButton.h"
#include "widgets/Resources.h"
#include "widgets/ShapeWidget.h"
#include "widgets/StatusHints.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

namespace {
const QColor kTop(0x42, 0x7A, 0xA8);
const QString kNoPages = QStringLiteral("L'archivio non contiene nessuna scheda.");

QLabel *hiddenLabel(QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->hide();
    return label;
}

QLineEdit *box(QWidget *parent, const QString &name, const QRect &geometry, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    BoxBehaviour::attach(edit)->limit(maxLength);
    keepOneLine(edit);
    edit->setFont(QFont(QStringLiteral("Verdana"), 12, QFont::Bold));
    // The highlight: yellow while the box has the cursor, white otherwise, sky-blue border.
    edit->setStyleSheet(QStringLiteral("QLineEdit { background: #FFFFFF; border: 1px solid #87CEEB; padding: 0 2px; }"
                                       "QLineEdit:focus { background: #FFFF00; }"));
    return edit;
}
} // namespace

TfrmListinoPrezzi::TfrmListinoPrezzi()
    : Workspace(QStringLiteral(" Vetrinova - Gestione Listino Prezzi"), kTop, Qt::white, QSize(994, 692))
{
    setObjectName(QStringLiteral("frmListinoPrezzi"));
    QWidget *pan = panel();
    new ShapeWidget(pan, pan->rect(), kTop, Qt::white);

    buildToolbar(pan);

    new ShapeWidget(pan, QRect(16, 80, 962, 554), QColor(0xFFC8D6E3u));
    new ShapeWidget(pan, QRect(24, 88, 946, 24), Qt::black);
    lblNome = new QLabel(QStringLiteral("Titolo listino prezzi"), pan);
    lblNome->setObjectName(QStringLiteral("lblNome"));
    lblNome->setGeometry(32, 90, 930, 20);
    lblNome->setAlignment(Qt::AlignCenter);
    lblNome->setFont(QFont(QStringLiteral("Verdana"), 12));
    lblNome->setStyleSheet(QStringLiteral("color: white;"));

    imgBianco = new PhotoBox(pan, QStringLiteral("imgBianco"), QRect(0, 0, 136, 104));
    imgBianco->setPicture(Resources::image(QStringLiteral("listino-bianco"), QSize(136, 104)));
    imgBianco->hide();

    for (int i = 0; i < TPaginaListino::SlotCount; ++i)
        buildSlot(pan, i);
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        const Slot &s = m_slots[i];
        const Slot &next = m_slots[(i + 1) % TPaginaListino::SlotCount];
        BoxBehaviour::attach(s.txtNome)->next(s.txtUM);
        BoxBehaviour::attach(s.txtUM)->next(s.txtCaratteristiche);
        BoxBehaviour::attach(s.txtCaratteristiche)->next(s.txtCodice);
        BoxBehaviour::attach(s.txtCodice)->next(s.txtPrezzo);
        BoxBehaviour::attach(s.txtPrezzo)
            ->next(next.txtNome)
            ->money()
            ->discardKeys({ Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Home, Qt::Key_End });
        setTabOrder(s.txtNome, s.txtUM);
        setTabOrder(s.txtUM, s.txtCaratteristiche);
        setTabOrder(s.txtCaratteristiche, s.txtCodice);
        setTabOrder(s.txtCodice, s.txtPrezzo);
        if (i + 1 < TPaginaListino::SlotCount)
            setTabOrder(s.txtPrezzo, next.txtNome);
    }

    new ShapeWidget(pan, QRect(16, 642, 962, 32), QColor(0xFF3030DDu));
    panInfo = new QLabel(QStringLiteral("Pronto per archiviare una nuova scheda..."), pan);
    panInfo->setObjectName(QStringLiteral("panInfo"));
    panInfo->setGeometry(22, 650, 950, 20);
    panInfo->setFont(QFont(QStringLiteral("Tahoma"), 12));
    panInfo->setStyleSheet(QStringLiteral("color: white;"));

    // Aggiorna dal magazzino is in the menu of the editor's free space: no control of the page moves.
    auto *actAggiorna = new QAction(QStringLiteral("Aggiorna dal magazzino\u2026"), pan);
    actAggiorna->setObjectName(QStringLiteral("actAggiorna"));
    actAggiorna->setStatusTip(QStringLiteral("Confronta le voci del listino con le schede del magazzino dallo "
                                             "stesso codice e ne riporta prezzi, testi e foto."));
    connect(actAggiorna, &QAction::triggered, this, &TfrmListinoPrezzi::cmdAggiornaClick);
    connect(actAggiorna, &QAction::hovered, this, [this, actAggiorna] { panInfo->setText(actAggiorna->statusTip()); });
    pan->addAction(actAggiorna);
    pan->setContextMenuPolicy(Qt::ActionsContextMenu);

    lblFile = hiddenLabel(pan, QStringLiteral("lblFile"));
    lblRecord = hiddenLabel(pan, QStringLiteral("lblRecord"));

    // Labels of the page or of the whole list, from the page's context menu.
    LabelEntries::addToPageEditor(this);
    installStatusHints(this, panInfo);
}

void TfrmListinoPrezzi::buildToolbar(QWidget *pan)
{
    const struct
    {
        QRect tile;
        const char *name;
        const char *art;
        QRect geometry;
        const char *word;
        const char *status;
        void (TfrmListinoPrezzi::*click)();
    } buttons[] = {
        { QRect(16, 16, 52, 57), "cmdNuovo", "listino-nuovo", QRect(24, 26, 37, 39), "Nuovo",
            "Prepara la schermata per l'inserimento di una nuova scheda.", &TfrmListinoPrezzi::cmdNuovoClick },
        { QRect(73, 16, 52, 57), "cmdSalva", "listino-salva", QRect(81, 26, 37, 39), "Salva",
            "Salva la scheda corrente.", &TfrmListinoPrezzi::cmdSalvaClick },
        { QRect(130, 16, 162, 57), "cmdAnteprima", "listino-anteprima", QRect(137, 28, 148, 32), "Anteprima",
            "Visualizza l'anteprima di stampa.", &TfrmListinoPrezzi::cmdAnteprimaClick },
        { QRect(297, 16, 162, 57), "cmdStampa", "listino-stampa", QRect(304, 28, 148, 32), "Stampa",
            "Stampa la scheda corrente.", &TfrmListinoPrezzi::cmdStampaClick },
        { QRect(464, 16, 400, 57), "cmdPrimo", "listino-primo", QRect(472, 26, 37, 39), "Primo",
            "Visualizza la prima scheda in archivio.", &TfrmListinoPrezzi::cmdPrimoClick },
        { QRect(), "cmdIndietro", "listino-indietro", QRect(514, 26, 37, 39), "Indietro",
            "Visualizza la scheda precedente in archivio.", &TfrmListinoPrezzi::cmdIndietroClick },
        { QRect(), "cmdAvanti", "listino-avanti", QRect(778, 26, 37, 39), "Avanti",
            "Visualizza la scheda successiva in archivio.", &TfrmListinoPrezzi::cmdAvantiClick },
        { QRect(), "cmdUltimo", "listino-ultimo", QRect(820, 26, 37, 39), "Ultimo",
            "Visualizza l'ultima scheda in archivio.", &TfrmListinoPrezzi::cmdUltimoClick },
        { QRect(869, 16, 52, 57), "cmdGuida", "listino-guida", QRect(877, 26, 37, 39), "Guida",
            "Visualizza la pagina della guida sensibile al contesto.", &TfrmListinoPrezzi::cmdGuidaClick },
        { QRect(926, 16, 52, 57), "cmdEsci", "listino-esci", QRect(934, 26, 37, 39), "Esci",
            "Esci da questa schermata di lavoro.", &TfrmListinoPrezzi::cmdEsciClick },
    };
    for (const auto &b : buttons) {
        if (b.tile.isValid())
            new ShapeWidget(pan, b.tile, Qt::white);
        auto *button = new PictureButton(pan, QLatin1String(b.name), QLatin1String(b.art), b.geometry,
            QString::fromUtf8(b.word), QString::fromUtf8(b.status));
        connect(button, &PictureButton::clicked, this, b.click);
    }
    lblPosizione = new QLabel(pan);
    lblPosizione->setObjectName(QStringLiteral("lblPosizione"));
    lblPosizione->setGeometry(550, 33, 226, 24);
    lblPosizione->setAlignment(Qt::AlignCenter);
    lblPosizione->setFont(QFont(QStringLiteral("Verdana"), 12, QFont::Bold));
    // A name would replace the number for screen readers; the description goes with it instead.
    lblPosizione->setAccessibleDescription(QStringLiteral("Numero della scheda"));
}

void TfrmListinoPrezzi::buildSlot(QWidget *pan, int index)
{
    const QString x = TPaginaListino::letter(index);
    const QPoint at(index < 4 ? 24 : 502, 120 + (index % 4) * 128);
    auto *background = new ShapeWidget(pan, QRect(at, QSize(468, 120)), QColor(0xFFE4E4E4u));
    background->setObjectName(QStringLiteral("bkgProdotto_%1").arg(index + 1, 2, 10, QLatin1Char('0')));
    const auto place = [&](int dx, int dy, int w, int h) { return QRect(at + QPoint(dx, dy), QSize(w, h)); };

    Slot &s = m_slots[index];
    s.imgFoto = new PhotoBox(pan, QStringLiteral("imgFoto_") + x, place(10, 8, 136, 104));
    const QString hint
        = QStringLiteral("Carica una foto esistente. Puoi anche incollarla con Ctrl+V o trascinarla qui.");
    s.imgFoto->setProperty("statusText", hint);
    s.imgFoto->setAccessibleName(QStringLiteral("Foto del prodotto ") + x);
    s.imgFoto->setAccessibleDescription(hint);
    s.imgFoto->acceptPictures();
    connect(s.imgFoto, &PhotoBox::pictureGiven, this,
        [this, index](const QImage &picture) { setSlotPicture(index, picture); });
    s.imgFoto->setCursor(Qt::PointingHandCursor);
    s.imgFoto->setPicture(imgBianco->picture());
    connect(s.imgFoto, &PhotoBox::clicked, this, [this, x] { imgFotoClick(x.at(0)); });

    s.txtNome = box(pan, QStringLiteral("txtNome_") + x, place(158, 8, 272, 22), 50);
    s.impProdotto = new PictureButton(pan, QStringLiteral("impProdotto_") + x, QStringLiteral("listino-importa"),
        place(436, 8, 22, 22), QStringLiteral("Importa"), QStringLiteral("Importa l'articolo dal magazzino."));
    connect(s.impProdotto, &PictureButton::clicked, this, [this, x] { impProdottoClick(x.at(0)); });
    s.txtUM = box(pan, QStringLiteral("txtUM_") + x, place(158, 35, 300, 22), 120);
    s.txtCaratteristiche = box(pan, QStringLiteral("txtCaratteristiche_") + x, place(158, 62, 300, 22), 250);
    s.txtCodice = box(pan, QStringLiteral("txtCodice_") + x, place(158, 90, 149, 22), 25);
    s.txtPrezzo = box(pan, QStringLiteral("txtPrezzo_") + x, place(336, 90, 122, 22), 12);
    s.txtPrezzo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    s.txtPrezzo->setText(QStringLiteral("0,00"));

    s.txtNome->setAccessibleName(QStringLiteral("Nome del prodotto ") + x);
    s.txtUM->setAccessibleName(QStringLiteral("Aspetto esteriore del prodotto ") + x);
    s.txtCaratteristiche->setAccessibleName(QStringLiteral("Caratteristiche del prodotto ") + x);
    s.txtCodice->setAccessibleName(QStringLiteral("Codice articolo del prodotto ") + x);
    s.txtPrezzo->setAccessibleName(QStringLiteral("Prezzo di vendita del prodotto ") + x);
}

void TfrmListinoPrezzi::formShow()
{
    cmdNuovoClick();
}

QImage TfrmListinoPrezzi::blankPicture() const
{
    return imgBianco->picture();
}

qint64 TfrmListinoPrezzi::shownPage() const
{
    bool ok = false;
    const qint64 n = trimText(lblPosizione->text()).toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}

QString TfrmListinoPrezzi::title() const
{
    // Exactly the file's name: a list copied in as " Fiori.lis" must not take the photos of Fiori.lis.
    return lblNome->text();
}

int TfrmListinoPrezzi::slotIndex(QChar slot) const
{
    const int i = slot.unicode() - u'A';
    Q_ASSERT(i >= 0 && i < TPaginaListino::SlotCount);
    return i;
}

void TfrmListinoPrezzi::setSlotPicture(int slot, const QImage &picture)
{
    m_slots[slot].imgFoto->setPicture(picture.isNull() ? blankPicture() : picture);
}

// ---- New, save and the pages ----

void TfrmListinoPrezzi::cmdNuovoClick()
{
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        Slot &s = m_slots[i];
        s.txtCodice->clear();
        s.txtNome->clear();
        s.txtUM->clear();
        s.txtCaratteristiche->clear();
        s.txtPrezzo->setText(QStringLiteral("0,00"));
        setSlotPicture(i, blankPicture());
    }
    lblPosizione->clear();
    m_slots[0].txtNome->setFocus(Qt::OtherFocusReason);
}

TPaginaListino TfrmListinoPrezzi::pageFromBoxes() const
{
    TPaginaListino page;
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        const Slot &s = m_slots[i];
        TVoceListino &v = page.voci[i];
        v[TVoceListino::Codice] = s.txtCodice->text();
        v[TVoceListino::Nome] = s.txtNome->text();
        v[TVoceListino::UM] = s.txtUM->text();
        v[TVoceListino::Caratteristiche] = s.txtCaratteristiche->text();
        v[TVoceListino::Prezzo] = s.txtPrezzo->text();
    }
    return page;
}

TfrmListinoPrezzi::PageState TfrmListinoPrezzi::pageState() const
{
    PageState state;
    state.file = trimText(lblFile->text());
    state.title = lblNome->text();
    state.position = lblPosizione->text();
    state.boxes = pageFromBoxes();
    for (int i = 0; i < TPaginaListino::SlotCount; ++i)
        state.photos[size_t(i)] = m_slots[size_t(i)].imgFoto->picture();
    state.blank = imgBianco->picture();
    return state;
}

void TfrmListinoPrezzi::openFile(const QString &path, const QString &name)
{
    lblFile->setText(path);
    lblNome->setText(name);
}

void TfrmListinoPrezzi::fillSlot(QChar slot, const TSchedaProdotto &card, qint64 number)
{
    using F = TSchedaProdotto;
    const Slot &s = m_slots[size_t(slotIndex(slot))];
    // Copied as stored: the slot boxes are at least as wide as these fields.
    s.txtNome->setText(trimText(card[F::Nome]));
    s.txtUM->setText(trimText(card[F::UM]));
    s.txtCaratteristiche->setText(trimText(card[F::Caratteristiche]));
    s.txtCodice->setText(trimText(card[F::Codice]));
    s.txtPrezzo->setText(trimText(card[F::Prezzo]));
    lblRecord->setText(QString::number(number));
    loadWarehousePhoto(slot);
}

void TfrmListinoPrezzi::showSavedPage(qint64 page)
{
    const ArchiveResult<TPaginaListino> read
        = archiveResult([&] { return PriceListFile::read(trimText(lblFile->text()), page); });
    if (read)
        showPage(*read, page);
}

void TfrmListinoPrezzi::cmdAggiornaClick()
{
    TfrmAggiornaListino::openFrom(this);
}

void TfrmListinoPrezzi::cmdSalvaClick()
{
    (void)save();
}

bool TfrmListinoPrezzi::save()
{
    const Slot &a = m_slots[0];
    const struct
    {
        QLineEdit *box;
        const char *what;
    } required[] = {
        { a.txtNome, "il nome" },
        { a.txtUM, "l'aspetto esteriore" },
        { a.txtCaratteristiche, "le caratteristiche" },
        { a.txtCodice, "il codice articolo" },
        { a.txtPrezzo, "il prezzo di vendita" },
    };
    for (const auto &r : required)
        if (trimText(r.box->text()).isEmpty()) {
            Msg::warning(this,
                QStringLiteral("Attenzione: per salvare la scheda è necessario indicare %1 del primo "
                               "prodotto.")
                    .arg(QLatin1String(r.what)));
            r.box->setFocus(Qt::OtherFocusReason);
            return false;
        }

    const qint64 shown = shownPage();
    // The number goes on show as soon as the page is in the file, even when closing then fails.
    qint64 written = 0;
    const QString path = trimText(lblFile->text());
    const ArchiveResult<qint64> saved = archiveResult([&] {
        return shown > 0 ? PriceListFile::write(path, shown, pageFromBoxes(), &written)
                         : PriceListFile::append(path, pageFromBoxes(), &written);
    });
    if (!saved) {
        if (written > 0)
            lblPosizione->setText(QString::number(written));
        Msg::archiveError(this, saved.error());
        return false;
    }
    lblPosizione->setText(QString::number(written));
    if (const WriteError failed = savePagePhotos(); failed != WriteError::None) {
        Msg::savedButNotThePhotos(this, shown == 0, true, failed);
        return true;
    }
    if (shown > 0)
        Msg::information(this,
            QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in "
                           "archivio."));
    else
        Msg::information(this, QStringLiteral("La scheda corrente è stata inserita in archivio."));
    return true;
}

void TfrmListinoPrezzi::navigate(Move move)
{
    const qint64 shown = shownPage();
    const ArchiveResult<PriceListFile::Chosen> read = archiveResult([&] {
        return PriceListFile::readChosen(trimText(lblFile->text()), [&](qint64 count) -> qint64 {
            switch (move) {
            case Move::First:
                return 1;
            case Move::Previous:
                return shown == 0 ? 1 : shown - 1;
            case Move::Next:
                return shown == 0 ? 1 : (shown < count ? shown + 1 : 0);
            case Move::Last:
                return count;
            }
            return 0;
        });
    });
    if (!read) {
        Msg::archiveError(this, read.error());
        return;
    }
    const PriceListFile::Chosen &found = *read;
    if (found.count == 0) {
        if (move == Move::Next)
            lblPosizione->clear();
        Msg::information(this, kNoPages);
        return;
    }
    if (found.number == 0)
        return;
    showPage(found.page, found.number);
}

void TfrmListinoPrezzi::showPage(const TPaginaListino &page, qint64 number)
{
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        const Slot &s = m_slots[i];
        const TVoceListino &v = page.voci[i];
        showFromStart(s.txtCodice, v[TVoceListino::Codice]);
        showFromStart(s.txtNome, v[TVoceListino::Nome]);
        showFromStart(s.txtUM, v[TVoceListino::UM]);
        showFromStart(s.txtCaratteristiche, v[TVoceListino::Caratteristiche]);
        showFromStart(s.txtPrezzo, v[TVoceListino::Prezzo]);
    }
    lblPosizione->setText(QString::number(number));
    loadPagePhotos();
}

void TfrmListinoPrezzi::cmdPrimoClick()
{
    navigate(Move::First);
}

void TfrmListinoPrezzi::cmdIndietroClick()
{
    navigate(Move::Previous);
}

void TfrmListinoPrezzi::cmdAvantiClick()
{
    navigate(Move::Next);
}

void TfrmListinoPrezzi::cmdUltimoClick()
{
    navigate(Move::Last);
}

void TfrmListinoPrezzi::cmdEsciClick()
{
    close();
}

// ---- Slot photos and print thumbnails ----

void TfrmListinoPrezzi::imgFotoClick(QChar slot)
{
    const QString path = FileDialogs::openFile(this,
        QStringLiteral("Selezionare un file di immagine in formato Jpeg "
                       "o Bitmap."),
        QStringLiteral("Immagine JPEG (*.jpg; *.jpeg)|*.jpg;*.jpeg|"
                       "Immagine Bitmap (*.bmp)|*.bmp"));
    if (path.isEmpty())
        return;
    const QImage photo = loadPicture(path);
    // The blank would take the place of the slot's photo at the next Salva: the photo stays instead.
    if (photo.isNull()) {
        Msg::photoNotShown(this, QStringLiteral("La foto del prodotto"));
        return;
    }
    setSlotPicture(slotIndex(slot), photo);
}

void TfrmListinoPrezzi::loadWarehousePhoto(QChar slot)
{
    const QString path = SlotPhotos::warehousePhotoPath(trimText(lblRecord->text()));
    setSlotPicture(slotIndex(slot), path.isEmpty() ? QImage() : loadPicture(path));
}

WriteError TfrmListinoPrezzi::savePagePhotos()
{
    const QString page = trimText(lblPosizione->text());
    WriteError first = WriteError::None;
    // Each slot on its own: one that fails keeps its picture on screen and its old file, the others go on.
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        const QString path = SlotPhotos::photoPath(title(), TPaginaListino::letter(i), page);
        const QImage picture = m_slots[i].imgFoto->picture();
        // A file that could not be shown whole would be replaced by its stand-in.
        if (m_slots[i].imgFoto->keepsFile(path))
            continue;
        const WriteResult written = SlotPhotos::ensureFolder()
            ? savePictureJpeg(SlotPhotos::toFileSize(picture.isNull() ? blankPicture() : picture), path)
            : WriteResult(WriteError::WriteFailed);
        if (!written && first == WriteError::None)
            first = written.error();
    }
    return first;
}

void TfrmListinoPrezzi::loadPagePhotos()
{
    const QString page = trimText(lblPosizione->text());
    for (int i = 0; i < TPaginaListino::SlotCount; ++i) {
        const QString path = SlotPhotos::photoPath(title(), TPaginaListino::letter(i), page);
        if (SlotPhotos::ensureFolder())
            m_slots[i].imgFoto->showFile(path, blankPicture());
        else
            setSlotPicture(i, QImage());
    }
}

void TfrmListinoPrezzi::writeThumbnails()
{
    if (!SlotPhotos::ensureFolder())
        return;
    int written = 0;
    for (; written < TPaginaListino::SlotCount; ++written) {
        const QImage picture = m_slots[written].imgFoto->picture();
        const QString path = SlotPhotos::thumbnailPath(title(), TPaginaListino::letter(written));
        if (!savePictureJpeg(SlotPhotos::toFileSize(picture.isNull() ? blankPicture() : picture), path))
            break;
    }
    if (!SlotPhotos::ensureFolder())
        return;
    // Only the thumbnails just written come back: an older file would put another page's photo in print.
    for (int i = 0; i < written; ++i) {
        const QImage thumbnail = loadPicture(SlotPhotos::thumbnailPath(title(), TPaginaListino::letter(i)));
        if (thumbnail.isNull())
            break;
        m_slots[i].imgFoto->setPicture(thumbnail);
    }
}

// ---- The windows opened from here ----

void TfrmListinoPrezzi::cmdAnteprimaClick()
{
    writeThumbnails();
    showPreview();
}

void TfrmListinoPrezzi::cmdStampaClick()
{
    writeThumbnails();
    showPrint();
}

void TfrmListinoPrezzi::impProdottoClick(QChar slot)
{
    showImport(slot);
}

// The preview and print windows: a fresh one each time, owned by the editor, shown modally.
void TfrmListinoPrezzi::showPreview()
{
    TfrmAnteprimaProdotto::openFrom(this);
}

void TfrmListinoPrezzi::showPrint()
{
    TfrmStampaProdotto::openFrom(this);
}

// A fresh import window whose lblMemory names the slot: "prodotto_" + slot letter.
void TfrmListinoPrezzi::showImport(QChar slot)
{
    TfrmImportaMagazzino::openFrom(this, slot);
}

// The help window on the editor's topic, "App Gestione Listino Prezzi."
void TfrmListinoPrezzi::cmdGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::ListinoPrezzi);
}
