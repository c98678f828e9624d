#include "storage/SchedaProdotto.h"

#include "storage/TextField.h"

const std::array<TSchedaProdotto::FieldInfo, TSchedaProdotto::FieldCount> &TSchedaProdotto::layout()
{
    static const std::array<FieldInfo, FieldCount> fields = { {
        { "Codice", 0, 25 },
        { "Costo", 26, 12 },
        { "Nome", 39, 50 },
        { "Giacenza", 90, 4 },
        { "Avviso", 95, 3 },
        { "UM", 99, 120 },
        { "Tipologia", 220, 50 },
        { "Caratteristiche", 271, 250 },
        { "Collocazione", 522, 50 },
        { "Ditta", 573, 50 },
        { "Agente", 624, 50 },
        { "Recapito", 675, 30 },
        { "Documento", 706, 50 },
        { "Pagamento", 757, 50 },
        { "DataSca", 808, 10 },
        { "Note", 819, 250 },
        { "Prezzo", 1070, 12 },
        { "Pagato", 1083, 2 },
        { "File01", 1086, 250 },
        { "File02", 1337, 250 },
        { "File03", 1588, 250 },
        { "Desc01", 1839, 250 },
        { "Desc02", 2090, 250 },
        { "Desc03", 2341, 250 },
    } };
    return fields;
}

QString TSchedaProdotto::paidText(bool paid)
{
    return paid ? QStringLiteral("S\u00ec") : QStringLiteral("No");
}

void TSchedaProdotto::store(char *record) const
{
    for (int i = 0; i < FieldCount; ++i) {
        const FieldInfo &f = layout()[i];
        writeTextField(record + f.offset, f.width, values[i]);
    }
}

TSchedaProdotto TSchedaProdotto::load(const char *record)
{
    TSchedaProdotto card;
    for (int i = 0; i < FieldCount; ++i) {
        const FieldInfo &f = layout()[i];
        card.values[i] = readTextField(record + f.offset, f.width);
    }
    return card;
}
