#pragma once

#include "warehouse/TrovaMagazzino.h"

struct TSchedaProdotto;

/**
 * The warehouse search opened from a slot of the price-list page editor: a double click copies the
 * card's name, appearance, characteristics, code, selling price and photo into that slot.
 */
class TfrmImportaMagazzino : public TfrmTrovaMagazzino
{
    Q_OBJECT
public:
    explicit TfrmImportaMagazzino(QWidget *owner);

    /** Opens a fresh import owned by the page editor, to fill its slot `slot` (A to H). */
    static void openFrom(QWidget *pageEditor, QChar slot);

    /** Copies the card of record `number` into slot `slot` of the page editor, its photo included. */
    static void showCardInSlot(QWidget *pageEditor, QChar slot, const TSchedaProdotto &card, qint64 number);

protected:
    void lstRecordsDblClick(qint64 record) override;
};
