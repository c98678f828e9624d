#pragma once

#include "storage/ArchiveError.h"
#include "storage/Result.h"

template <typename T> using ArchiveResult = Result<T, ArchiveError>;

/**
 * Runs `work` (calls into WarehouseArchive, PriceListFile or a rule that reads them) and hands back
 * what it returned, Done for nothing, or the ArchiveError that stopped it. The only place a window's
 * archive failure is caught.
 */
template <typename Work> auto archiveResult(Work &&work)
{
    using Value = std::invoke_result_t<Work &>;
    if constexpr (std::is_void_v<Value>) {
        try {
            work();
            return ArchiveResult<Done>(Done());
        } catch (const ArchiveError &failure) {
            return ArchiveResult<Done>(failure);
        }
    } else {
        try {
            return ArchiveResult<Value>(work());
        } catch (const ArchiveError &failure) {
            return ArchiveResult<Value>(failure);
        }
    }
}
