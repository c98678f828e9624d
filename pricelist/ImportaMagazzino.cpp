#include "pricelist/ImportaMagazzino.h"

#include "pricelist/ListinoPrezzi.h"
#include "storage/ArchiveResult.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/ResultList.h"
#include "widgets/Messages.h"
#include "widgets/WindowSet.h"

TfrmImportaMagazzino::TfrmImportaMagazzino(QWidget *owner)
    : TfrmTrovaMagazzino(owner, QStringLiteral(" Importa prodotti da magazzino"))
{ }

void TfrmImportaMagazzino::openFrom(QWidget *pageEditor, QChar slot)
{
    TfrmImportaMagazzino window(pageEditor);
    window.setCallerTag(QStringLiteral("prodotto_") + slot);
    window.exec();
}

void TfrmImportaMagazzino::lstRecordsDblClick(qint64 record)
{
    const QString tag = callerTag();
    for (char letter = 'A'; letter <= 'H'; ++letter) {
        if (tag != QLatin1String("prodotto_") + QLatin1Char(letter))
            continue;
        const ArchiveResult<TSchedaProdotto> card = archiveResult([record] { return WarehouseArchive::read(record); });
        if (card)
            WindowSet::instance<TfrmListinoPrezzi>()->fillSlot(QLatin1Char(letter), *card, record);
        // The window closes without a word and the slot keeps what it had, unless the archive is busy.
        else if (Msg::archiveBusy(this, card.error()))
            return;
        break;
    }
    accept();
}
