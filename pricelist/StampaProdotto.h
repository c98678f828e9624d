#pragma once

#include "report/engine/ReportTemplate.h"
#include "widgets/DialogWindow.h"

class TfrmListinoPrezzi;
class WholeListChoice;

/**
 * The print and preview windows of a price-list page. They are twins: both fill repDocumento from
 * the page editor's page as it is on screen, and differ only in their texts, their pictures
 * and their last step (print or preview).
 */
class PagePrintWindow : public DialogWindow
{
    Q_OBJECT
public:
    enum class Output { Print, Preview };

    /** `editor` is the page editor: the window's owner and what it prints. */
    PagePrintWindow(TfrmListinoPrezzi *editor, Output output);

    /** Fills the page (or every page of the list, when chosen), prints or previews it, and closes the window. */
    void btnStampaClick();
    /** Closes the window; nothing is printed. */
    void btnAnnullaClick();

protected:
    void formShow() override;

private:
    TfrmListinoPrezzi *m_editor;
    Output m_output;
    ReportTemplate m_repDocumento;
    WholeListChoice *m_scelta;
};

/** Prints the page shown in the page editor. */
class TfrmStampaProdotto : public PagePrintWindow
{
    Q_OBJECT
public:
    explicit TfrmStampaProdotto(TfrmListinoPrezzi *editor);
    /** Shows a fresh print window over `editor`, modally, and frees it when it closes. */
    static void openFrom(TfrmListinoPrezzi *editor);
};
