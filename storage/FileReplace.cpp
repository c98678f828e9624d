#include "storage/FileReplace.h"

#include "storage/DiskSync.h"
#include "storage/ProgramFolder.h"

namespace {
std::function<bool(FileReplace::Step)> &injector()
{
    static std::function<bool(FileReplace::Step)> f;
    return f;
}

bool injected(FileReplace::Step step)
{
    return injector() && injector()(step);
}
} // namespace

FileReplace::FileReplace(const QString &path)
    : m_file(path)
{ }

bool FileReplace::open()
{
    // QSaveFile writes through a symbolic link into the file it points to: never outside the folder.
    if (!writeStaysInside(m_file.fileName()))
        return fail();
    // Unbuffered: each write reaches the disk at once, so its result tells whether the disk took it.
    return m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool FileReplace::write(const QByteArray &bytes)
{
    if (m_failed || !m_file.isOpen())
        return fail();
    qint64 written = 0;
    if (injected(Step::Write))
        written = -1;
    else if (injected(Step::ShortWrite))
        written = m_file.write(bytes.constData(), bytes.size() / 2);
    else
        written = m_file.write(bytes);
    // A disk that fills up mid-way stores part of the bytes and says how many, with no error.
    if (written != bytes.size())
        return fail();
    return true;
}

bool FileReplace::commit()
{
    if (m_failed || !m_file.isOpen() || m_file.error() != QFileDevice::NoError || !m_file.flush())
        return fail();
    // QSaveFile syncs too but ignores the result; a file system that delays allocation reports a
    // full disk only here.
    if (injected(Step::Flush) || !DiskSync::qtFile(m_file.handle()))
        return fail();
    if (injected(Step::Commit))
        return fail();
    // The file is in place once renamed; the folder's sync makes the rename itself last.
    return m_file.commit() && DiskSync::folderOf(m_file.fileName());
}

bool FileReplace::fail()
{
    m_failed = true;
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool FileReplace::replace(const QString &path, const QByteArray &bytes)
{
    FileReplace file(path);
    return file.open() && file.write(bytes) && file.commit();
}

void FileReplace::setFaultInjector(std::function<bool(Step)> f)
{
    injector() = std::move(f);
}
