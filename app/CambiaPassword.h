#pragma once

#include "widgets/FixedWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class HighlightRect;

/**
 * The change-password window. It alternates with the password window: opening it hides that
 * window, closing it (after a change or with "Chiudi") brings it back with an empty box.
 */
class TfrmCambiaPassword : public FixedWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmCambiaPassword)
public:
    TfrmCambiaPassword();

    QLineEdit *txtPasswordOld;
    QLineEdit *txtPasswordNew;
    QLineEdit *txtConferma;
    HighlightRect *effPasswordOld;
    HighlightRect *effPasswordNew;
    HighlightRect *effConferma;
    QPushButton *cmdEsci;
    QPushButton *cmdOK;

    void txtPasswordChange();
    void cmdOKClick();
    void cmdEsciClick();

protected:
    void formShow() override;
    void formClose() override;

private:
    void refuseNew(const QString &message);
};
