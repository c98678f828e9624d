#pragma once

#include "widgets/Workspace.h"

class PictureButton;

/**
 * The start window: leads to the warehouse, to the creation of a price list and to the list of
 * price lists. Its exit icon and closing it end the program.
 */
class TfrmAvvio : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAvvio)
public:
    TfrmAvvio();

    void imgMagazzinoClick();
    void imgCreaClick();
    void imgApriClick();
    void imgEsciClick();
    void imgSitoClick();
    /** About window (TfrmInfo), modal. */
    void imgInfoClick();
    /** Help window on the start-window topic (TfrmGuida), modal. */
    void imgGuidaClick();
    /** Credits window (TfrmSplash), modal. */
    void imgCreditiClick();
    void imgImportaClick();

protected:
    void formClose() override;
};
