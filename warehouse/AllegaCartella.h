#pragma once

#include "widgets/DialogWindow.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

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
     * The editor's Allegati button: fills the six boxes from `editor`'s hidden labels lblFile01..03 and
     * lblDesc01..03, tags the dialog "magazzino", shows it modally and frees it.
     */
    static void showFor(QWidget *editor);

    /** Fills the six boxes from the hidden labels of `editor` and sets lblMemory to "magazzino". */
    void fillFrom(QWidget *editor);

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
