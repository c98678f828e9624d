#pragma once

#include "storage/Movements.h"
#include "widgets/DialogWindow.h"

#include <QStringList>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class MovementTable;

/**
 * The journal of movements in three views, twins of one window that differ by a small table of texts:
 * a card's history (newest first, with the stock after each movement), the movements of a period with
 * each product's totals in and out, and the stock value at a date ("Inventario al ..."). Each view can
 * be printed or saved as PDF through the preview; the period and the inventory also as .xlsx.
 */
class TfrmMovimenti : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMovimenti)
public:
    enum class View { Card, Period, Inventory };

    /** The history of card `number` (its code and name, and its stock now, as on the editor). */
    static void showCard(QWidget *owner, qint64 number, const QString &code, const QString &name, double stock);
    /** The movements of a period, proposing the current month. */
    static void showPeriod(QWidget *owner);
    /** The stock value at a date, proposing the end of last year. */
    static void showInventory(QWidget *owner);

    TfrmMovimenti(QWidget *owner, View view);
    ~TfrmMovimenti() override;

    /** Fills the view from the journal: what cmdMostra does, and what opening a card's history does. */
    void cmdMostraClick();

private:
    void buildLayout();
    void cmdStampaClick();
    void cmdEsportaXlsxClick();
    void cmdRicreaClick();
    void pickDate(QLineEdit *box);
    /** Shows `problem` in lblStato and offers to rebuild the journal when it is damaged. */
    void showProblem(Movements::Problem problem);
    /** The rows of the shown table as fixed-width lines for the list print. */
    QStringList printLines() const;

    View m_view;
    qint64 m_card = 0;
    QString m_cardTitle;
    double m_cardStock = 0;

    QLabel *lblTitolo = nullptr;
    QLineEdit *txtDal = nullptr;
    QLineEdit *txtAl = nullptr;
    QLineEdit *txtCategoria = nullptr;
    QLineEdit *txtDitta = nullptr;
    QPushButton *cmdMostra = nullptr;
    QTabWidget *tabViste = nullptr;
    QTableView *grdMovimenti = nullptr;
    QTableView *grdTotali = nullptr;
    QLabel *lblTotale = nullptr;
    QLabel *lblStato = nullptr;
    QPushButton *cmdStampa = nullptr;
    QPushButton *cmdEsportaXlsx = nullptr;
    QPushButton *cmdRicrea = nullptr;
    QPushButton *cmdChiudi = nullptr;
    MovementTable *m_rows = nullptr;
    MovementTable *m_totals = nullptr;
};
