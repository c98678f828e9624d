#pragma once

#include "widgets/DialogWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

/**
 * Adds a quantity to, or subtracts it from, the stock of the card on the editor. Which of the two
 * is the text of lblAggiunta; the result goes straight into the opener's txtGiacenza.
 */
class TfrmGiacenza : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmGiacenza)
public:
    explicit TfrmGiacenza(QWidget *owner);

    static QString addText();
    static QString subtractText();

private:
    void btnTotaleClick();
    void btnAggiornaClick();
    void btnChiudiClick();
    void calculateTotal();
    /** The keys of the two quantity boxes; true discards the key. */
    static bool quantityKey(QLineEdit *box, int key, const QString &text);

    QLineEdit *txtGiacenza;
    QLabel *lblAggiunta;
    QLineEdit *txtAggiunta;
    QPushButton *btnTotale;
    QLineEdit *txtTotale;
    QPushButton *btnAggiorna;
    QPushButton *btnChiudi;
};
