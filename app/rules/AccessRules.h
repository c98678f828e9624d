#pragma once

#include "app/rules/PasswordStore.h"

#include <QString>

/** The access password as the program compares and keeps it. */
namespace Access {
/** The typed text as compared and stored: letters a to z upper-cased (nothing else), then trimmed. */
QString normalise(const QString &typed);

/** The stored password, decoded and trimmed; empty when there is none. */
Result<QString, PasswordStore::Error> stored();

/** Stores an already normalised password. */
Result<Done, PasswordStore::Error> store(const QString &plain);

/** Why a normalised new password cannot be kept faithfully, or nothing. */
enum class Problem { None, TooLong, Character };
Problem problem(const QString &plain);
/** The first character that cannot be kept (a whole code point), for the message; empty when none. */
QString firstUnstorable(const QString &plain);
} // namespace Access
