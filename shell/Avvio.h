#pragma once

#include "warehouse/rules/Attention.h"
#include "widgets/Workspace.h"

#include <optional>

class PictureButton;
class QPushButton;
class QThread;

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
    ~TfrmAvvio() override;

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
    /** Writes a safety copy of the program folder where the user chooses. */
    void imgCopiaClick();
    /** Puts a safety copy back in place of the program files, after confirmation. */
    void imgRipristinaClick();
    /** The import of product cards from a spreadsheet or text file (TfrmImportaSchede). */
    void imgImportaClick();
    /** The under-stock badge: the warehouse editor, with its under-stock list open (TfrmSottoscorta). */
    void btnAvvisoSottoscortaClick();
    /** The overdue badge: the warehouse editor, with the list of overdue payments open (TfrmDaSaldare). */
    void btnAvvisoScadutiClick();
    /**
     * Whether the start window counts the cards at all (on unless set). Tests of other windows turn it off,
     * so that no read of the archive but their own meets their injected faults and locks.
     */
    static void setCountsAttention(bool on);
    /** True while the cards are being counted for the badges. */
    bool countingAttention() const { return m_counter != nullptr; }

signals:
    /** The badges show the count just ended (tests wait for it). */
    void attentionCounted();

protected:
    void formShow() override;
    void formClose() override;
    void paintEvent(QPaintEvent *event) override;

private:
    /** Counts the cards that need attention on another thread; the badges follow when it is done. */
    void startAttentionCount();
    /** Shows each badge with its count, hidden when the count is zero or unknown (nullopt). */
    void showAttention(const std::optional<AttentionCounts> &counts);

    QPushButton *btnAvvisoSottoscorta;
    QPushButton *btnAvvisoScaduti;
    QThread *m_counter = nullptr;
    bool m_countAfterPaint = false;
    bool m_countAgain = false;
};
