#pragma once

#include "warehouse/rules/ImportRun.h"
#include "widgets/DialogWindow.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class Job;

/**
 * Brings an existing product list in: a text file, a workbook or the program's own export. Shows how
 * the file is read and its first rows, the column each card field takes, the rows the card's rules
 * would refuse or cut, and writes only when the user confirms.
 */
class TfrmImportaSchede : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmImportaSchede)
public:
    explicit TfrmImportaSchede(QWidget *owner);

    /** Opens the window over `owner` and waits until it closes. */
    static void showFor(QWidget *owner);

    /** Loads `path` as if chosen with Scegli file. */
    void loadFile(const QString &path);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void btnScegliFileClick();
    void btnCartellaFotoClick();
    void btnVerificaClick();
    void btnImportaClick();
    void btnSalvaRapportoClick();
    void btnGuidaClick();

    /**
     * Reads the first rows again with the format on screen; `guess` finds the header row and maps the
     * fields from its headers.
     */
    void reloadPreview(bool guess);
    /** Offers the columns under the chosen header row's names; `guess` maps the fields from them. */
    void mapColumns(bool guess);
    /**
     * Shows the first rows as they will be stored: titles above the header greyed, each mapped cell of a
     * product row with the card's text, a refused row tinted with its reason.
     */
    void showPreview();
    /** The paths in their boxes, cut in the middle when they are too long for them. */
    void showPaths();
    /** Widens the column of the field choices so that each shows its whole text. */
    void fitColumnChoices();
    ImportRun::Options options() const;
    /** Something changed after a check: a new check is needed before importing. */
    void invalidate();
    /** The import's progress shown in the program's one progress window, whose Annulla stops it. */
    static ImportRun::Progress progressIn(Job &job, const QString &what);

    QString m_path;
    ImportSource::Format m_format;
    bool m_loading = false;
    QString m_report;
    QString m_photoFolder;
    QList<QStringList> m_rows; ///< the first rows of the file, as read

    QLineEdit *txtFile;
    QLabel *lblTipo;
    QComboBox *cboSeparatore;
    QComboBox *cboCodifica;
    QComboBox *cboFoglio;
    QCheckBox *chkIntestazioni;
    QSpinBox *spnIntestazioni;
    QTableWidget *tblAnteprima;
    QTableWidget *tblCampi;
    std::array<QComboBox *, TSchedaProdotto::FieldCount> m_columns {};
    QCheckBox *chkAggiorna;
    QLineEdit *txtCartellaFoto;
    QPlainTextEdit *txtRapporto;
    QPushButton *btnVerifica;
    QPushButton *btnImporta;
    QPushButton *btnSalvaRapporto;
    QPushButton *btnScegliFile;
    QPushButton *btnCartellaFoto;
    QPushButton *btnGuida;
    QPushButton *btnChiudi;
    QLabel *panInfo;
};
