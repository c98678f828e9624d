#pragma once

#include <QString>

/** The folder that holds the running executable, with its trailing separator. */
QString programFolder();

/** Points programFolder() elsewhere (tests use a fresh temporary folder); empty restores the real one. */
void setProgramFolderOverride(const QString &folder);

/** The program folder followed by a relative name. */
QString programPath(const QString &relativeName);
