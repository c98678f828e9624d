#include "pricelist/ApriCatalogo.h"

#include "app/Guida.h"
#include "pricelist/ListinoPrezzi.h"
#include "pricelist/rules/ListFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/TextField.h"
#include "widgets/Messages.h"
#include "widgets/PictureButton.h"
#include "widgets/ShapeWidget.h"
#include "widgets/WindowSet.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>

namespace {
const QColor kSteelBlue(0x46, 0x82, 0xB4);
const QColor kBlanchedAlmond(0xFF, 0xEB, 0xCD);

void picture(QWidget *parent, const QString &name, const QString &art, const QRect &geometry)
{
    auto *p = new PictureButton(parent, name, art, geometry);
    p->setCursor(Qt::ArrowCursor);
}

const QString kEmptyList = QStringLiteral("Attenzione: l'elenco non contiene nessun listino prezzi.");
} // namespace

TfrmApriCatalogo::TfrmApriCatalogo()
    : Workspace(QStringLiteral(" Vetrinova - Apertura listino prezzi"), kSteelBlue)
{
    setObjectName(QStringLiteral("frmApriCatalogo"));
    QWidget *pan = panel();
    new ShapeWidget(pan, pan->rect(), kSteelBlue);

    picture(pan, QStringLiteral("imgIstruzioni"), QStringLiteral("catalogo-istruzioni-apri"), QRect(8, 8, 978, 128));

    new ShapeWidget(pan, QRect(8, 144, 978, 417), Qt::white);
    btnElimina = new PictureButton(pan, QStringLiteral("btnElimina"), QStringLiteral("catalogo-cestino"),
        QRect(24, 156, 52, 52), QStringLiteral("Elimina"));
    picture(pan, QStringLiteral("imgSeleziona"), QStringLiteral("catalogo-seleziona"), QRect(92, 164, 840, 44));
    imgGuida = new PictureButton(pan, QStringLiteral("imgGuida"), QStringLiteral("catalogo-guida"),
        QRect(946, 156, 29, 28), QStringLiteral("Guida"));

    new ShapeWidget(pan, QRect(24, 216, 946, 316), kBlanchedAlmond);
    lstFiles = new QListWidget(pan);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setGeometry(34, 224, 926, 298);
    lstFiles->setSortingEnabled(false); // kept in the program's own order, never the locale's
    lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lstFiles->setFont(QFont(QStringLiteral("Courier New"), 14));
    lstFiles->setAccessibleName(QStringLiteral("Elenco dei listini prezzi"));

    lblCreati = new QLabel(QStringLiteral("Sono stati creati 0 listini prezzi."), pan);
    lblCreati->setObjectName(QStringLiteral("lblCreati"));
    lblCreati->setGeometry(24, 537, 946, 20);
    lblCreati->setFont(QFont(QStringLiteral("Verdana"), 12));
    lblCreati->setStyleSheet(QStringLiteral("color: #008000;"));

    // Files that look like lists but whose names cannot be used say so between the two buttons.
    lblEsclusi = new QLabel(pan);
    lblEsclusi->setObjectName(QStringLiteral("lblEsclusi"));
    lblEsclusi->setGeometry(264, 582, 468, 82);
    lblEsclusi->setWordWrap(true);
    lblEsclusi->setTextFormat(Qt::PlainText);
    lblEsclusi->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblEsclusi->setFont(QFont(QStringLiteral("Verdana"), 10));
    lblEsclusi->setStyleSheet(QStringLiteral("color: white;"));
    lblEsclusi->hide();

    new ShapeWidget(pan, QRect(32, 582, 217, 82), kBlanchedAlmond);
    btnAnnulla = new PictureButton(pan, QStringLiteral("btnAnnulla"), QStringLiteral("catalogo-annulla"),
        QRect(44, 594, 193, 58), QStringLiteral("Annulla"));
    new ShapeWidget(pan, QRect(746, 582, 217, 82), kBlanchedAlmond);
    btnApri = new PictureButton(pan, QStringLiteral("btnApri"), QStringLiteral("catalogo-apri"),
        QRect(758, 594, 193, 58), QStringLiteral("Apri archivio"));

    lblFile = new QLabel(pan);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    lblFile->hide();
    lblMemory = new QLabel(QStringLiteral("avvio"), pan);
    lblMemory->setObjectName(QStringLiteral("lblMemory"));
    lblMemory->hide();

    connect(btnApri, &PictureButton::clicked, this, &TfrmApriCatalogo::btnApriClick);
    connect(btnElimina, &PictureButton::clicked, this, &TfrmApriCatalogo::btnEliminaClick);
    connect(btnAnnulla, &PictureButton::clicked, this, &TfrmApriCatalogo::btnAnnullaClick);
    connect(imgGuida, &PictureButton::clicked, this, &TfrmApriCatalogo::imgGuidaClick);
}

