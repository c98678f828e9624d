#include "warehouse/Sottoscorta.h"

#include "warehouse/rules/CardFilter.h"

TfrmSottoscorta::TfrmSottoscorta(QWidget *owner)
    : WarehouseListWindow(owner,
        { QStringLiteral(" Materiali in esaurimento"), QStringLiteral("sottoscorta-banner"), LineLayout::Search,
            isUnderStock, QStringLiteral("Materiali in esaurimento") })
{ }

void TfrmSottoscorta::openFrom(QWidget *editor)
{
    TfrmSottoscorta window(editor);
    window.exec();
}
