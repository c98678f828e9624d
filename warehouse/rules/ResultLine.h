#pragma once

#include <QByteArray>
#include <QString>

/** The two fixed-column layouts of a result line: the search and under-stock
 * one, and the unpaid one. */
enum class LineLayout { Search, Unpaid };

/**
 * The result line of one stored card (a raw record of
 * TSchedaProdotto::RecordSize bytes): each field trimmed, filled out with
 * blanks to its column width and cut to it; the cost closes the line trimmed.
 */
QString resultLine(LineLayout layout, const char *record);
/** The same line appended to `out` as Windows-1252 bytes, as the record stores
 * its texts. */
void appendResultLine(QByteArray &out, LineLayout layout, const char *record);

/** The width of the line before the cost (the cost starts at this index). */
int resultLineFixedWidth(LineLayout layout);
