#include "warehouse/rules/CodeLookup.h"

#include "storage/Codepage.h"
#include "storage/StoredText.h"
#include "storage/TextField.h"

CodeLookup findCardByCode(const QString &code)
{
    CodeLookup found;
    const QString wanted = trimText(code);
    // A code the archive's code page cannot hold, or longer than the field, is on no card.
    if (wanted.isEmpty() || !fitsCp1252(wanted))
        return found;
    const QByteArray bytes = toCp1252(wanted);
    const int width = TSchedaProdotto::info(TSchedaProdotto::Codice).width;
    if (bytes.size() > width)
        return found;
    WarehouseArchive::forEachRaw([&](qint64 number, const char *record) {
        if (storedText(record + TSchedaProdotto::info(TSchedaProdotto::Codice).offset, width) == bytes) {
            found.number = number;
            found.card = TSchedaProdotto::load(record);
            ++found.matches;
        }
        return true;
    });
    return found;
}
