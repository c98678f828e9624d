#pragma once

#include "storage/FileReplace.h"
#include "storage/Result.h"

#include <QString>

/**
 * The access-password store `unins000.dll` in the program folder: a plain INI text whose key
 * "Valore" in section "Accesso" holds the scrambled password. Section and key names match without
 * regard to case, as INI files do; every other line of the file is kept as it is.
 */
namespace PasswordStore {
/** A store that exists but cannot be read, or that could not be written. */
struct Error
{
    enum class Reason {
        Unreadable, ///< the store is there but cannot be read
        Damaged, ///< the stored value is no scrambled password (a pair of digits that is not hexadecimal)
        NotWritten ///< the new store could not be put in place; `why` says why
    };
    Reason reason = Reason::Unreadable;
    WriteError why = WriteError::WriteFailed;
};

/** The password the store shipped with the program holds; the start window's help names it. */
inline const QString FirstAccessPassword = QStringLiteral("VETRINOVA");

/** The store's path in the program folder. */
QString path();

/** The value of "Valore" in "Accesso", trimmed; empty when the file, the section or the key is missing. */
Result<QString, Error> read();
Result<QString, Error> read(const QString &path);

/**
 * Sets "Valore" in "Accesso", creating the file, the section or the key when missing. The file is
 * replaced only once the new one is complete, so a failure leaves the old password in force. A file
 * that is a link leading outside the program folder is never written through.
 */
Result<Done, Error> write(const QString &value);
Result<Done, Error> write(const QString &path, const QString &value);
} // namespace PasswordStore
