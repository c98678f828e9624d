// The record and page readers take whatever bytes a damaged file holds.
#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    std::vector<char> card(TSchedaProdotto::RecordSize, '\0');
    std::memcpy(card.data(), data, std::min<size_t>(size, card.size()));
    const TSchedaProdotto c = TSchedaProdotto::load(card.data());
    for (int i = 0; i < TSchedaProdotto::FieldCount; ++i)
        if (c.values[i].size() > TSchedaProdotto::layout()[i].width)
            __builtin_trap();
    // Writing what was read and reading it again gives the same card.
    std::vector<char> again(TSchedaProdotto::RecordSize, '\0');
    c.store(again.data());
    if (TSchedaProdotto::load(again.data()).values != c.values)
        __builtin_trap();

    std::vector<char> page(TPaginaListino::RecordSize, '\0');
    std::memcpy(page.data(), data, std::min<size_t>(size, page.size()));
    const TPaginaListino p = TPaginaListino::load(page.data());
    for (const TVoceListino &v : p.voci)
        for (int f = 0; f < TVoceListino::FieldCount; ++f)
            if (v.values[f].size() > TVoceListino::layout()[f].width)
                __builtin_trap();
    return 0;
}
