#include "warehouse/DaSaldare.h"

#include "storage/Clock.h"
#include "warehouse/rules/CardFilter.h"

namespace {
WarehouseListWindow::Kind kindOf(TfrmDaSaldare::Scope scope)
{
    if (scope == TfrmDaSaldare::Scope::Unpaid)
        return { QStringLiteral(" Riepilogo pagamenti non saldati"), QStringLiteral("dasaldare-banner"),
            LineLayout::Unpaid, isUnpaid, QStringLiteral("Riepilogo pagamenti non saldati") };
    const QDate today = Clock::today();
    return { QStringLiteral(" Riepilogo pagamenti scaduti"), QStringLiteral("dasaldare-banner"), LineLayout::Unpaid,
        [today](const char *record) { return isOverdue(record, today); },
        QStringLiteral("Riepilogo pagamenti scaduti") };
}
} // namespace

TfrmDaSaldare::TfrmDaSaldare(QWidget *owner, Scope scope)
    : WarehouseListWindow(owner, kindOf(scope))
{ }

void TfrmDaSaldare::openFrom(QWidget *editor, Scope scope)
{
    TfrmDaSaldare window(editor, scope);
    window.exec();
}
