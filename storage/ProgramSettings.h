#pragma once

#include "storage/FileReplace.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

/**
 * The program's settings in Vetrinova.ini, in the program folder. Values are read with QSettings and
 * written through FileReplace: a setting that cannot be written leaves the file, and the settings in
 * force, as they were.
 */
namespace ProgramSettings {
/** Vetrinova.ini in the program folder. */
QString path();
/** The value of `key` ("Section/Name"), or `fallback` when it is not set. */
QVariant value(const QString &key, const QVariant &fallback = QVariant());
/** Sets every key of `values` in one replacement of the file. */
[[nodiscard]] WriteResult store(const QList<QPair<QString, QVariant>> &values);
} // namespace ProgramSettings
