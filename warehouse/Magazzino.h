#pragma once

#include "warehouse/rules/MovementRules.h"
#include "widgets/Workspace.h"

#include <QImage>

#include <array>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class PhotoBox;
struct TSchedaProdotto;

/**
 * The warehouse workspace: one product card of Magazzino.pro at a time. The card lives in the
 * controls only; lblPosizione holds the number of the record on screen, empty for a new card.
 */
class TfrmMagazzino : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMagazzino)
public:
    /** A file attached to the card (its name in Documenti_Allegati) and what it is. */
    struct Attachment
    {
        QString file;
        QString description;
    };
    using Attachments = std::array<Attachment, 3>;

    TfrmMagazzino();

    /** The attachments of the card on screen, trimmed; they are saved with the card. */
    Attachments attachments() const;
    void setAttachments(const Attachments &attachments);

    /** Shows `card`, read from record `number` (from 1), with its photo; an unknown paid flag keeps the tick. */
    void fillFromRecord(const TSchedaProdotto &card, qint64 number);
    /**
     * Loads the photo of the card numbered in lblPosizione, or the placeholder when it is missing or
     * unreadable; a file not shown whole is then left as it is by Salva.
     */
    void loadCardPhoto();
    /** Empties the card for a new one and puts the cursor in txtCodice. */
    void clearCard();
    /** The stand-in for a missing photo: the picture held by the hidden imgBianco. */
    QImage placeholderPicture() const;

    /** The card as on screen, each text exactly as in its box, and its photo. */
    TSchedaProdotto shownCard() const;
    QImage shownPhoto() const;
    /** Shows an empty stock as 0 and an empty cost as 0,00, as a print counts them. */
    void zeroEmptyNumbers();

protected:
    void formShow() override;

private:
    enum class Step { First, Previous, Next, Last };

    void buildLayout();
    QLineEdit *box(const char *field) const;
    /** The number in lblPosizione, 0 when it holds none. */
    qint64 position() const;
    TSchedaProdotto cardFromScreen() const;
    void navigate(Step step);
    void openStockDialog(bool add);
    /** The context menu of the card: its movements, a period's, the stock value at a date. */
    void showMovementsMenu(const QPoint &where, const QList<QAction *> &above = {});
    void btnMovimentiClick();
    void openDatePicker();

    void btnNuovoClick();
    void btnDuplicaClick();
    void btnSalvaClick();
    void btnTrovaClick();
    void btnAllegatiClick();
    void btnAnteprimaClick();
    void btnStampaClick();
    void btnScadutiClick();
    void btnSottoscortaClick();
    void btnEsportaClick();
    void btnGuidaClick();
    void btnEsciClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void btnAggiungiClick();
    void btnSottraiClick();
    void btnCaricaFotoClick();
    /** A loaded (or pasted, or dropped) picture becomes the card's photo; a failed load leaves the placeholder. */
    void showLoadedPhoto(const QImage &photo);
    void btnAcquisisciFotoClick();
    void btnSalvaFotoClick();
    void btnCancFotoClick();
    void btnZoomFotoClick();
    /** Any key in the due-date box; true when the key is used up. */
    bool txtDataScaKeyDown(int key);
    void delDataScaClick();

    /** What + and - did to the stock box since the card was shown: recorded as carico/scarico at Salva. */
    std::vector<MovementRules::StockStep> m_stockSteps;

    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtCosto = nullptr;
    QLineEdit *txtGiacenza = nullptr;
    QLineEdit *txtAvviso = nullptr;
    QLineEdit *txtDataSca = nullptr;
    QPushButton *btnAggiungi = nullptr;
    QPushButton *btnSottrai = nullptr;
    QCheckBox *chkPagato = nullptr;
    QLabel *lblPosizione = nullptr;
    QLabel *panInfo = nullptr;
    PhotoBox *imgFoto = nullptr;
    PhotoBox *imgBianco = nullptr;
};
