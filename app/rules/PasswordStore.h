#pragma once

#include "storage/FileReplace.h"

#include <QString>

#include <stdexcept>

/**
 * The access-password store `unins000.dll` in the program folder: a plain INI text whose key
 * "Valore" in section "Accesso" holds the scrambled password. Section and key names match without
 * regard to case, as INI files do; every other line of the file is kept as it is.
 */
namespace PasswordStore {
/** A store that exists but cannot be read, or that could not be written. */
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string &what, WriteError why = WriteError::WriteFailed)
        : std::runtime_error(what)
        , m_why(why)
    { }
    /** Why the store could not be written (WriteFailed also for a store that cannot be read). */
    WriteError why() const { return m_why; }

private:
    WriteError m_why;
};

/** The password the store shipped with the program holds; the start window's help names it. */
inline const QString FirstAccessPassword = QStringLiteral("VETRINOVA");

/** The store's path in the program folder. */
QString path();

/** The value of "Valore" in "Accesso", trimmed; empty when the file, the section or the key is missing. */
QString read();
QString read(const QString &path);

/**
 * Sets "Valore" in "Accesso", creating the file, the section or the key when missing. The file is
 * replaced only once the new one is complete, so a failure leaves the old password in force. A file
 * that is a link leading outside the program folder is never written through.
 */
void write(const QString &value);
void write(const QString &path, const QString &value);
} // namespace PasswordStore
