#pragma once

#include "storage/platform/Faults.h"

#include <QMetaType>

#include <string>

// The ways a disk fails a whole-file write, as tests arm them at the fault seam.
enum class DiskFault {
    Write, ///< a write stores nothing, as on a full disk
    ShortWrite, ///< a write stores half its bytes, as on a disk that fills up mid-way
    Flush, ///< the flush to the disk fails
    Rename ///< the rename over the old file fails
};
Q_DECLARE_METATYPE(DiskFault)
Q_DECLARE_METATYPE(Os::Faults::Kind)
Q_DECLARE_METATYPE(Os::Error)

/** The `call`-th such failure, on files whose path contains `path` (any when empty). */
inline Os::Faults::Fault diskFault(DiskFault fault, int call = 1, std::string path = {})
{
    using Os::Faults::Kind;
    Os::Faults::Fault f;
    f.kind = fault == DiskFault::Flush ? Kind::Sync : fault == DiskFault::Rename ? Kind::Rename : Kind::Write;
    f.call = call;
    f.partial = fault == DiskFault::ShortWrite;
    f.path = std::move(path);
    return f;
}
