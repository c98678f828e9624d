#pragma once

#include "report/engine/LabelReport.h"
#include "warehouse/rules/LabelCopies.h"
#include "widgets/DialogWindow.h"

#include <QList>

#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class LabelSheetView;

/**
 * The label window: price tags and shelf labels for the products it was opened with, on a sheet of
 * labels or a roll, with a live picture of the first sheet, the preview, the printer and a PDF file.
 */
class TfrmEtichette : public DialogWindow
{
    Q_OBJECT
public:
    /** The products to label, in order; `stockKnown` false when they carry no stock (price-list slots). */
    TfrmEtichette(QWidget *owner, const QList<LabelProduct> &products, bool stockKnown = true);

    /** Opens a fresh label window over `owner`, modally, and frees it when it closes. */
    static void showFor(QWidget *owner, const QList<LabelProduct> &products, bool stockKnown = true);

    /** The sheet as chosen now (a custom sheet as typed). */
    LabelSheet sheet() const;
    /** The labels to print, one entry per copy, and what the window says about the products left out. */
    struct Plan
    {
        QList<LabelProduct> labels;
        QStringList stockRefused; ///< products whose stock gives no number of labels
        QStringList noBarcode; ///< products whose code no barcode can carry
    };
    Plan plan() const;

    void btnAnteprimaClick();
    void btnStampaClick();
    void btnSalvaPdfClick();

private:
    void buildLayout();
    void loadSettings();
    /** Keeps the sheet and the options in Vetrinova.ini for the next time; a failure is only logged. */
    void saveSettings();
    void cboFoglioChange();
    /** Shows the chosen sheet's numbers, redraws the first sheet and says what will be printed. */
    void refresh();
    /** The labels prepared for printing, through the progress window; nothing when there are none or on Annulla. */
    std::optional<PreparedReport> prepare();
    LabelContents contents() const;
    LabelCopiesMode copiesMode() const;

    QList<LabelProduct> m_products;
    QList<bool> m_drawable; ///< per product, whether its code can be a barcode
    bool m_stockKnown;
    QList<LabelSheet> m_standard;
    bool m_refreshing = false;

    QComboBox *cboFoglio;
    QSpinBox *spnRighe;
    QSpinBox *spnColonne;
    QDoubleSpinBox *spnLarghezza;
    QDoubleSpinBox *spnAltezza;
    QDoubleSpinBox *spnMargineSx;
    QDoubleSpinBox *spnMargineSu;
    QDoubleSpinBox *spnSpazioOr;
    QDoubleSpinBox *spnSpazioVe;
    QSpinBox *spnInizio;
    QCheckBox *chkNome;
    QCheckBox *chkPrezzo;
    QCheckBox *chkCodice;
    QCheckBox *chkBarcode;
    QCheckBox *chkAspetto;
    QCheckBox *chkCategoria;
    QCheckBox *chkNegozio;
    QLineEdit *txtNegozio;
    QRadioButton *optUna;
    QRadioButton *optFisse;
    QSpinBox *spnCopie;
    QRadioButton *optGiacenza;
    QLabel *lblAvvisi;
    LabelSheetView *pvwFoglio;
    QLabel *panInfo;
};
