#pragma once

#include "warehouse/TrovaMagazzino.h"

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

    /** F2: fills the slot from the card whose code is typed or scanned ("Cerca codice"), then closes. */
    void cercaCodice();

protected:
    void lstRecordsDblClick(qint64 record) override;
};
