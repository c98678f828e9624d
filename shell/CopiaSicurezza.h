#pragma once

#include "storage/SafetyCopy.h"

#include <QString>

class QWidget;

/**
 * The start window's safety copies: making one where the user chooses, restoring one after showing
 * what it holds, and the automatic copy at exit. Each long job shows a progress window with Annulla.
 */
namespace CopiaSicurezza {
/** Asks where to write a copy of the program folder and writes it. */
void crea(QWidget *parent);
/** Asks for a copy, shows its date and contents, and on Yes puts it in place of the program files. */
void ripristina(QWidget *parent);
/** At exit: the automatic copy, when it is on and something changed since the last copy. */
void copiaAllUscita();
/** The message for a problem of a copy (`restoring` false) or of a restore. */
QString problemMessage(SafetyCopy::Problem problem, bool restoring);
} // namespace CopiaSicurezza
