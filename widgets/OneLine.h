#pragma once

#include <QString>

class QLineEdit;
class QObject;
class QStyledItemDelegate;

/**
 * `text` as one line: each line break (CR LF counted once), tab or other control character becomes
 * a blank.
 */
QString oneLine(const QString &text);

/**
 * Keeps `box` to one line: what the user types, pastes or drops into it goes through oneLine() at
 * once, the cursor staying where the text arrived. Text the program puts in stays as it is.
 */
void keepOneLine(QLineEdit *box);

/** A grid delegate whose cell editors keep to one line. */
QStyledItemDelegate *oneLineCells(QObject *parent);
