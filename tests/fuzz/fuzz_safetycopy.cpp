// Any file offered for a restore is read by its list without unpacking, and what that reading accepts
// can only land inside the program folder and within the copies' bounds. The first byte chooses how the
// rest is used: as a whole ZIP file, or as the list of a ZIP whose entries are the files it names.
#include "storage/SafetyCopy.h"

#include <zip.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {
// Independent of the program's own checks: a name that could leave the folder it is unpacked in.
bool leavesTheFolder(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)) || name.contains(QLatin1Char(':')))
        return true;
    for (const QString &part : name.split(QLatin1Char('/')))
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return true;
    return false;
}

// A ZIP holding `list` as the copy's list and, for the first names in it, an entry of the size it gives
// (small ones only), so the checks of names, sizes and kinds all run.
bool writeCopy(const QString &path, const QByteArray &list)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    QList<QByteArray> keep; // libzip reads the bytes when the archive is closed
    keep.reserve(65);
    keep << list;
    zip_file_add(zip, SafetyCopy::manifestName().toUtf8().constData(),
        zip_source_buffer(zip, keep.last().constData(), zip_uint64_t(keep.last().size()), 0), ZIP_FL_ENC_UTF_8);
    const QList<QByteArray> lines = list.split('\n');
    for (qsizetype i = 3; i < lines.size() && keep.size() < 65; ++i) {
        const QList<QByteArray> fields = lines.at(i).split(' ');
        if (fields.size() < 3)
            continue;
        const qint64 size = std::clamp<qint64>(fields.at(1).toLongLong(), 0, 4096);
        keep << QByteArray(size, 'x');
        const QByteArray name = lines.at(i).mid(fields.at(0).size() + fields.at(1).size() + 2);
        zip_source_t *src = zip_source_buffer(zip, keep.last().constData(), zip_uint64_t(keep.last().size()), 0);
        const zip_int64_t index = zip_file_add(zip, name.constData(), src, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(src);
            continue;
        }
        if (size % 7 == 3) // now and then a link
            zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, 0120777u << 16);
    }
    return zip_close(zip) == 0 || (zip_discard(zip), false);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size == 0)
        return 0;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    const QString path = dir.filePath(QStringLiteral("copia.zip"));
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    if (data[0] % 2 == 0) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(rest) != rest.size())
            return 0;
    } else if (!writeCopy(path, rest)) {
        return 0;
    }
    SafetyCopy::Contents contents;
    if (SafetyCopy::inspect(path, &contents) != SafetyCopy::Problem::None)
        return 0;
    const SafetyCopy::Limits bounds = SafetyCopy::limits();
    if (contents.entries.size() > bounds.files)
        __builtin_trap();
    qint64 total = 0;
    for (const SafetyCopy::Entry &e : contents.entries) {
        if (leavesTheFolder(e.name) || !SafetyCopy::isProgramFile(e.name) || e.size < 0 || e.size > bounds.fileBytes)
            __builtin_trap();
        total += e.size;
    }
    if (total > bounds.totalBytes)
        __builtin_trap();
    return 0;
}
