#pragma once

#include "storage/FileReplace.h"
#include "storage/PaginaListino.h"
#include "widgets/Workspace.h"

#include <QImage>

#include <array>

class QLabel;
class QLineEdit;
class PhotoBox;
class PictureButton;
struct TSchedaProdotto;

/**
 * The page editor of a price list: one A4 page of eight product slots A to H at a time, typed or
 * imported from the warehouse, with a photo each; saved as a new last page or over the page shown.
 */
class TfrmListinoPrezzi : public Workspace
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmListinoPrezzi)
public:
    /** What the editor shows, as the print windows print it: the texts exactly as on screen. */
    struct PageState
    {
        QString file; ///< the list's path, trimmed
        QString title; ///< the list's name as shown
        QString position; ///< the page number as shown; empty for a new page
        TPaginaListino boxes; ///< the eight slots' boxes
        std::array<QImage, TPaginaListino::SlotCount> photos;
        QImage blank; ///< the picture of a slot with no photo
    };

    TfrmListinoPrezzi();

    PageState pageState() const;
    /** Saves the page shown as Salva does, reporting a failure itself; true when the page is in the list. */
    bool save();
    /** Shows the list `path`, named `name` (its file name without ".lis"); the window is shown by the caller. */
    void openFile(const QString &path, const QString &name);
    /** Fills slot `slot` (A to H) from the warehouse card of record `number`, its photo included. */
    void fillSlot(QChar slot, const TSchedaProdotto &card, qint64 number);

    /** Shows saved page `page` again (after a change written by another window). */
    void showSavedPage(qint64 page);
    /** "Aggiorna dal magazzino", from the editor's context menu. */
    void cmdAggiornaClick();

    void cmdNuovoClick();
    void cmdSalvaClick();
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
    void loadWarehousePhoto(QChar slot);
    /**
     * Writes the eight slot photos of the page shown, under its number, except those whose file could
     * not be shown whole. A slot that fails keeps its picture and its old file; the first failure's reason.
     */
    WriteError savePagePhotos();
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
