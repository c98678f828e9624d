#pragma once

#include "widgets/DialogWindow.h"

/** About the program, with a link that writes a mail to the maker. */
class TfrmInfo : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmInfo)
public:
    explicit TfrmInfo(QWidget *owner);

    /** Opens the window over `owner`, modally, and frees it when it closes (imgInfoClick). */
    static void showInfo(QWidget *owner);

    void btnChiudiClick();
    void lnkWebClick();
};
