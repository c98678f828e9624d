#include "storage/Logging.h"

Q_LOGGING_CATEGORY(lcStorage, "vetrinova.storage")
Q_LOGGING_CATEGORY(lcCopy, "vetrinova.copy")
