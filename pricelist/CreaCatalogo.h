#pragma once

#include "widgets/Workspace.h"

class QLabel;
class QLineEdit;
class PictureButton;

/** Creates the empty file of a new price list from the name the user types. */
class TfrmCreaCatalogo : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmCreaCatalogo)
public:
    TfrmCreaCatalogo();

    void btnApplicaClick();
    void btnAnnullaClick();
    void imgGuidaClick();

protected:
    void formShow() override;

private:
    void txtFileEdited();

    QLineEdit *txtFile;
    PictureButton *btnApplica;
    PictureButton *btnAnnulla;
    PictureButton *imgGuida;
    QLabel *lblFile;
};
