#include "warehouse/rules/Attention.h"

#include "storage/SchedaProdotto.h"
#include "warehouse/rules/CardFilter.h"

#include <QFileInfo>

AttentionCounts countAttention(const QDate &today)
{
    AttentionCounts counts;
    // Looking must not make the archive: that is the warehouse editor's first save.
    if (!QFileInfo::exists(warehousePath()))
        return counts;
    WarehouseArchive::forEachRaw([&](qint64, const char *record) {
        if (isUnderStock(record))
            ++counts.underStock;
        if (isOverdue(record, today))
            ++counts.overdue;
        return true;
    });
    return counts;
}
