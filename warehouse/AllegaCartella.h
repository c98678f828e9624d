#pragma once

#include "widgets/DialogWindow.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class TfrmMagazzino;

/**
 * The three attached files of the card on screen: each is copied into Documenti_Allegati when chosen,
 * and its name and description go back to the editor's hidden labels on Applica e chiudi.
 */
class TfrmAllegaCartella : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAllegaCartella)
public:
    static constexpr int Slots = 3;

    explicit TfrmAllegaCartella(QWidget *owner);

    /**
     * The editor's Allegati button: fills the six boxes from the card's attachments, tags the dialog
     * "magazzino", shows it modally and frees it.
     */
    static void showFor(TfrmMagazzino *editor);

    /** Fills the six boxes from the attachments of the card in `editor` and sets lblMemory to "magazzino". */
    void fillFrom(const TfrmMagazzino *editor);

    /** The attachments folder in the program folder. */
    static QString folder();

    void btnSfogliaClick(int slot);
    void btnApriClick(int slot);
    void imgCancellaClick(int slot);
    void btnApplicaClick();
    void btnAnnullaClick();

private:
    std::array<QLineEdit *, Slots> m_txtFile {};
    std::array<QLineEdit *, Slots> m_txtDesc {};
    std::array<QPushButton *, Slots> m_btnApri {};
    QLabel *m_lblMemory;
};
