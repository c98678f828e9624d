#pragma once

#include <QByteArray>
#include <QString>

// The archives store every character as one Windows-1252 byte.

/** Decodes Windows-1252 bytes; the five unassigned codes map to the control characters of the same value. */
QString fromCp1252(const char *bytes, qsizetype length);
inline QString fromCp1252(const QByteArray &bytes)
{
    return fromCp1252(bytes.constData(), bytes.size());
}

/** Encodes to Windows-1252; a character the code page lacks becomes '?'. */
QByteArray toCp1252(const QString &text);

/** True when every character of the text has a Windows-1252 byte. */
bool fitsCp1252(const QString &text);
