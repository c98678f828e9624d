#pragma once

#include "report/engine/ProductCardReport.h"
#include "report/engine/ReportTemplate.h"
#include "widgets/DialogWindow.h"

class PhotoBox;
class QLabel;
class QRadioButton;
class TfrmMagazzino;
struct TSchedaProdotto;

/**
 * The print and preview windows of a product card. They are twins: both fill the card with or
 * without its photo from the card in the warehouse editor as it is on screen, and differ only in
 * their texts, their picture and their last step (print or preview).
 */
class CardPrintWindow : public DialogWindow
{
    Q_OBJECT
public:
    enum class Output { Print, Preview };

    /** `editor` is the warehouse editor: the window's owner and where every printed value is read. */
    CardPrintWindow(TfrmMagazzino *editor, Output output);

    void optUnoClick();
    void optDueClick();
    /**
     * Prints or previews the card in the chosen layout and closes the window. A stock or cost that is
     * not a number is reported as an error: nothing is printed and the window stays open.
     */
    void btnStampaClick();
    /** Closes the window; nothing is printed. */
    void btnAnnullaClick();

    /** The values a card print fills from `card`, texts as they are (the photo is left to the caller). */
    static ProductCardValues cardValues(const TSchedaProdotto &card);
    /** The small folder picture of the card print's top left. */
    static QImage folderIcon();

protected:
    void formShow() override;

private:
    void copyEditorPhoto();

    TfrmMagazzino *m_editor;
    Output m_output;
    QLabel *m_memory;
    PhotoBox *m_logo;
    PhotoBox *m_bianco;
    QRadioButton *m_uno;
    QRadioButton *m_due;
    ReportTemplate m_repFoto;
    ReportTemplate m_repScheda;
};

/** Prints the card shown in the warehouse editor. */
class TfrmStampaMag : public CardPrintWindow
{
    Q_OBJECT
public:
    explicit TfrmStampaMag(TfrmMagazzino *editor);
    /** Shows a fresh print window over `editor`, modally, and frees it when it closes. */
    static void openFrom(TfrmMagazzino *editor);
};
