#pragma once

#include "widgets/DialogWindow.h"

class QLabel;
class QTableView;
class WarehouseSheetModel;

/**
 * The spreadsheet export: the whole warehouse in a grid, a few columns editable in place, written
 * to Magazzino.xls on request. Edits change the grid and the file, never the archive.
 */
class TfrmExpMagazzino : public DialogWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmExpMagazzino)
public:
    explicit TfrmExpMagazzino(QWidget *owner);
    ~TfrmExpMagazzino() override;

    /** Opens the export over `owner` (the editor's btnEsportaClick), modally, and frees it. */
    static void showExport(QWidget *owner);

    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsciClick();

protected:
    void formShow() override;

private:
    WarehouseSheetModel *m_model;
    QTableView *m_grdRecords;
    QLabel *m_panInfo;
};
