#include "pricelist/ImportaMagazzino.h"

#include "pricelist/ListinoPrezzi.h"
#include "storage/ArchiveResult.h"
#include "storage/SchedaProdotto.h"
#include "storage/TextField.h"
#include "warehouse/ResultList.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/WindowSet.h"

#include <QLabel>

TfrmImportaMagazzino::TfrmImportaMagazzino(QWidget *owner)
    : TfrmTrovaMagazzino(owner, QStringLiteral(" Importa prodotti da magazzino"))
{ }

void TfrmImportaMagazzino::openFrom(QWidget *pageEditor, QChar slot)
{
    TfrmImportaMagazzino window(pageEditor);
    window.findChild<QLabel *>(QStringLiteral("lblMemory"))->setText(QStringLiteral("prodotto_") + slot);
    window.exec();
}

void TfrmImportaMagazzino::showCardInSlot(QWidget *pageEditor, QChar slot, const TSchedaProdotto &card, qint64 number)
{
    using F = TSchedaProdotto;
    const QString suffix = QStringLiteral("_") + slot;
    // Copied as stored: the slot boxes are at least as wide as these fields.
    setControlText(pageEditor, QStringLiteral("txtNome") + suffix, trimText(card[F::Nome]));
    setControlText(pageEditor, QStringLiteral("txtUM") + suffix, trimText(card[F::UM]));
    setControlText(pageEditor, QStringLiteral("txtCaratteristiche") + suffix, trimText(card[F::Caratteristiche]));
    setControlText(pageEditor, QStringLiteral("txtCodice") + suffix, trimText(card[F::Codice]));
    setControlText(pageEditor, QStringLiteral("txtPrezzo") + suffix, trimText(card[F::Prezzo]));
    setControlText(pageEditor, QStringLiteral("lblRecord"), QString::number(number));
    // The page editor's own loader reads the photo of the card lblRecord names, or gives the blank.
    if (auto *editor = qobject_cast<TfrmListinoPrezzi *>(pageEditor))
        editor->loadWarehousePhoto(slot);
}

void TfrmImportaMagazzino::lstRecordsDblClick(qint64 record)
{
    const QString tag = callerTag();
    for (char letter = 'A'; letter <= 'H'; ++letter) {
        if (tag != QLatin1String("prodotto_") + QLatin1Char(letter))
            continue;
        const ArchiveResult<TSchedaProdotto> card = archiveResult([record] { return WarehouseArchive::read(record); });
        if (card)
            showCardInSlot(WindowSet::instance<TfrmListinoPrezzi>(), QLatin1Char(letter), *card, record);
        // The window closes without a word and the slot keeps what it had, unless the archive is busy.
        else if (Msg::archiveBusy(this, card.error()))
            return;
        break;
    }
    accept();
}
