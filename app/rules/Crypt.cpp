#include "app/rules/Crypt.h"

#include <cstdint>

namespace {
constexpr std::uint16_t StartKey = 2309;
constexpr std::uint16_t Multiplier = 40503;
constexpr std::uint16_t Addend = 37291;

// The key advances with the scrambled byte, so every byte depends on all the bytes before it.
std::uint16_t nextKey(std::uint16_t key, unsigned scrambled)
{
    return static_cast<std::uint16_t>((scrambled + key) * Multiplier + Addend);
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}
} // namespace

QString Crypt::encode(const QString &plain)
{
    static const char digits[] = "0123456789ABCDEF";
    const qsizetype n = qMin<qsizetype>(plain.size(), MaxLength);
    QString hex;
    hex.reserve(2 * n);
    std::uint16_t key = StartKey;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned byte = plain.at(i).unicode() & 0xFFu;
        const unsigned scrambled = byte ^ (key >> 8);
        hex += QLatin1Char(digits[scrambled >> 4]);
        hex += QLatin1Char(digits[scrambled & 0xFu]);
        key = nextKey(key, scrambled);
    }
    return hex;
}

std::optional<QString> Crypt::decode(const QString &hex)
{
    const qsizetype n = qMin<qsizetype>(hex.size() / 2, MaxLength);
    QString plain;
    plain.reserve(n);
    std::uint16_t key = StartKey;
    for (qsizetype i = 0; i < n; ++i) {
        const int high = hexValue(hex.at(2 * i));
        const int low = hexValue(hex.at(2 * i + 1));
        if (high < 0 || low < 0)
            return std::nullopt;
        const unsigned scrambled = unsigned(high * 16 + low);
        plain += QChar(char16_t(scrambled ^ (key >> 8)));
        key = nextKey(key, scrambled);
    }
    return plain;
}
