#pragma once

#include "widgets/DialogWindow.h"

#include <functional>

class QLabel;
class QLineEdit;
struct TSchedaProdotto;

/**
 * "Cerca codice": a box for an article code typed or read by a barcode scanner (which types the code
 * and Enter). Enter finds the card whose code equals it and hands it to the caller, which closes the
 * window; a code no card has is said in the window, and the box is ready for the next one.
 */
class TfrmCercaCodice : public DialogWindow
{
    Q_OBJECT
public:
    using Found = std::function<void(const TSchedaProdotto &card, qint64 number)>;

    TfrmCercaCodice(QWidget *owner, Found found);

    /** Opens a fresh window over `owner`, modally, that gives the card found to `found`. */
    static void openFrom(QWidget *owner, Found found);

    void btnCercaClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    Found m_found;
    QLineEdit *txtCercaCodice;
    QLabel *lblEsito;
};
