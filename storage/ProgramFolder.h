#pragma once

#include <QString>

/** The folder that holds the running executable, with its trailing separator. */
QString programFolder();

/** Points programFolder() elsewhere (tests use a fresh temporary folder); empty restores the real one. */
void setProgramFolderOverride(const QString &folder);

/** The program folder followed by a relative name. */
QString programPath(const QString &relativeName);

/**
 * True when `name` appended to a folder names a file directly in it: not empty, not "." or "..",
 * no separator (/ or \) and no control character.
 */
bool isPlainFileName(const QString &name);

/**
 * False when writing `path` would go through a symbolic link (the file's own or a folder's on the
 * way) to a place outside the program folder, or would create a file where a dangling link points.
 */
bool writeStaysInside(const QString &path);
