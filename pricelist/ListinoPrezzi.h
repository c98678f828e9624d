#pragma once

#include "widgets/Workspace.h"

#include <QImage>

#include <array>

class QLabel;
class QLineEdit;
class PhotoBox;
class PictureButton;
struct TPaginaListino;

/**
 * The page editor of a price list: one A4 page of eight product slots A to H at a time, typed or
 * imported from the warehouse, with a photo each; saved as a new last page or over the page shown.
 */
class TfrmListinoPrezzi : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmListinoPrezzi)
public:
    TfrmListinoPrezzi();

    void cmdNuovoClick();
    // Invokable: the print windows save the page before printing the whole list.
    Q_INVOKABLE void cmdSalvaClick();
    void cmdPrimoClick();
    void cmdIndietroClick();
    void cmdAvantiClick();
    void cmdUltimoClick();
    void cmdAnteprimaClick();
    void cmdStampaClick();
    void cmdGuidaClick();
    void cmdEsciClick();
    /** Click on a slot photo: choose a picture file for it. */
    void imgFotoClick(QChar slot);
    /** Click on a slot's import arrow: fill the slot from the warehouse. */
    void impProdottoClick(QChar slot);

    /** Loads the photo of the warehouse card named by lblRecord into the slot (the blank one if none). */
    Q_INVOKABLE void loadWarehousePhoto(QChar slot);
    /**
     * Writes the eight slot photos of the page shown, under its number, except those whose file could
     * not be shown whole. A slot that fails keeps its picture and its old file; false when any failed.
     */
    [[nodiscard]] bool savePagePhotos();
    /** Loads the eight slot photos of the page shown; a slot whose file is missing or unreadable shows blank. */
    void loadPagePhotos();
    /**
     * Writes the eight print thumbnails from the slot pictures, then loads them back into the slots.
     * Each pass stops at its first failure; a slot whose thumbnail was not written keeps its picture.
     */
    void writeThumbnails();

    /** The blank picture of imgBianco. */
    QImage blankPicture() const;

protected:
    void formShow() override;

private:
    struct Slot
    {
        PhotoBox *imgFoto;
        PictureButton *impProdotto;
        QLineEdit *txtNome;
        QLineEdit *txtUM;
        QLineEdit *txtCaratteristiche;
        QLineEdit *txtCodice;
        QLineEdit *txtPrezzo;
    };
    enum class Move { First, Previous, Next, Last };

    void buildToolbar(QWidget *pan);
    void buildSlot(QWidget *pan, int index);
    void navigate(Move move);
    TPaginaListino pageFromBoxes() const;
    void showPage(const TPaginaListino &page, qint64 number);
    /** The page number shown, 0 for a new page. */
    qint64 shownPage() const;
    QString title() const;
    void setSlotPicture(int slot, const QImage &picture);
    int slotIndex(QChar slot) const;

    // The windows opened from the editor.
    void showPreview();
    void showPrint();
    void showImport(QChar slot);

    std::array<Slot, 8> m_slots {};
    QLabel *lblFile;
    QLabel *lblNome;
    QLabel *lblPosizione;
    QLabel *lblRecord;
    QLabel *panInfo;
    PhotoBox *imgBianco;
};
