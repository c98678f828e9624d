#include "storage/SafetyCopy.h"

#include "storage/ArchiveFile.h"
#include "storage/Clock.h"
#include "storage/DiskSync.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/quazipnewinfo.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace SafetyCopy {
namespace {

constexpr qint64 Chunk = 1 << 20;
const char *const Heading = "Vetrinova copia di sicurezza";
const QString PhotoFolder = QStringLiteral("Foto_Listino");
const QString AttachmentFolder = QStringLiteral("Documenti_Allegati");
const QString Staging = QStringLiteral("Ripristino-in-corso");

std::function<bool(Step, const QString &)> &injector()
{
    static std::function<bool(Step, const QString &)> f;
    return f;
}

bool injected(Step step, const QString &name)
{
    return injector() && injector()(step, name);
}

bool isCardPhoto(const QString &name)
{
    static const QRegularExpression photo(QStringLiteral("^[0-9]+\\.jpg$"));
    return photo.match(name).hasMatch();
}

bool isListFile(const QString &name)
{
    return name.size() > 4 && name.endsWith(QLatin1String(".lis"));
}

/** Relative, "/"-separated, every part a plain name: it cannot leave the folder it is put in. */
bool staysInside(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    return std::all_of(parts.begin(), parts.end(),
        [](const QString &part) { return isPlainFileName(part) && !part.contains(QLatin1Char(':')); });
}

bool renamePath(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

/** Removes a folder made by this module; a link in its place goes, never what it points to. */
void removeTree(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        QFile::remove(path);
    else if (info.exists())
        QDir(path).removeRecursively();
}

/** The names directly in the program folder that a restore replaces: its files and its two folders. */
QStringList topLevelItems()
{
    QStringList out;
    const QDir root(programFolder());
    const QFileInfoList infos
        = root.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : infos) {
        const QString name = info.fileName();
        if (name == PhotoFolder || name == AttachmentFolder || (!info.isDir() && isProgramFile(name)))
            out << name;
    }
    return out;
}

int recordSizeOf(const QString &name)
{
    if (name == QLatin1String("Magazzino.pro"))
        return TSchedaProdotto::RecordSize;
    if (!name.contains(QLatin1Char('/')) && isListFile(name))
        return TPaginaListino::RecordSize;
    return 0;
}

/** Writes entries into a ZIP archive, hashing them and reporting the bytes done. */
class Writer
{
public:
    Writer(QIODevice *device, const Progress &progress, qint64 total)
        : m_zip(device)
        , m_progress(progress)
        , m_total(total)
    {
        m_zip.setUtf8Enabled(true);
        m_zip.setZip64Enabled(true);
        // The file is flushed to the disk after the archive ends, and only then closed.
        m_zip.setAutoClose(false);
    }

    bool open() { return m_zip.open(QuaZip::mdCreate); }

