#include "storage/FileReplace.h"

#include "storage/DiskSync.h"
#include "storage/Logging.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {
std::function<QString()> &letterSource()
{
    static std::function<QString()> f;
    return f;
}

std::string systemName(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

WriteError lastWriteError()
{
    switch (Os::lastError()) {
    case Os::Error::Busy:
        return WriteError::Busy;
    case Os::Error::NameRefused:
    case Os::Error::NotAFile:
        return WriteError::NameRefused;
    default:
        return WriteError::WriteFailed;
    }
}

// Six letters with a small one and a capital past the first: the start-up clean-up tells such a
// temporary from a user's own "x.pdf.Giugno" by that mix.
QString randomLetters()
{
    if (letterSource())
        return letterSource()();
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (;;) {
        QString out;
        bool small = false;
        bool capitalInside = false;
        for (int i = 0; i < 6; ++i) {
            const char c = letters[QRandomGenerator::system()->bounded(52)];
            small = small || (c >= 'a' && c <= 'z');
            capitalInside = capitalInside || (i > 0 && c >= 'A' && c <= 'Z');
            out += QLatin1Char(c);
        }
        if (small && capitalInside)
            return out;
    }
}

constexpr int kNameTries = 64;
constexpr qsizetype kBlock = 256 * 1024;
} // namespace

FileReplace::FileReplace(const QString &path, Place place)
    : m_path(path)
    , m_place(place)
    , m_target(path)
{ }

FileReplace::~FileReplace()
{
    dropTemporary();
}

bool FileReplace::open()
{
    if (m_failed || m_file != Os::kNoFile)
        return fail(m_failed ? m_error : WriteError::WriteFailed);
    if (m_path.isEmpty())
        return fail(WriteError::NameRefused);
    // A link to a file inside the program folder is followed, so the file it names is replaced and the
    // link stays; a link leading anywhere else, or nowhere, is refused.
    if (m_place == Place::ProgramFolder && !writeStaysInside(m_path))
        return fail(WriteError::LinkOutside);
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        m_target = info.canonicalFilePath();
        if (m_target.isEmpty())
            return fail(WriteError::LinkOutside); // a link to nothing: where it points is not ours to create
    }
    if (QFileInfo(m_target).isDir())
        return fail(WriteError::NameRefused);
    // The temporary carries the file's name, cut where that is already as long as the folder allows.
    const QFileInfo target(m_target);
    const int longest = Os::nameMax(systemName(target.absolutePath()));
    QString base = target.fileName();
    while (base.size() > 1 && QFile::encodeName(base).size() + 7 > longest)
        base.chop(1);
    if (base.back().isHighSurrogate())
        base.chop(1);
    const QString stem = target.absolutePath() + QLatin1Char('/') + base;
    for (int tries = 0; tries < kNameTries; ++tries) {
        const QString name = stem + QLatin1Char('.') + randomLetters();
        // Exclusive: never a name that exists, a link planted there included, and never another copy's.
        const Os::File file = Os::createNew(systemName(name));
        if (file != Os::kNoFile) {
            m_file = file;
            m_temporary = name;
            m_written = 0;
            return true;
        }
        if (Os::lastError() != Os::Error::Exists)
            return fail(lastWriteError());
    }
    return fail(WriteError::WriteFailed);
}

bool FileReplace::write(const QByteArray &bytes)
{
    if (m_failed || m_file == Os::kNoFile)
        return fail(m_failed ? m_error : WriteError::WriteFailed);
    if (!Os::writeAt(m_file, m_written, bytes.constData(), bytes.size()))
        return fail(lastWriteError());
    m_written += bytes.size();
    return true;
}

bool FileReplace::commit()
{
    if (m_failed || m_file == Os::kNoFile)
        return fail(m_failed ? m_error : WriteError::WriteFailed);
    // A file system that delays allocation reports a full disk only at the flush or the close.
    if (!DiskSync::file(m_file))
        return fail(lastWriteError());
    const Os::File file = m_file;
    m_file = Os::kNoFile;
    if (!Os::close(file))
        return fail(lastWriteError());
    if (!Os::replace(systemName(m_temporary), systemName(m_target)))
        return fail(lastWriteError());
    m_temporary.clear();
    // The file is in place once renamed; the folder's flush makes the rename itself last.
    if (!DiskSync::folderOf(m_target))
        return fail(lastWriteError());
    return true;
}

bool FileReplace::takeRenamed()
{
    if (m_failed || m_file == Os::kNoFile)
        return fail(m_failed ? m_error : WriteError::WriteFailed);
    (void)Os::close(m_file);
    m_file = Os::openNoLink(systemName(m_temporary));
    if (m_file == Os::kNoFile)
        return fail(WriteError::WriteFailed);
    return true;
}

bool FileReplace::endsWith(const QByteArray &bytes)
{
    Os::Status status;
    if (m_failed || m_file == Os::kNoFile || !Os::status(m_file, status) || status.size < bytes.size())
        return false;
    QByteArray end(bytes.size(), '\0');
    return Os::readAt(m_file, status.size - bytes.size(), end.data(), end.size()) == bytes.size() && end == bytes;
}

void FileReplace::cancel()
{
    m_failed = true;
    dropTemporary();
}

const char *writeErrorName(WriteError error)
{
    switch (error) {
    case WriteError::None:
        return "none";
    case WriteError::LinkOutside:
        return "a link leads outside the program folder";
    case WriteError::Busy:
        return "busy";
    case WriteError::WriteFailed:
        return "write failed";
    case WriteError::NameRefused:
        return "name refused";
    }
    return "?";
}

bool FileReplace::fail(WriteError error)
{
    if (!m_failed)
        qCWarning(lcStorage, "replacing %s failed: %s", qUtf8Printable(QDir::toNativeSeparators(m_path)),
            writeErrorName(error));
    m_failed = true;
    m_error = error == WriteError::None ? WriteError::WriteFailed : error;
    dropTemporary();
    return false;
}

void FileReplace::dropTemporary()
{
    if (m_file != Os::kNoFile) {
        (void)Os::close(m_file);
        m_file = Os::kNoFile;
    }
    if (!m_temporary.isEmpty()) {
        (void)Os::remove(systemName(m_temporary));
        m_temporary.clear();
    }
}

WriteResult FileReplace::replace(const QString &path, const QByteArray &bytes, Place place)
{
    FileReplace file(path, place);
    if (file.open() && file.write(bytes) && file.commit())
        return WriteError::None;
    return file.error();
}

void FileReplace::setLetterSource(std::function<QString()> letters)
{
    letterSource() = std::move(letters);
}

FileReplaceDevice::FileReplaceDevice(FileReplace &file)
    : m_file(file)
{ }

FileReplaceDevice::~FileReplaceDevice()
{
    if (isOpen())
        m_file.cancel();
}

bool FileReplaceDevice::start()
{
    if (!m_file.open())
        return false;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool FileReplaceDevice::commit()
{
    const bool done = flushGathered() && !m_failed && m_file.commit();
    if (!done)
        m_file.cancel();
    QIODevice::close();
    return done;
}

qint64 FileReplaceDevice::writeData(const char *data, qint64 size)
{
    if (m_failed)
        return -1;
    m_gathered.append(data, size);
    if (m_gathered.size() >= kBlock && !flushGathered())
        return -1;
    return size;
}

bool FileReplaceDevice::flushGathered()
{
    if (m_failed)
        return false;
    if (m_gathered.isEmpty())
        return true;
    if (!m_file.write(m_gathered)) {
        m_failed = true;
        setErrorString(QStringLiteral("write failed"));
        return false;
    }
    m_gathered.clear();
    return true;
}
