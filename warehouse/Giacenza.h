#pragma once

#include "widgets/DialogWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

/**
 * Adds a quantity to, or subtracts it from, the stock of the card on the editor. Which of the two
 * is the text of lblAggiunta; once accepted, total() is the new stock for the opener to show.
 */
class TfrmGiacenza : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmGiacenza)
public:
    explicit TfrmGiacenza(QWidget *owner);

    static QString addText();
    static QString subtractText();

    /** Starts from the card's `stock`, to add to it or (with `add` false) to subtract from it. */
    void setStock(const QString &stock, bool add);
    /** The resulting stock, trimmed. */
    QString total() const;

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
