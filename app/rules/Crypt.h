#pragma once

#include <QString>

#include <stdexcept>

/**
 * The reversible scrambling of the access password: each character's low 8 bits XOR the high byte
 * of a rolling 16-bit key, written as two upper-case hexadecimal digits. At most 255 characters are
 * processed, so only texts of up to 255 characters with codes 0 to 255 come back unchanged.
 */
namespace Crypt {
/** The most characters the routines process; the rest of a longer text is dropped. */
constexpr int MaxLength = 255;

/** A pair of digits that is not hexadecimal. */
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/** Plain text -> hexadecimal text, two digits per character. */
QString encode(const QString &plain);

/** Hexadecimal text -> plain text; a last odd digit is ignored. Throws Crypt::Error on a non-hex pair. */
QString decode(const QString &hex);
} // namespace Crypt
