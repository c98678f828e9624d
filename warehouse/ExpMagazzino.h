#pragma once

#include "widgets/DialogWindow.h"

class QLabel;
class QTableView;
class WarehouseSheet;
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
    /** Writes Magazzino.xlsx from the grid (cmdEsportaXlsx, present when the build can write workbooks). */
    void cmdEsportaXlsxClick();

protected:
    void formShow() override;

private:
    /** The grid's sheet, with an edit still open in a cell taken in first. */
    const WarehouseSheet &committedSheet();
    /** The headers of the sheet's seventeen columns, as the grid shows them. */
    static QStringList sheetHeaders();
    void addWorkbookButton(QWidget *panel);

    WarehouseSheetModel *m_model;
    QTableView *m_grdRecords;
    QLabel *m_panInfo;
};
