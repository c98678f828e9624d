#pragma once

#include <QFunctionPointer>
#include <QString>

/**
 * The program's own libraries that are loaded on first use rather than at start (the camera): each
 * is looked for beside the executable, as the program folder and the package have it, then in the
 * build's program folder, where the tests find it. Returns the entry point `symbol` of module `name`
 * (without "lib" and ".so"), or null when the module or the symbol is missing; a module stays
 * loaded until the program ends.
 */
QFunctionPointer lateModuleSymbol(const QString &name, const char *symbol);
