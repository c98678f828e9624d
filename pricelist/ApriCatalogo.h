#pragma once

#include "widgets/Workspace.h"

class QLabel;
class QListWidget;
class PictureButton;

/** Lists the price lists, opens the chosen one in the page editor or deletes it. */
class TfrmApriCatalogo : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmApriCatalogo)
public:
    TfrmApriCatalogo();

    void btnApriClick();
    void btnEliminaClick();
    void btnAnnullaClick();
    void imgGuidaClick();

protected:
    void formShow() override;
    void formClose() override;

private:
    void fillList();
    /** The selected item's file name as found in the folder; empty when nothing is selected. */
    QString selectedFile() const;
    /** The selected list's file name, or empty after warning that there is none to act on. */
    QString chosenFile(const QString &noSelectionWarning);

    QListWidget *lstFiles;
    QLabel *lblCreati;
    QLabel *lblEsclusi;
    QLabel *lblFile;
    QLabel *lblMemory;
    PictureButton *btnApri;
    PictureButton *btnElimina;
    PictureButton *btnAnnulla;
    PictureButton *imgGuida;
};
