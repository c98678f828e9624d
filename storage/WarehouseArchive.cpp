#include "storage/ProgramFolder.h"
#include "storage/RecordFile.h"
#include "storage/SchedaProdotto.h"

// Magazzino.pro one call at a time: each opens the file, works under its lock and closes it.

QString warehousePath()
{
    return programPath(QStringLiteral("Magazzino.pro"));
}

qint64 WarehouseArchive::count()
{
    return RecordFile<TSchedaProdotto>::count(warehousePath());
}

TSchedaProdotto WarehouseArchive::read(qint64 n)
{
    return RecordFile<TSchedaProdotto>::read(warehousePath(), n);
}

void WarehouseArchive::overwrite(qint64 n, const TSchedaProdotto &card)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize);
    if (n < 1 || n > file.count())
        throw ArchiveError("record out of range");
    RecordFile<TSchedaProdotto>::writeInto(file, n - 1, card);
    file.close();
}

qint64 WarehouseArchive::append(const TSchedaProdotto &card, qint64 *written)
{
    return RecordFile<TSchedaProdotto>::append(warehousePath(), card, written);
}

WarehouseArchive::Chosen WarehouseArchive::readChosen(const std::function<qint64(qint64)> &choose)
{
    const auto found = RecordFile<TSchedaProdotto>::readChosen(warehousePath(), choose);
    return { found.count, found.number, found.record };
}

void WarehouseArchive::forEachRawImpl(const std::function<bool(qint64, const char *)> &visit)
{
    ArchiveFile file(warehousePath(), TSchedaProdotto::RecordSize, ArchiveFile::Access::Read);
    // A long pass (a count, a search, an export) never keeps the user's own save waiting.
    RecordFile<TSchedaProdotto>::forEachRecord(file, visit, true);
    file.close();
}
