#include "widgets/Logging.h"

Q_LOGGING_CATEGORY(lcUi, "vetrinova.ui")
Q_LOGGING_CATEGORY(lcImport, "vetrinova.import")
Q_LOGGING_CATEGORY(lcReport, "vetrinova.report")
