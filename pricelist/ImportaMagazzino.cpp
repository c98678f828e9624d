#include "pricelist/ImportaMagazzino.h"

#include "pricelist/ListinoPrezzi.h"
#include "storage/ArchiveResult.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/CercaCodice.h"
#include "warehouse/ResultList.h"
#include "widgets/Messages.h"
#include "widgets/WindowSet.h"

#include <QAction>

TfrmImportaMagazzino::TfrmImportaMagazzino(QWidget *owner)
    : TfrmTrovaMagazzino(owner, QStringLiteral(" Importa prodotti da magazzino"))
{
    // A scanned code fills the slot at once: F2 opens the code box, as in the card editor.
    auto *search = new QAction(QStringLiteral("Cerca codice..."), this);
    search->setObjectName(QStringLiteral("actCercaCodice"));
    search->setShortcut(QKeySequence(Qt::Key_F2));
    search->setShortcutContext(Qt::WindowShortcut);
    addAction(search);
    connect(search, &QAction::triggered, this, &TfrmImportaMagazzino::cercaCodice);
}

void TfrmImportaMagazzino::cercaCodice()
{
    const QString tag = callerTag();
    if (!tag.startsWith(QLatin1String("prodotto_")) || tag.size() != 10 || tag.back() < QLatin1Char('A')
        || tag.back() > QLatin1Char('H'))
        return;
    const QChar slot = tag.back();
    bool filled = false;
    TfrmCercaCodice::openFrom(this, [slot, &filled](const TSchedaProdotto &card, qint64 number) {
        WindowSet::instance<TfrmListinoPrezzi>()->fillSlot(slot, card, number);
        filled = true;
    });
    if (filled)
        accept();
}

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
