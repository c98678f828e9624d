#include "warehouse/WarehouseListWindow.h"

#include "widgets/WindowSet.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "storage/ArchiveError.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {
const QSize kClient(862, 560);
const QSize kPanel(833, 529);
} // namespace

WarehouseListWindow::WarehouseListWindow(QWidget *owner, const Kind &kind)
    : DialogWindow(owner, kind.caption, kClient, Qt::black, Qt::white)
    , m_kind(kind)
{
    setFont(verdana());
    const QRect panel((kClient.width() - kPanel.width()) / 2, (kClient.height() - kPanel.height()) / 2, kPanel.width(),
        kPanel.height());
    m_results = new ResultPanel(this, panel, kind.banner, false);
    m_results->setReportTitle(kind.reportTitle);
    connect(m_results, &ResultPanel::recordChosen, this, &WarehouseListWindow::lstRecordsDblClick);
    connect(m_results, &ResultPanel::closeRequested, this, &QDialog::reject);
}

void WarehouseListWindow::formShow()
{
    m_results->resetFind();
    std::vector<ResultEntry> entries;
    try {
        collectResults(entries, m_kind.layout, m_kind.listed);
    } catch (const ArchiveError &e) {
        // An unreadable archive gives the list read so far, without a word; one held by another copy
        // of the program says so, or the list would look empty.
        Msg::archiveBusy(this, e);
    }
    m_results->showEntries(std::move(entries));
    m_results->findBox()->setFocus(Qt::OtherFocusReason);
}

void WarehouseListWindow::done(int result)
{
    m_results->model()->clear();
    DialogWindow::done(result);
}

void WarehouseListWindow::keyPressEvent(QKeyEvent *event)
{
    if (!pressFocusedButton(this, event->key()))
        DialogWindow::keyPressEvent(event);
}

void WarehouseListWindow::lstRecordsDblClick(qint64 record)
{
    try {
        WindowSet::instance<TfrmMagazzino>()->fillFromRecord(WarehouseArchive::read(record), record);
    } catch (const ArchiveError &e) {
        // The window closes without a word and the editor keeps its card, unless the archive is busy.
        if (Msg::archiveBusy(this, e))
            return;
    }
    accept();
}
