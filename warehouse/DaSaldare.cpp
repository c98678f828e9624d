#include "warehouse/DaSaldare.h"

#include "warehouse/rules/CardFilter.h"

TfrmDaSaldare::TfrmDaSaldare(QWidget *owner)
    : WarehouseListWindow(owner,
        { QStringLiteral(" Riepilogo pagamenti non saldati"), QStringLiteral("dasaldare-banner"), LineLayout::Unpaid,
            isUnpaid, QStringLiteral("Riepilogo pagamenti non saldati") })
{ }

void TfrmDaSaldare::openFrom(QWidget *editor)
{
    TfrmDaSaldare window(editor);
    window.exec();
}
