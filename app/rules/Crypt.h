#pragma once

#include <QString>

#include <optional>

/**
 * The reversible scrambling of the access password: each character's low 8 bits XOR the high byte
 * of a rolling 16-bit key, written as two upper-case hexadecimal digits. At most 255 characters are
 * processed, so only texts of up to 255 characters with codes 0 to 255 come back unchanged.
 */
namespace Crypt {
/** The most characters the routines process; the rest of a longer text is dropped. */
constexpr int MaxLength = 255;

/** Plain text -> hexadecimal text, two digits per character. */
QString encode(const QString &plain);

/** Hexadecimal text -> plain text; a last odd digit is ignored. Nothing when a pair is not hexadecimal. */
std::optional<QString> decode(const QString &hex);
} // namespace Crypt
