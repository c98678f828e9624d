#pragma once

#include <QLoggingCategory>

// The windows' logging categories (the storage room has its own in storage/Logging.h).

/** vetrinova.ui: the program's start and end, and what a window could not do. */
Q_DECLARE_LOGGING_CATEGORY(lcUi)
/** vetrinova.import: importing a product list. */
Q_DECLARE_LOGGING_CATEGORY(lcImport)
/** vetrinova.report: printing, previews and PDF files. */
Q_DECLARE_LOGGING_CATEGORY(lcReport)
