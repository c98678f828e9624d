#include "storage/SafetyCopyParts.h"

#include "storage/PaginaListino.h"
#include "storage/SchedaProdotto.h"

#include <QHash>
#include <QSet>

#include <memory>

// Inspecting a copy: its list read and every entry checked against it, without unpacking.
namespace SafetyCopy {
namespace {

Limits g_limits;

void count(Contents *c)
{
    for (const Entry &e : c->entries) {
        if (e.name == QLatin1String("Magazzino.pro"))
            c->cards = e.size / TSchedaProdotto::RecordSize;
        else if (e.name == QLatin1String("unins000.dll"))
            c->password = true;
        else if (ProgramFiles::isPriceList(e.name)) {
            ++c->lists;
            c->pages += e.size / TPaginaListino::RecordSize;
        } else if (ProgramFiles::isCardPhoto(e.name) || e.name.startsWith(PhotoFolder + QLatin1Char('/')))
            ++c->photos;
        else if (e.name.startsWith(AttachmentFolder + QLatin1Char('/')))
            ++c->attachments;
    }
}
} // namespace

Limits limits()
{
    return g_limits;
}

void setLimits(const Limits &bounds)
{
    g_limits = bounds;
}

Problem inspect(const QString &zipPath, Contents *contents)
{
    *contents = Contents();
    const Limits bounds = limits();
    Reader reader(zipPath);
    zip_t *zip = reader.zip;
    if (!zip || zip_get_num_entries(zip, 0) <= 0)
        return Problem::Unreadable;
    if (zip_get_num_entries(zip, 0) > bounds.files + 1) // the files and their list
        return Problem::TooManyFiles;
    const zip_int64_t listIndex = zip_name_locate(zip, manifestName().toUtf8().constData(), 0);
    if (listIndex < 0)
        return Problem::Foreign;
    QByteArray text;
    {
        zip_file_t *in = zip_fopen_index(zip, listIndex, 0);
        if (!in)
            return Problem::Unreadable;
        const Problem read = readEntry(in, [&](const char *data, qint64 size) {
            text.append(data, size);
            return text.size() > bounds.listBytes ? Problem::Foreign : Problem::None;
        });
        if (read != Problem::None)
            return read;
    }
    if (!parseManifest(text, contents))
        return Problem::Foreign;
    if (contents->entries.size() > bounds.files)
        return Problem::TooManyFiles;
    qint64 total = 0;
    for (const Entry &e : contents->entries) {
        if (e.size > bounds.fileBytes)
            return Problem::FileTooLarge;
        total += e.size; // no overflow: each is within its bound and there are few
        if (total > bounds.totalBytes)
            return Problem::TooLargeInAll;
    }

    QHash<QString, qint64> listed;
    for (const Entry &e : contents->entries) {
        if (!isProgramFile(e.name))
            return Problem::UnsafeName;
        if (listed.contains(e.name))
            return Problem::Mismatch;
        listed.insert(e.name, e.size);
    }
    QSet<QString> seen;
    const zip_int64_t entryCount = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < entryCount; ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            return Problem::Unreadable;
        const QString name = QString::fromUtf8(st.name);
        if (name == manifestName())
            continue;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(zip, i, 0, &system, &attributes) != 0)
            return Problem::Unreadable;
        if (system == ZIP_OPSYS_UNIX && ((attributes >> 16) & 0170000) == 0120000)
            return Problem::Link;
        if (!isProgramFile(name))
            return Problem::UnsafeName;
        if (!listed.contains(name) || listed.value(name) != static_cast<qint64>(st.size) || seen.contains(name))
            return Problem::Mismatch;
        seen.insert(name);
    }
    if (seen.size() != listed.size())
        return Problem::Mismatch;
    count(contents);
    return Problem::None;
}

} // namespace SafetyCopy