    Problem add(const QString &name, QIODevice &source, bool compress)
    {
        QuaZipNewInfo info(name);
        info.setPermissions(
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        QuaZipFile out(&m_zip);
        // Photos are already compressed; the archives' padding packs well even at the fastest level.
        if (!out.open(QIODevice::WriteOnly, info, nullptr, 0, compress ? Z_DEFLATED : 0, compress ? 1 : 0))
            return Problem::WriteFailed;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        qint64 size = 0;
        QByteArray buffer(Chunk, Qt::Uninitialized);
        for (;;) {
            const qint64 got = source.read(buffer.data(), Chunk);
            if (got < 0)
                return Problem::ReadFailed;
            if (got == 0)
                break;
            if (injected(Step::WriteEntry, name) || out.write(buffer.constData(), got) != got)
                return Problem::WriteFailed;
            hash.addData(QByteArrayView(buffer.constData(), got));
            size += got;
            m_done += got;
            if (m_progress && !m_progress(m_done, m_total))
                return Problem::Cancelled;
        }
        out.close();
        if (out.getZipError() != ZIP_OK)
            return Problem::WriteFailed;
        m_entries << Entry { name, size, hash.result().toHex() };
        return Problem::None;
    }

    QuaZip &zip() { return m_zip; }
    const QList<Entry> &entries() const { return m_entries; }

private:
    QuaZip m_zip;
    Progress m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    QList<Entry> m_entries;
};

QByteArray manifestText(const QList<Entry> &entries, const QDateTime &made)
{
    QByteArray text = QByteArray(Heading) + "\nversione 1\ncreata " + made.toString(Qt::ISODate).toLatin1() + '\n';
    for (const Entry &e : entries)
        text += e.sha256 + ' ' + QByteArray::number(e.size) + ' ' + e.name.toUtf8() + '\n';
    return text;
}

/** Reads the list; false when the text is not one this program writes. */
bool parseManifest(const QByteArray &text, Contents *contents)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 3 || lines.at(0) != Heading || lines.at(1) != "versione 1" || !lines.at(2).startsWith("creata "))
        return false;
    contents->made = QDateTime::fromString(QString::fromLatin1(lines.at(2).mid(7)), Qt::ISODate);
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    for (qsizetype i = 3; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.isEmpty())
            continue;
        const qsizetype a = line.indexOf(' ');
        const qsizetype b = line.indexOf(' ', a + 1);
        if (a < 0 || b < 0)
            return false;
        Entry e;
        e.sha256 = line.left(a);
        bool ok = false;
        e.size = line.mid(a + 1, b - a - 1).toLongLong(&ok);
        e.name = QString::fromUtf8(line.mid(b + 1));
        if (!ok || e.size < 0 || !hex.match(QString::fromLatin1(e.sha256)).hasMatch())
            return false;
        contents->entries << e;
    }
    return true;
}

void count(Contents *c)
{
    for (const Entry &e : c->entries) {
        if (e.name == QLatin1String("Magazzino.pro"))
            c->cards = e.size / TSchedaProdotto::RecordSize;
        else if (e.name == QLatin1String("unins000.dll"))
            c->password = true;
        else if (!e.name.contains(QLatin1Char('/')) && isListFile(e.name)) {
            ++c->lists;
            c->pages += e.size / TPaginaListino::RecordSize;
        } else if (isCardPhoto(e.name) || e.name.startsWith(PhotoFolder + QLatin1Char('/')))
            ++c->photos;
        else if (e.name.startsWith(AttachmentFolder + QLatin1Char('/')))
            ++c->attachments;
    }
}

/** Puts the moved names back where they were, newest first. */
void moveBack(const QList<QPair<QString, QString>> &moves)
{
    for (auto it = moves.crbegin(); it != moves.crend(); ++it)
        renamePath(it->second, it->first);
}

Problem unpack(QuaZip &zip, const Contents &contents, const QString &staging, const Progress &progress)
{
    qint64 total = 0;
    for (const Entry &e : contents.entries)
        total += e.size;
    qint64 done = 0;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    for (const Entry &e : contents.entries) {
        const QString target = staging + e.name;
        if (injected(Step::Unpack, e.name) || !QDir().mkpath(QFileInfo(target).path()))
            return Problem::WriteFailed;
        if (!zip.setCurrentFile(e.name))
            return Problem::Unreadable;
        QuaZipFile in(&zip);
        if (!in.open(QIODevice::ReadOnly))
            return Problem::Unreadable;
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Problem::WriteFailed;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        qint64 size = 0;
        for (;;) {
            const qint64 got = in.read(buffer.data(), Chunk);
            if (got < 0)
                return Problem::Unreadable;
            if (got == 0)
                break;
            size += got;
            // More than the list says: stop before a crafted entry fills the disk.
            if (size > e.size)
                return Problem::Mismatch;
            if (out.write(buffer.constData(), got) != got)
                return Problem::WriteFailed;
            hash.addData(QByteArrayView(buffer.constData(), got));
            done += got;
            if (progress && !progress(done, total))
                return Problem::Cancelled;
        }
        in.close();
        if (in.getZipError() != UNZ_OK)
            return Problem::Unreadable;
        if (size != e.size || hash.result().toHex() != e.sha256)
            return Problem::Mismatch;
        out.close();
        if (out.error() != QFileDevice::NoError)
            return Problem::WriteFailed;
    }
    // One flush for all the unpacked files before any current file is moved.
    if (DiskSync::enabled()) {
        const int fd = ::open(QFile::encodeName(staging).constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            const bool synced = ::syncfs(fd) == 0;
            ::close(fd);
            if (!synced)
                return Problem::WriteFailed;
        }
    }
    return Problem::None;
}

