// The export window's workbook button: Magazzino.xlsx written from the grid, beside Magazzino.xls.
#include "warehouse/ExpMagazzino.h"

#include "app/rules/Picture.h"
#include "storage/FieldRules.h"
#include "storage/ProgramFolder.h"
#include "warehouse/rules/WorkbookWriter.h"
#include "widgets/Messages.h"
#include "widgets/OpenURL.h"
#include "widgets/PictureButton.h"
#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QCheckBox>

namespace {
/** Why Magazzino.xlsx was not written, in the words the user can act on. */
QString workbookNotWritten(WriteError why)
{
    switch (why) {
    case WriteError::LinkOutside:
        return Msg::linkOutsideMessage(QStringLiteral("Magazzino.xlsx"));
    case WriteError::Busy:
        return QStringLiteral("Attenzione: il file Magazzino.xlsx \u00e8 aperto in un altro programma e non pu\u00f2 "
                              "essere sostituito.\n\nChiudere il file e ripetere l'esportazione. Il file precedente "
                              "non \u00e8 stato modificato.");
    case WriteError::NameRefused:
        return QStringLiteral("Attenzione: il file Magazzino.xlsx non pu\u00f2 essere scritto: nella cartella del "
                              "programma al suo posto c'\u00e8 una cartella, oppure il disco non accetta il nome.");
    default:
        return QStringLiteral("Attenzione: il sistema non permette di scrivere il file Magazzino.xlsx.\n\n"
                              "Accertarsi che il file non sia gi\u00e0 aperto e che nella cartella del programma "
                              "ci sia spazio per scrivere. Il file precedente non \u00e8 stato modificato.");
    }
}
} // namespace

void TfrmExpMagazzino::addWorkbookButton(QWidget *panel)
{
    if (!WorkbookWriter::available())
        return;
    // The free space between Esporta and Guida.
    auto *cmdEsportaXlsx = new PictureButton(panel, QStringLiteral("cmdEsportaXlsx"), QStringLiteral("exp-xlsx"),
        QRect(618, 15, 49, 50), QStringLiteral("Esporta XLSX"),
        QStringLiteral("Esporta la tabella nella cartella di lavoro Magazzino.xlsx, con numeri e date come tali."));
    connect(cmdEsportaXlsx, &PictureButton::clicked, this, &TfrmExpMagazzino::cmdEsportaXlsxClick);

    // The option for the workbook sits in the free space between Guida and Esci, on their captions' line
    // and in their letters: the title picture keeps its whole rectangle.
    auto *chkFoto = new QCheckBox(QStringLiteral("Foto"), panel);
    chkFoto->setObjectName(QStringLiteral("chkFoto"));
    chkFoto->setGeometry(QRect(722, 50, 44, 18));
    QFont caption(QStringLiteral("Arial"));
    caption.setPixelSize(11);
    caption.setBold(true);
    chkFoto->setFont(caption);
    chkFoto->setStyleSheet(QStringLiteral("QCheckBox { color: #1F3F66; spacing: 3px; }"));
    chkFoto->setCursor(Qt::PointingHandCursor);
    const QString hint = QStringLiteral("Aggiunge a Magazzino.xlsx una prima colonna con la foto di ogni scheda.");
    chkFoto->setProperty("statusText", hint);
    chkFoto->setToolTip(QStringLiteral("Includi le foto in Magazzino.xlsx"));
    chkFoto->setAccessibleName(QStringLiteral("Includi le foto"));
    chkFoto->setAccessibleDescription(hint);
}

void TfrmExpMagazzino::cmdEsportaXlsxClick()
{
    const WarehouseSheet &sheet = committedSheet();
    const QString path = WorkbookWriter::exportPath();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::function<QImage(qsizetype)> photo;
    if (auto *chkFoto = findChild<QCheckBox *>(QStringLiteral("chkFoto")); chkFoto && chkFoto->isChecked()) {
        // Row r holds card r + 1, whose photo is "r + 1".jpg; the loader bounds what one photo costs
        // and decodes it only as large as the thumbnail needs.
        const QSize shown(WorkbookWriter::ThumbnailWidth, WorkbookWriter::ThumbnailHeight);
        photo = [shown](qsizetype row) {
            return loadPictureFor(programPath(QString::number(row + 1) + QStringLiteral(".jpg")), shown);
        };
    }
    // A big warehouse, or photos, take a while: the progress window says how far it got, and Annulla
    // leaves the previous workbook as it was. The grid and the option were read above: the writing runs
    // on a worker and reads only the sheet, which no one can edit while the window is up.
    const QStringList headers = sheetHeaders();
    ProgressWindow progress(this, QStringLiteral("dlgEsportazione"), QStringLiteral(" Esportazione in Magazzino.xlsx"),
        QStringLiteral("Avanzamento dell'esportazione"));
    bool stopped = false;
    const qsizetype bigEnough = photo ? 50 : 20000;
    const WriteResult written = progress.run([&](Job &job) {
        return WorkbookWriter::write(path, sheet, headers, photo, [&](qsizetype done, qsizetype total) {
            if (total < bigEnough)
                return true;
            stopped = !job.step(done, total,
                QStringLiteral("Scrittura di Magazzino.xlsx: riga %1 di %2")
                    .arg(formatCount(done + 1), formatCount(total)));
            return !stopped;
        });
    });
    QApplication::restoreOverrideCursor();
    if (stopped)
        return;
    if (!written) {
        Msg::error(this, workbookNotWritten(written.error()));
        return;
    }
    if (Msg::confirm(this,
            QStringLiteral("La tabella \u00e8 stata esportata con successo nel file Magazzino.xlsx.\r\n\r\n"
                           "Si vuole aprire il file?")))
        TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}
