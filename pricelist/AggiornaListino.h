#pragma once

#include "pricelist/rules/ListUpdate.h"
#include "widgets/DialogWindow.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class TfrmListinoPrezzi;

/**
 * "Aggiorna dal magazzino": the differences between a price list and the warehouse cards with the
 * same codes, one row each with a check box; Applica writes the checked ones, and the last update of
 * the list can be undone from here while nothing else has changed the list.
 */
class TfrmAggiornaListino : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAggiornaListino)
public:
    /** For the list `path` named `title`; `editor`, when given, shows a page of it and is kept in step. */
    TfrmAggiornaListino(QWidget *owner, const QString &path, const QString &title, TfrmListinoPrezzi *editor);

    /** Compares the list the page editor shows with the cards and opens the window. */
    static void openFrom(TfrmListinoPrezzi *editor);
    /**
     * Before a pass that may rewrite the page the editor shows: edits of that page not saved yet are saved
     * (Sì), given up (No) or the update is not started (Annulla, or a save that failed). False: do not start.
     */
    static bool settleShownPage(TfrmListinoPrezzi *editor);
    /** The same for a list by title (after a price change), with no editor to keep in step. */
    static void openForList(QWidget *owner, const QString &title);

    /** Compares again and fills the table; false when the files could not be read (reported). */
    bool compare();

    void cmdApplicaClick();
    void cmdAnnullaAggiornamentoClick();
    void cmdChiudiClick();

private:
    void fill();
    void afterChange(const std::vector<qint64> &pages);
    void showUndo();

    QString m_path;
    QString m_title;
    TfrmListinoPrezzi *m_editor;
    ListUpdate::Differences m_differences;
    QLabel *lblRiepilogo;
    QTableWidget *tblDifferenze;
    QLabel *lblMancanti;
    QListWidget *lstMancanti;
    QPushButton *cmdApplica;
    QPushButton *cmdAnnullaAggiornamento;
    QPushButton *cmdChiudi;
    QLabel *panInfo;
};
