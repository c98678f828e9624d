#pragma once

#include "widgets/FixedWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class HighlightRect;

/**
 * The access-password window, the program's main window and the only one shown at launch. The
 * correct password hands the screen to the start window; "Esci" or closing it ends the program.
 */
class TfrmPassword : public FixedWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmPassword)
public:
    TfrmPassword();

    QLineEdit *txtPassword;
    QPushButton *cmdOK;
    QPushButton *cmdEsci;
    QPushButton *btnCambiaPassword;
    HighlightRect *effPassword;
    QLabel *lblRigo05;

    void txtPasswordChange();
    void cmdOKClick();
    void cmdEsciClick();
    void btnCambiaPasswordClick();

protected:
    void formShow() override;
    void formClose() override;
};
