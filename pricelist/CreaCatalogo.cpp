#include "pricelist/CreaCatalogo.h"

#include "app/Guida.h"
#include "pricelist/rules/ListFiles.h"
#include "storage/TextField.h"
#include "widgets/BoxBehaviour.h"
#include "widgets/Messages.h"
#include "widgets/PictureButton.h"
#include "widgets/ShapeWidget.h"

#include <QLabel>
#include <QLineEdit>

namespace {
const QColor kSteelBlue(0x46, 0x82, 0xB4);
const QColor kBlanchedAlmond(0xFF, 0xEB, 0xCD);

QWidget *picture(QWidget *parent, const QString &name, const QString &art, const QRect &geometry)
{
    auto *p = new PictureButton(parent, name, art, geometry);
    p->setCursor(Qt::ArrowCursor);
    return p;
}
} // namespace

TfrmCreaCatalogo::TfrmCreaCatalogo()
    : Workspace(QStringLiteral(" Vetrinova - Creazione listino prezzi"), kSteelBlue)
{
    setObjectName(QStringLiteral("frmCreaCatalogo"));
    QWidget *pan = panel();
    new ShapeWidget(pan, pan->rect(), kSteelBlue);

    picture(pan, QStringLiteral("imgIstruzioni"), QStringLiteral("catalogo-istruzioni-crea"), QRect(8, 8, 978, 136));
    picture(pan, QStringLiteral("imgDecorazione"), QStringLiteral("catalogo-decorazione"), QRect(8, 152, 172, 532));

    new ShapeWidget(pan, QRect(188, 152, 798, 169), Qt::white);
    picture(pan, QStringLiteral("imgNome"), QStringLiteral("catalogo-nome"), QRect(216, 164, 700, 56));
    imgGuida = new PictureButton(pan, QStringLiteral("imgGuida"), QStringLiteral("catalogo-guida"),
        QRect(946, 160, 29, 28), QStringLiteral("Guida"));
    new ShapeWidget(pan, QRect(204, 220, 768, 58), kSteelBlue, Qt::white);

    txtFile = new QLineEdit(pan);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setGeometry(216, 232, 744, 34);
    txtFile->setMaxLength(250);
    txtFile->setFont(QFont(QStringLiteral("Verdana"), 16, QFont::Bold));
    txtFile->setStyleSheet(
        QStringLiteral("QLineEdit { background: #F0F8FF; border: 1px solid #87CEEB; padding: 0 4px; }"
                       "QLineEdit:focus { background: #FFFF00; }"));
    txtFile->setAccessibleName(QStringLiteral("Nome del nuovo listino prezzi"));
    picture(pan, QStringLiteral("imgCaratteri"), QStringLiteral("catalogo-caratteri"), QRect(216, 286, 744, 28));

    picture(pan, QStringLiteral("imgSuggerimenti"), QStringLiteral("catalogo-suggerimenti"), QRect(188, 336, 798, 224));

    new ShapeWidget(pan, QRect(528, 576, 429, 82), kBlanchedAlmond);
    btnAnnulla = new PictureButton(pan, QStringLiteral("btnAnnulla"), QStringLiteral("catalogo-annulla"),
        QRect(540, 588, 193, 58), QStringLiteral("Annulla"));
    btnApplica = new PictureButton(pan, QStringLiteral("btnApplica"), QStringLiteral("catalogo-applica"),
        QRect(752, 588, 193, 58), QStringLiteral("Applica e chiudi"));

    lblFile = new QLabel(pan);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->hide();

    // Typed, the forbidden characters never arrive; pasted or dropped, they are taken out at once.
    BoxBehaviour::attach(txtFile)->onKey(
        [](int, const QString &text) { return text.size() == 1 && ListFiles::isForbiddenChar(text.at(0)); });
    connect(txtFile, &QLineEdit::textEdited, this, &TfrmCreaCatalogo::txtFileEdited);

    connect(btnApplica, &PictureButton::clicked, this, &TfrmCreaCatalogo::btnApplicaClick);
    connect(btnAnnulla, &PictureButton::clicked, this, &TfrmCreaCatalogo::btnAnnullaClick);
    connect(imgGuida, &PictureButton::clicked, this, &TfrmCreaCatalogo::imgGuidaClick);
}

