#pragma once

// The options of an import of `path` as the window would start it: its detected format, the header
// row found below any titles, and the columns matched from it.

#include "warehouse/rules/ImportRun.h"

inline ImportRun::Options importOptionsFor(const QString &path)
{
    ImportRun::Options o;
    o.path = path;
    o.format = ImportSource::detect(path);
    ImportError error;
    const auto reader = ImportSource::open(path, o.format, &error);
    QList<QStringList> top;
    for (QStringList cells; reader && top.size() < ImportRules::HeaderSearchRows && reader->next(cells);)
        top.append(cells);
    o.headerIndex = ImportRules::guessHeaderRow(top);
    o.mapping = ImportRules::guessMapping(top.value(o.headerIndex));
    return o;
}
