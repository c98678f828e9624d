#pragma once

#include "widgets/DialogWindow.h"

/** The credits, with a link to the maker's web site. */
class TfrmSplash : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmSplash)
public:
    explicit TfrmSplash(QWidget *owner);

    /** Opens the window over `owner`, modally, and frees it when it closes. */
    static void showCredits(QWidget *owner);

    void btnChiudiClick();
    void lnkWebClick();
};
