#pragma once

// The options of an import of `path` as the window would start it: its detected format and the
// columns matched from its first row.

#include "warehouse/rules/ImportRun.h"

inline ImportRun::Options importOptionsFor(const QString &path)
{
    ImportRun::Options o;
    o.path = path;
    o.format = ImportSource::detect(path);
    ImportError error;
    const auto reader = ImportSource::open(path, o.format, &error);
    QStringList header;
    if (reader)
        reader->next(header);
    o.mapping = ImportRules::guessMapping(header);
    return o;
}
