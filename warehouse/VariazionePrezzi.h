#pragma once

#include "warehouse/rules/PriceChangeRun.h"
#include "widgets/DialogWindow.h"

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class PricePreviewModel;

/**
 * "Variazione prezzi…": a change of the selling price or the cost of the cards a search or a list
 * found, by a percentage or an amount, with its rounding; a preview card by card, then one pass over
 * the archive, and the undo of the last change while nothing else has changed the cards.
 */
class TfrmVariazionePrezzi : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmVariazionePrezzi)
public:
    /** For the cards of `records` (numbers from 1). */
    TfrmVariazionePrezzi(QWidget *owner, std::vector<qint64> records);

    /** Opens the window for the cards a result list shows. */
    static void openFor(QWidget *owner, std::vector<qint64> records);

    /** The change the window's controls describe; nothing when the value typed is not a number. */
    std::optional<PriceChange> change() const;

    void cmdAnteprimaClick();
    void cmdApplicaClick();
    void cmdAnnullaVariazioneClick();
    void cmdChiudiClick();

private:
    QString describe(const PriceChange &change) const;
    void showUndo();

    std::vector<qint64> m_records;
    QRadioButton *optPrezzo;
    QRadioButton *optCosto;
    QRadioButton *optPercentuale;
    QRadioButton *optImporto;
    QRadioButton *optAumento;
    QRadioButton *optRiduzione;
    QLineEdit *txtValore;
    QComboBox *cboArrotondamento;
    QPushButton *cmdAnteprima;
    QTableView *tblAnteprima;
    PricePreviewModel *m_model;
    QLabel *lblRiepilogo;
    QPushButton *cmdApplica;
    QPushButton *cmdAnnullaVariazione;
    QPushButton *cmdChiudi;
    QLabel *panInfo;
};