QString timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

QSettings settings()
{
    return QSettings(programPath(QStringLiteral("Vetrinova.ini")), QSettings::IniFormat);
}

} // namespace

QString manifestName()
{
    return QStringLiteral("Vetrinova-elenco-copia.txt");
}

QString fileNameFor(const QDateTime &when)
{
    return QStringLiteral("Vetrinova-copia-%1.zip").arg(when.toString(QStringLiteral("yyyy-MM-dd-HHmm")));
}

QString newCopyPath(const QString &folder, const QDateTime &when)
{
    QDir dir(folder);
    const QString base = fileNameFor(when);
    QString path = dir.filePath(base);
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = dir.filePath(base.chopped(4) + QStringLiteral("-%1.zip").arg(n));
    return path;
}

bool isProgramFile(const QString &name)
{
    if (!staysInside(name))
        return false;
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        const QString folder = name.left(slash);
        return folder == PhotoFolder || folder == AttachmentFolder;
    }
    static const QStringList fixed = { QStringLiteral("Magazzino.pro"), QStringLiteral("unins000.dll"),
        QStringLiteral("Magazzino.xls"), QStringLiteral("Magazzino.xlsx") };
    return fixed.contains(name) || isListFile(name) || isCardPhoto(name);
}

QStringList programFiles()
{
    QStringList out;
    const QString root = programFolder();
    for (const QString &item : topLevelItems()) {
        const QFileInfo info(root + item);
        if (!info.isDir()) {
            if (info.exists())
                out << item;
            continue;
        }
        // A linked folder may lead anywhere: its contents are not the program's.
        if (info.isSymLink())
            continue;
        QDirIterator it(root + item, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QString relative = it.filePath().mid(root.size());
            if (!it.fileInfo().isSymLink() && isProgramFile(relative))
                out << relative;
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

Problem create(const QString &zipPath, const Progress &progress)
{
    const QString root = programFolder();
    const QStringList files = programFiles();
    qint64 total = 0;
    for (const QString &f : files)
        total += QFileInfo(root + f).size();

    const QString partial = zipPath + QStringLiteral(".parziale");
    QFile::remove(partial);
    QFile device(partial);
    if (!device.open(QIODevice::WriteOnly))
        return Problem::WriteFailed;
    Writer writer(&device, progress, total);
    auto fail = [&](Problem p) {
        writer.zip().close();
        device.close();
        QFile::remove(partial);
        return p;
    };
    if (!writer.open())
        return fail(Problem::WriteFailed);
    for (const QString &name : files) {
        Problem p = Problem::None;
        if (const int recordSize = recordSizeOf(name)) {
            // The archive is read whole under its lock and written out after: another copy of the
            // program waits only for the read, and a record it was adding is in or out, never half.
            QByteArray data;
            try {
                ArchiveFile archive(root + name, recordSize);
                data.resize(archive.count() * recordSize);
                data.resize(archive.readMany(0, archive.count(), data.data()) * recordSize);
                archive.close();
            } catch (const ArchiveError &e) {
                return fail(e.reason() == ArchiveError::Reason::Busy ? Problem::Busy : Problem::ReadFailed);
            } catch (const std::bad_alloc &) {
                return fail(Problem::ReadFailed);
            }
            QBuffer buffer(&data);
            buffer.open(QIODevice::ReadOnly);
            p = writer.add(name, buffer, true);
        } else {
            QFile source(root + name);
            if (!source.open(QIODevice::ReadOnly))
                return fail(Problem::ReadFailed);
            p = writer.add(name, source, !name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive));
        }
        if (p != Problem::None)
            return fail(p);
    }
    QByteArray manifest = manifestText(writer.entries(), Clock::now());
    QBuffer manifestDevice(&manifest);
    manifestDevice.open(QIODevice::ReadOnly);
    QuaZipNewInfo info(manifestName());
    QuaZipFile out(&writer.zip());
    if (!out.open(QIODevice::WriteOnly, info) || out.write(manifest) != manifest.size())
        return fail(Problem::WriteFailed);
    out.close();
    if (out.getZipError() != ZIP_OK || injected(Step::FinishCopy, zipPath))
        return fail(Problem::WriteFailed);
    writer.zip().close();
    if (writer.zip().getZipError() != ZIP_OK || !device.flush() || device.error() != QFileDevice::NoError
        || !DiskSync::file(device.handle()))
        return fail(Problem::WriteFailed);
    device.close();
    if (!renamePath(partial, zipPath)) {
        QFile::remove(partial);
        return Problem::WriteFailed;
    }
    DiskSync::folderOf(zipPath);
    return Problem::None;
}

Problem inspect(const QString &zipPath, Contents *contents)
{
    *contents = Contents();
    QuaZip zip(zipPath);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdUnzip))
        return Problem::Unreadable;
    const QList<QuaZipFileInfo64> infos = zip.getFileInfoList64();
    if (zip.getZipError() != UNZ_OK)
        return Problem::Unreadable;
    if (!zip.setCurrentFile(manifestName()))
        return Problem::Foreign;
    QuaZipFile in(&zip);
    if (!in.open(QIODevice::ReadOnly))
        return Problem::Unreadable;
    const QByteArray text = in.read(16 << 20);
    in.close();
    if (in.getZipError() != UNZ_OK)
        return Problem::Unreadable;
    if (!parseManifest(text, contents))
        return Problem::Foreign;

    QHash<QString, qint64> listed;
    for (const Entry &e : contents->entries) {
        if (!isProgramFile(e.name))
            return Problem::UnsafeName;
        if (listed.contains(e.name))
            return Problem::Mismatch;
        listed.insert(e.name, e.size);
    }
    QSet<QString> seen;
    for (const QuaZipFileInfo64 &info : infos) {
        if (info.name == manifestName())
            continue;
        const quint32 mode = info.externalAttr >> 16;
        if ((mode & 0170000) == 0120000)
            return Problem::Link;
        if (!isProgramFile(info.name))
            return Problem::UnsafeName;
        if (!listed.contains(info.name) || listed.value(info.name) != static_cast<qint64>(info.uncompressedSize)
            || seen.contains(info.name))
            return Problem::Mismatch;
        seen.insert(info.name);
    }
    if (seen.size() != listed.size())
        return Problem::Mismatch;
    count(contents);
    return Problem::None;
}

