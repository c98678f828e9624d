#pragma once

#include <QLoggingCategory>

// The storage room's logging categories. A failed step is logged where it is raised, with its
// reason; the log file (LogFile) keeps those lines for a shop to send.

/** vetrinova.storage: archives, whole-file writes, the journal. */
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
/** vetrinova.copy: safety copies and restores. */
Q_DECLARE_LOGGING_CATEGORY(lcCopy)