void TfrmApriCatalogo::formShow()
{
    lblMemory->setText(QStringLiteral("avvio"));
    lblFile->setText(programFolder());
    fillList();
}

void TfrmApriCatalogo::fillList()
{
    lstFiles->clear();
    const ListFiles::Listing found = ListFiles::scan();
    const QStringList &names = found.names;
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, lstFiles);
        // The item keeps the exact file name: a trimmed text could name a different file.
        item->setData(Qt::UserRole, name);
        item->setFont(QFont(QStringLiteral("Courier New"), 14));
        item->setForeground(QColor(0xFF000000u));
    }
    lblCreati->setText(QStringLiteral("Sono stati creati %1 listini prezzi.").arg(names.size()));

    QStringList quoted;
    for (const QString &name : found.leftOut)
        quoted << QStringLiteral("\u00ab%1\u00bb").arg(name);
    if (quoted.size() == 1)
        lblEsclusi->setText(QStringLiteral("1 file .lis non \u00e8 elencato perch\u00e9 il suo nome contiene caratteri "
                                           "non ammessi o non leggibili; rinominarlo per aprirlo: %1")
                                .arg(quoted.first()));
    else
        lblEsclusi->setText(QStringLiteral("%1 file .lis non sono elencati perch\u00e9 il loro nome contiene caratteri "
                                           "non ammessi o non leggibili; rinominarli per aprirli: %2")
                                .arg(quoted.size())
                                .arg(quoted.mid(0, 3).join(QStringLiteral(", "))
                                    + (quoted.size() > 3 ? QStringLiteral(", \u2026") : QString())));
    // The label holds a few names; the tip holds them all.
    lblEsclusi->setToolTip(quoted.join(QLatin1Char('\n')));
    lblEsclusi->setVisible(!quoted.isEmpty());
}

QString TfrmApriCatalogo::selectedFile() const
{
    const QList<QListWidgetItem *> selected = lstFiles->selectedItems();
    if (selected.isEmpty())
        return QString();
    return selected.first()->data(Qt::UserRole).toString();
}

QString TfrmApriCatalogo::chosenFile(const QString &noSelectionWarning)
{
    if (lstFiles->count() == 0) {
        Msg::warning(this, kEmptyList);
        return QString();
    }
    const QString file = selectedFile();
    if (file.isEmpty())
        Msg::warning(this, noSelectionWarning);
    return file;
}

void TfrmApriCatalogo::btnApriClick()
{
    const QString file = chosenFile(QStringLiteral("Attenzione: selezionare il listino prezzi dall'elenco prima di "
                                                   "premere il pulsante Apri archivio."));
    if (file.isEmpty())
        return;
    lblFile->setText(programPath(file));
    lblMemory->setText(QStringLiteral("listino"));
    close();
}

void TfrmApriCatalogo::btnEliminaClick()
{
    const QString file = chosenFile(QStringLiteral("Attenzione: selezionare dall'elenco il listino prezzi da "
                                                   "eliminare prima di premere il pulsante del cestino."));
    if (file.isEmpty())
        return;
    if (!Msg::confirm(this,
            QStringLiteral("Si sta per eliminare il listino prezzi selezionato. Si ricorda che il file "
                           "eliminato non potrà essere recuperato.\r\n\r\nSi conferma l'eliminazione "
                           "dell'archivio?")))
        return;
    lblFile->setText(programPath(file));
    if (ListFiles::remove(file))
        Msg::information(this, QStringLiteral("Il listino prezzi è stato eliminato con successo."));
    else
        Msg::error(this,
            QStringLiteral("Attenzione: non è stato possibile eliminare il listino prezzi selezionato."
                           "\r\n\r\nAccertarsi di possedere i privilegi di scrittura nella cartella di "
                           "installazione del programma."));
    lblMemory->setText(QStringLiteral("avvio"));
    lblFile->clear();
    fillList();
}

void TfrmApriCatalogo::btnAnnullaClick()
{
    close();
}

void TfrmApriCatalogo::formClose()
{
    if (WindowSet::ending())
        return;
    if (trimText(lblMemory->text()) != QLatin1String("listino")) {
        WindowSet::showStartWindow(this);
        return;
    }
    const QString path = lblFile->text();
    const QString file = QFileInfo(path).fileName();
    TfrmListinoPrezzi *editor = WindowSet::instance<TfrmListinoPrezzi>();
    editor->openFile(path, file.left(file.size() - 4));
    editor->handOverFrom(this);
}

// The help window on "Creazione e apertura dei listini prezzi."

void TfrmApriCatalogo::imgGuidaClick()
{
    TfrmGuida::showTopic(this, HelpTopic::ApriCatalogo);
}
