#include "app/rules/AccessRules.h"

#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"
#include "storage/Logging.h"
#include "storage/TextField.h"

QString Access::normalise(const QString &typed)
{
    QString upper = typed;
    for (QChar &c : upper)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return trimText(upper);
}

Result<QString, PasswordStore::Error> Access::stored()
{
    const Result<QString, PasswordStore::Error> read = PasswordStore::read();
    if (!read)
        return read.error();
    const std::optional<QString> plain = Crypt::decode(*read);
    if (!plain) {
        qCWarning(lcStorage, "the password store holds a value that is not a scrambled password");
        return PasswordStore::Error { PasswordStore::Error::Reason::Damaged };
    }
    return trimText(*plain);
}

Result<Done, PasswordStore::Error> Access::store(const QString &plain)
{
    return PasswordStore::write(Crypt::encode(plain).trimmed());
}

Access::Problem Access::problem(const QString &plain)
{
    if (plain.size() > Crypt::MaxLength)
        return Problem::TooLong;
    if (!firstUnstorable(plain).isEmpty())
        return Problem::Character;
    return Problem::None;
}

QString Access::firstUnstorable(const QString &plain)
{
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain.at(i).unicode() <= 0xFF)
            continue;
        const bool pair = plain.at(i).isHighSurrogate() && i + 1 < plain.size() && plain.at(i + 1).isLowSurrogate();
        return plain.mid(i, pair ? 2 : 1);
    }
    return QString();
}