void TfrmCreaCatalogo::formShow()
{
    txtFile->clear();
    txtFile->setFocus(Qt::OtherFocusReason);
}

void TfrmCreaCatalogo::txtFileEdited()
{
    const QString text = txtFile->text();
    const QString clean = ListFiles::withoutForbidden(text);
    if (clean == text)
        return;
    int cursor = txtFile->cursorPosition();
    cursor -= int(text.left(cursor).size() - ListFiles::withoutForbidden(text.left(cursor)).size());
    txtFile->setText(clean);
    txtFile->setCursorPosition(cursor);
}

void TfrmCreaCatalogo::btnApplicaClick()
{
    lblFile->clear();
    const QString title = trimText(ListFiles::withoutForbidden(txtFile->text()));
    switch (ListFiles::checkTitle(title)) {
    case ListFiles::TitleCheck::Empty:
        Msg::warning(this,
            QStringLiteral("Attenzione: per creare l'archivio è necessario indicare il nome del nuovo "
                           "listino prezzi."));
        txtFile->setFocus(Qt::OtherFocusReason);
        return;
    case ListFiles::TitleCheck::Unusable:
        Msg::warning(this,
            QStringLiteral("Attenzione: il nome indicato non può essere utilizzato come nome di un "
                           "file.\r\n\r\nInserire un nome diverso per il nuovo listino prezzi."));
        txtFile->setFocus(Qt::OtherFocusReason);
        return;
    case ListFiles::TitleCheck::TooLong:
        Msg::warning(this,
            QStringLiteral("Attenzione: il nome indicato è troppo lungo per essere utilizzato come "
                           "nome di un file.\r\n\r\nInserire un nome più breve per il nuovo listino "
                           "prezzi."));
        txtFile->setFocus(Qt::OtherFocusReason);
        return;
    case ListFiles::TitleCheck::Ok:
        break;
    }
    const QString path = ListFiles::pathOf(title);
    lblFile->setText(path);
    const ListFiles::Creation made = ListFiles::create(path);
    switch (made.result) {
    case ListFiles::Creation::Exists:
        Msg::warning(this,
            QStringLiteral("Attenzione: il nome del listino prezzi indicato è già stato utilizzato in "
                           "precedenza.\r\n\r\nInserire un nome diverso oppure, se si desidera aprire un "
                           "listino prezzi già creato, premere il pulsante Apri listino esistente."));
        return;
    case ListFiles::Creation::NameRefused:
        Msg::warning(this,
            QStringLiteral("Attenzione: il nome indicato non può essere utilizzato come nome di un "
                           "file.\r\n\r\nInserire un nome diverso per il nuovo listino prezzi."));
        txtFile->setFocus(Qt::OtherFocusReason);
        return;
    case ListFiles::Creation::Failed:
        // Not the program's to mend (rights on the folder, a full disk): the system's own words.
        Msg::errorReport(this, QStringLiteral("Impossibile creare il file \"%1\".\n%2").arg(path, made.errorText));
        return;
    case ListFiles::Creation::Created:
        break;
    }
    Msg::information(this,
        QStringLiteral("Il file di archivio relativo al nuovo listino prezzi è stato creato con "
                       "successo.\r\n\r\nE' ora possibile visualizzarlo nell'elenco dei listini "
                       "esistenti."));
    close();
}

void TfrmCreaCatalogo::btnAnnullaClick()
{
    close();
}

// The help window on "Creazione e apertura dei listini prezzi."

void TfrmCreaCatalogo::imgGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::CreaCatalogo);
}
