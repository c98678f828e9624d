#pragma once

#include <QString>

/**
 * `text` as one line: each line break (CR LF counted once), tab or other control character becomes
 * a blank. Every field is one line, whether typed into a box or imported.
 */
QString oneLine(const QString &text);

/** Removes leading and trailing blanks and control characters (every code up to 32). */
QString trimText(const QString &text);

/** Trims, then keeps at most the first `width` characters: how every text is fitted to its field. */
QString fitText(const QString &text, int width);

/**
 * Writes a length-prefixed field of `width` characters at `field` (width + 1 bytes): the text is
 * trimmed, encoded as Windows-1252 and cut to the width. Bytes after the text are left as they were.
 */
void writeTextField(char *field, int width, const QString &text);

/** Reads a length-prefixed field; a length byte over the width is taken as the width. Trimmed. */
QString readTextField(const char *field, int width);

/** Reads a field without trimming (the search compares untrimmed field texts). */
QString readRawTextField(const char *field, int width);
