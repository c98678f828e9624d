// The password store reader takes any file; writing a password into it keeps it readable; the
// decoder takes any value and undoes the encoder.
#include "app/rules/Crypt.h"
#include "app/rules/PasswordStore.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unins000.dll"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            __builtin_trap();
        file.write(reinterpret_cast<const char *>(data), qsizetype(size));
    }
    const auto read = PasswordStore::read(path);
    if (!read)
        __builtin_trap();
    const QString value = *read;
    const QString plain = Crypt::decode(value).value_or(value);
    // Texts of up to 255 characters with codes up to 255 come back unchanged.
    QString latin;
    for (QChar c : plain.left(Crypt::MaxLength))
        latin += QChar(c.unicode() & 0xFF);
    const QString hex = Crypt::encode(latin);
    if (Crypt::decode(hex) != std::optional<QString>(latin))
        __builtin_trap();
    // The new value lands in the damaged file and reads back, whatever else the file holds.
    if (!PasswordStore::write(path, hex) || PasswordStore::read(path).value() != hex)
        __builtin_trap();
    return 0;
}
