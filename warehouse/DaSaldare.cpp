#include "warehouse/DaSaldare.h"

#include "warehouse/rules/CardFilter.h"

TfrmDaSaldare::TfrmDaSaldare(QWidget *owner)
    : WarehouseListWindow(owner,
        { QStringLiteral(" Riepilogo pagamenti non saldati"), QStringLiteral("dasaldare-banner"), LineLayout::Unpaid,
            isUnpaid, QStringLiteral("Riepilogo pagamenti non saldati") })
{ }

void TfrmDaSaldare::openFrom(QWidget *editor)
{
    auto *window = new TfrmDaSaldare(editor);
    window->exec();
    delete window;
}
