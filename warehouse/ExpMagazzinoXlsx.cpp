// The export window's workbook button: Magazzino.xlsx written from the grid, beside Magazzino.xls.
#include "warehouse/ExpMagazzino.h"

#include "app/Messages.h"
#include "app/OpenURL.h"
#include "app/PictureButton.h"
#include "warehouse/rules/WorkbookWriter.h"

#include <QApplication>

void TfrmExpMagazzino::addWorkbookButton(QWidget *panel)
{
    if (!WorkbookWriter::available())
        return;
    // The free space between Esporta and Guida.
    auto *cmdEsportaXlsx = new PictureButton(panel, QStringLiteral("cmdEsportaXlsx"), QStringLiteral("exp-xlsx"),
        QRect(618, 15, 49, 50), QStringLiteral("Esporta XLSX"),
        QStringLiteral("Esporta la tabella nella cartella di lavoro Magazzino.xlsx, con numeri e date come tali."));
    connect(cmdEsportaXlsx, &PictureButton::clicked, this, &TfrmExpMagazzino::cmdEsportaXlsxClick);
}

void TfrmExpMagazzino::cmdEsportaXlsxClick()
{
    const WarehouseSheet &sheet = committedSheet();
    const QString path = WorkbookWriter::exportPath();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = WorkbookWriter::write(path, sheet, sheetHeaders());
    QApplication::restoreOverrideCursor();
    if (!written) {
        Msg::error(this,
            QStringLiteral("Attenzione: il sistema non permette di scrivere il file Magazzino.xlsx.\n\n"
                           "Accertarsi che il file non sia gi\u00e0 aperto e che nella cartella del programma "
                           "ci sia spazio per scrivere. Il file precedente non \u00e8 stato modificato."));
        return;
    }
    if (Msg::confirm(this,
            QStringLiteral("La tabella \u00e8 stata esportata con successo nel file Magazzino.xlsx.\r\n\r\n"
                           "Si vuole aprire il file?")))
        TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}