Problem restore(const QString &zipPath, const Progress &progress)
{
    Contents contents;
    if (const Problem p = inspect(zipPath, &contents); p != Problem::None)
        return p;
    QuaZip zip(zipPath);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdUnzip))
        return Problem::Unreadable;

    const QString root = programFolder();
    const QString staging = root + Staging + QLatin1Char('/');
    removeTree(root + Staging);
    if (!QDir().mkpath(staging))
        return Problem::WriteFailed;
    if (const Problem p = unpack(zip, contents, staging, progress); p != Problem::None) {
        removeTree(root + Staging);
        return p;
    }
    zip.close();

    // Everything is here and checked: now the current files go aside and the copy's take their place.
    QString aside = root + QStringLiteral("Ripristino-precedente-") + timeStamp(Clock::now());
    for (int n = 2; QFileInfo(aside).exists() || QFileInfo(aside).isSymLink(); ++n)
        aside
            = root + QStringLiteral("Ripristino-precedente-") + timeStamp(Clock::now()) + QStringLiteral("-%1").arg(n);
    aside += QLatin1Char('/');
    if (!QDir().mkdir(aside)) {
        removeTree(root + Staging);
        return Problem::WriteFailed;
    }
    QList<QPair<QString, QString>> moves;
    auto undo = [&] {
        moveBack(moves);
        QDir().rmdir(aside);
        removeTree(root + Staging);
        return Problem::RestoreFailed;
    };
    for (const QString &item : topLevelItems()) {
        if (injected(Step::SetAside, item) || !renamePath(root + item, aside + item))
            return undo();
        moves.append({ root + item, aside + item });
    }
    const QStringList staged
        = QDir(staging).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &item : staged) {
        if (injected(Step::PutInPlace, item) || !renamePath(staging + item, root + item))
            return undo();
        moves.append({ staging + item, root + item });
    }
    DiskSync::folderOf(root + QStringLiteral("Magazzino.pro"));
    removeTree(aside);
    removeTree(root + Staging);
    return Problem::None;
}

