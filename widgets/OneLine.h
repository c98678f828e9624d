#pragma once

#include "storage/TextField.h"

#include <QString>

class QLineEdit;
class QObject;
class QStyledItemDelegate;

/**
 * Keeps `box` to one line: what the user types, pastes or drops into it goes through oneLine() at
 * once, the cursor staying where the text arrived. Text the program puts in stays as it is.
 */
void keepOneLine(QLineEdit *box);

/** A grid delegate whose cell editors keep to one line. */
QStyledItemDelegate *oneLineCells(QObject *parent);
