#include "warehouse/WarehouseListWindow.h"

#include "storage/ArchiveResult.h"
#include "storage/SchedaProdotto.h"
#include "warehouse/LabelEntries.h"
#include "warehouse/Magazzino.h"
#include "warehouse/ResultList.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"
#include "widgets/WindowSet.h"

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
    LabelEntries::addToResults(m_results);
    connect(m_results, &ResultPanel::recordChosen, this, &WarehouseListWindow::lstRecordsDblClick);
    connect(m_results, &ResultPanel::closeRequested, this, &QDialog::reject);
}

void WarehouseListWindow::formShow()
{
    m_results->resetFind();
    ResultLines entries;
    const ArchiveResult<Done> read = archiveResult([&] { collectResults(entries, m_kind.layout, m_kind.listed); });
    // An unreadable archive gives the list read so far, without a word; one held by another copy
    // of the program says so, or the list would look empty.
    if (!read)
        Msg::archiveBusy(this, read.error());
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
    const ArchiveResult<TSchedaProdotto> card = archiveResult([record] { return WarehouseArchive::read(record); });
    if (card)
        WindowSet::instance<TfrmMagazzino>()->fillFromRecord(*card, record);
    // The window closes without a word and the editor keeps its card, unless the archive is busy.
    else if (Msg::archiveBusy(this, card.error()))
        return;
    accept();
}
