#pragma once

#include "storage/platform/Os.h"

#include <QString>

// A save reported as done must survive a power cut a moment later: the file's data and, after a
// rename or a creation, its folder are flushed to the disk first.
namespace DiskSync {
/** Whether saves wait for the disk; on unless turned off to measure what it costs. */
void setEnabled(bool enabled);
bool enabled();

/** Flushes the data of an open file; true when done, or when the file system cannot (nothing to wait for). */
[[nodiscard]] bool file(Os::File file);
/** The same for a file Qt opened (QFileDevice::handle()). */
[[nodiscard]] bool qtFile(int handle);
/** Flushes the folder holding `path`, so a rename or a new name in it is on the disk. */
[[nodiscard]] bool folderOf(const QString &path);

/** How many flushes have been asked for since the start, for tests that check a save waits for them. */
int count();
} // namespace DiskSync
