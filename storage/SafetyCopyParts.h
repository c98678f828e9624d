#pragma once

// What the safety copy's modules share: the ZIP with its list, the inspection, the restore and the
// settings are each in their own file, and meet only here.

#include "storage/ProgramFiles.h"
#include "storage/SafetyCopy.h"

#include <zip.h>

#include <QFile>

namespace SafetyCopy {

constexpr qint64 Chunk = 1 << 20;
inline const QString PhotoFolder = ProgramFiles::photoFolder();
inline const QString AttachmentFolder = ProgramFiles::attachmentFolder();

/** An archive open for reading, closed when it goes. */
struct Reader
{
    zip_t *zip = nullptr;
    explicit Reader(const QString &path)
    {
        int error = 0;
        zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    }
    ~Reader()
    {
        if (zip)
            zip_discard(zip);
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
};

/**
 * Reads an entry opened with zip_fopen_index() to its end, a chunk at a time, and closes it. `take`
 * gets each chunk and stops the reading by returning a problem; a read that fails is Unreadable.
 */
Problem readEntry(zip_file_t *opened, const std::function<Problem(const char *data, qint64 size)> &take);

/** Reads the list; false when the text is not one this program writes. */
bool parseManifest(const QByteArray &text, Contents *contents);

} // namespace SafetyCopy
