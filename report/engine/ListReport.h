#pragma once

#include "report/engine/ReportTemplate.h"

#include <QString>
#include <QStringList>

/** Height of one list line in template units; the data band is this times the lines, plus 10. */
constexpr double ListLineHeight = 12.822;

/**
 * The landscape list template frxReport: a title band on the first page, one data band holding a
 * line per entry that continues over as many pages as it needs, and a footer with the date.
 */
ReportTemplate makeListReport();

/** Puts the title and the lines into frxReport and sizes the data band to them. */
void fillListReport(ReportTemplate &report, const QString &title, const QStringList &lines);