void setFaultInjector(std::function<bool(Step, const QString &)> f)
{
    injector() = std::move(f);
}

namespace Settings {
QString lastFolder()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Cartella")).toString();
}

void setLastFolder(const QString &folder)
{
    settings().setValue(QStringLiteral("CopieDiSicurezza/Cartella"), folder);
}

bool automatic()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Automatica"), true).toBool();
}

void setAutomatic(bool on)
{
    settings().setValue(QStringLiteral("CopieDiSicurezza/Automatica"), on);
}

int keep()
{
    bool ok = false;
    const int n = settings().value(QStringLiteral("CopieDiSicurezza/DaTenere"), 10).toInt(&ok);
    return ok && n > 0 ? n : 10;
}

void setKeep(int count)
{
    settings().setValue(QStringLiteral("CopieDiSicurezza/DaTenere"), count);
}

QString automaticFolder()
{
    const QString chosen = settings().value(QStringLiteral("CopieDiSicurezza/CartellaAutomatica")).toString();
    return chosen.isEmpty() ? programPath(QStringLiteral("Copie")) : chosen;
}
} // namespace Settings

QByteArray fingerprint()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QString root = programFolder();
    for (const QString &name : programFiles()) {
        const QFileInfo info(root + name);
        hash.addData(name.toUtf8() + '\0' + QByteArray::number(info.size()) + '\0'
            + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + '\n');
    }
    return hash.result().toHex();
}

void markCopied()
{
    settings().setValue(QStringLiteral("CopieDiSicurezza/Impronta"), QString::fromLatin1(fingerprint()));
}

bool automaticCopyDue()
{
    if (!Settings::automatic() || programFiles().isEmpty())
        return false;
    return settings().value(QStringLiteral("CopieDiSicurezza/Impronta")).toString().toLatin1() != fingerprint();
}

Problem makeAutomaticCopy(const QDateTime &when, const Progress &progress)
{
    const QString folder = Settings::automaticFolder();
    if (!QDir().mkpath(folder))
        return Problem::WriteFailed;
    const Problem p = create(newCopyPath(folder, when), progress);
    if (p != Problem::None)
        return p;
    markCopied();
    // The names carry the date, so their order is the order they were made in.
    QStringList copies = QDir(folder).entryList(
        { QStringLiteral("Vetrinova-copia-*.zip") }, QDir::Files | QDir::NoSymLinks, QDir::Name);
    while (copies.size() > Settings::keep())
        QFile::remove(QDir(folder).filePath(copies.takeFirst()));
    return Problem::None;
}

} // namespace SafetyCopy
