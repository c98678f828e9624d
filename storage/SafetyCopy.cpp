#include "storage/SafetyCopy.h"

#include "storage/ArchiveFile.h"
#include "storage/Clock.h"
#include "storage/DiskSync.h"
#include "storage/FileReplace.h"
#include "storage/Journal.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFiles.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Os.h"

#include <zip.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace SafetyCopy {
namespace {

constexpr qint64 Chunk = 1 << 20;
const char *const Heading = "Vetrinova copia di sicurezza";
const QString PhotoFolder = ProgramFiles::photoFolder();
const QString AttachmentFolder = ProgramFiles::attachmentFolder();
const QString Staging = QStringLiteral("Ripristino-in-corso");
Limits g_limits;

bool renamePath(const QString &from, const QString &to)
{
    return Os::replace(QFile::encodeName(from).toStdString(), QFile::encodeName(to).toStdString());
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
    if (ProgramFiles::isPriceList(name))
        return TPaginaListino::RecordSize;
    return 0;
}

QByteArray manifestText(const QList<Entry> &entries, const QDateTime &made)
{
    QByteArray text = QByteArray(Heading) + "\nversione 1\ncreata " + made.toString(Qt::ISODate).toLatin1() + '\n';
    for (const Entry &e : entries)
        text += e.sha256 + ' ' + QByteArray::number(e.size) + ' ' + e.name.toUtf8() + '\n';
    return text;
}

/** One file of a copy being written: libzip pulls its bytes at the end, and they are hashed as they go. */
struct Source
{
    QString name;
    QString path; // empty for the list of files
    int recordSize = 0; // an archive read whole under its lock
    QByteArray memory;
    std::unique_ptr<QIODevice> device;
    QCryptographicHash hash { QCryptographicHash::Sha256 };
    qint64 size = 0;
};

/** Writes a copy through libzip, which reads each Source in turn when the archive is closed. */
class Writer
{
public:
    Writer(const Progress &progress, qint64 total)
        : m_progress(progress)
        , m_total(total)
    {
        zip_error_init(&m_error);
    }
    ~Writer() { zip_error_fini(&m_error); }

    Problem problem = Problem::None;
    QList<Entry> entries;

    static zip_int64_t callback(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto *pair = static_cast<std::pair<Writer *, Source *> *>(state);
        return pair->first->handle(*pair->second, data, length, command);
    }

private:
    zip_int64_t fail(Problem p)
    {
        if (problem == Problem::None)
            problem = p;
        zip_error_set(&m_error, p == Problem::Cancelled ? ZIP_ER_CANCELLED : ZIP_ER_READ, 0);
        return -1;
    }

    bool open(Source &s)
    {
        s.hash.reset();
        s.size = 0;
        if (s.path.isEmpty()) {
            s.memory = manifestText(entries, Clock::now());
            s.device = std::make_unique<QBuffer>(&s.memory);
        } else if (s.recordSize) {
            // The archive is read whole under its lock and written out after: another copy of the
            // program waits only for the read, and a record it was adding is in or out, never half.
            // Every byte is kept, a damaged tail too, so a restore gives back the very same file.
            try {
                ArchiveFile archive(s.path, s.recordSize, ArchiveFile::Access::Read);
                s.memory = archive.readAll();
                archive.close();
            } catch (const ArchiveError &e) {
                return fail(e.reason() == ArchiveError::Reason::Busy ? Problem::Busy : Problem::ReadFailed), false;
            } catch (const std::bad_alloc &) {
                return fail(Problem::ReadFailed), false;
            }
            s.device = std::make_unique<QBuffer>(&s.memory);
        } else {
            s.device = std::make_unique<QFile>(s.path);
        }
        if (!s.device->open(QIODevice::ReadOnly))
            return fail(Problem::ReadFailed), false;
        return true;
    }

    zip_int64_t handle(Source &s, void *data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            return open(s) ? 0 : -1;
        case ZIP_SOURCE_READ: {
            const qint64 got = s.device->read(static_cast<char *>(data), static_cast<qint64>(length));
            if (got < 0)
                return fail(Problem::ReadFailed);
            s.hash.addData(QByteArrayView(static_cast<const char *>(data), got));
            s.size += got;
            if (!s.path.isEmpty()) {
                m_done += got;
                if (m_progress && !m_progress(m_done, m_total))
                    return fail(Problem::Cancelled);
            }
            return got;
        }
        case ZIP_SOURCE_CLOSE:
            s.device.reset();
            s.memory = QByteArray();
            if (!s.path.isEmpty())
                entries << Entry { s.name, s.size, s.hash.result().toHex() };
            return 0;
        case ZIP_SOURCE_STAT: {
            auto *st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &m_error);
            if (!st)
                return -1;
            zip_stat_init(st);
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_READABLE;
        default:
            zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    Progress m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    zip_error_t m_error;
};

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
        else if (ProgramFiles::isPriceList(e.name)) {
            ++c->lists;
            c->pages += e.size / TPaginaListino::RecordSize;
        } else if (ProgramFiles::isCardPhoto(e.name) || e.name.startsWith(PhotoFolder + QLatin1Char('/')))
            ++c->photos;
        else if (e.name.startsWith(AttachmentFolder + QLatin1Char('/')))
            ++c->attachments;
    }
}

/** What a restore's journal records: the folder set aside, the current names, then the copy's. */
QStringList swapRecord(const QString &aside, const QStringList &current, const QStringList &staged)
{
    return QStringList { aside, QString::number(current.size()) } + current + staged;
}

/** Puts the moved names back where they were, newest first; false when one could not go back. */
bool moveBack(const QList<QPair<QString, QString>> &moves)
{
    bool all = true;
    for (auto it = moves.crbegin(); it != moves.crend(); ++it)
        all = renamePath(it->second, it->first) && all;
    return all;
}

Problem unpack(zip_t *zip, const Contents &contents, const QString &staging, const Progress &progress)
{
    qint64 total = 0;
    for (const Entry &e : contents.entries)
        total += e.size;
    qint64 done = 0;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    for (const Entry &e : contents.entries) {
        const QString target = staging + e.name;
        if (!QDir().mkpath(QFileInfo(target).path()))
            return Problem::WriteFailed;
        const zip_int64_t index = zip_name_locate(zip, e.name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
        if (index < 0)
            return Problem::Mismatch;
        std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> in(zip_fopen_index(zip, index, 0), zip_fclose);
        if (!in)
            return Problem::Unreadable;
        QFile out(target);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Problem::WriteFailed;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        qint64 size = 0;
        for (;;) {
            const zip_int64_t got = zip_fread(in.get(), buffer.data(), Chunk);
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
        if (zip_fclose(in.release()) != 0)
            return Problem::Unreadable;
        if (size != e.size || hash.result().toHex() != e.sha256)
            return Problem::Mismatch;
        // On the disk before any current file is moved aside.
        if (!DiskSync::qtFile(out.handle()))
            return Problem::WriteFailed;
        out.close();
        if (out.error() != QFileDevice::NoError)
            return Problem::WriteFailed;
    }
    return Problem::None;
}

QString timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
}

/** When a copy named by newCopyPath() was made: the minute in its name, then its number within that minute. */
std::pair<QString, qint64> madeAt(const QString &copyName)
{
    const QString prefix = QStringLiteral("Vetrinova-copia-");
    const QString minute = copyName.mid(prefix.size(), 15);
    const QString counter = copyName.mid(prefix.size() + 15).chopped(4); // empty, or "-<n>"
    return { minute, counter.isEmpty() ? 1 : counter.mid(1).toLongLong() };
}

QString settingsPath()
{
    return programPath(QStringLiteral("Vetrinova.ini"));
}

QSettings settings()
{
    return QSettings(settingsPath(), QSettings::IniFormat);
}

/**
 * Sets one value in Vetrinova.ini through the atomic writer. QSettings would write the file in place
 * and, on a full disk, leave it empty with no word; here it only composes the text, on a scratch copy,
 * and the old file stays whole unless the new one is all on the disk.
 */
WriteResult store(const QString &key, const QVariant &value)
{
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return WriteError::WriteFailed;
    const QString draft = scratch.filePath(QStringLiteral("Vetrinova.ini"));
    {
        const QSettings current(settingsPath(), QSettings::IniFormat);
        QSettings composed(draft, QSettings::IniFormat);
        for (const QString &k : current.allKeys())
            composed.setValue(k, current.value(k));
        composed.setValue(key, value);
        composed.sync();
        if (composed.status() != QSettings::NoError)
            return WriteError::WriteFailed;
    }
    QFile text(draft);
    if (!text.open(QIODevice::ReadOnly))
        return WriteError::WriteFailed;
    return FileReplace::replace(settingsPath(), text.readAll());
}

/** For settings that only spare the user a step: a failure to keep one is logged, not shown. */
void storeQuietly(const QString &key, const QVariant &value)
{
    if (const WriteResult stored = store(key, value); !stored)
        qWarning("Vetrinova.ini: %s not kept (error %d)", qPrintable(key), int(stored.error()));
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
    // Numbered after the highest of the minute still there, never in a gap left by pruning: the
    // numbers keep the order the copies were made in.
    qint64 last = 0;
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (ProgramFiles::isCopyName(name) && name.startsWith(base.chopped(4)))
            last = std::max(last, madeAt(name).second);
    const auto taken = [](const QString &path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };
    QString path = dir.filePath(base);
    for (qint64 n = std::max<qint64>(last + 1, 2); last > 0 || taken(path); ++n) {
        path = dir.filePath(base.chopped(4) + QStringLiteral("-%1.zip").arg(n));
        if (!taken(path))
            break;
    }
    return path;
}

bool isProgramFile(const QString &name)
{
    return ProgramFiles::isProgramFile(name);
}

QStringList programFiles()
{
    return ProgramFiles::all();
}

Problem create(const QString &zipPath, const Progress &progress)
{
    const QString root = programFolder();
    const QStringList files = programFiles();
    qint64 total = 0;
    for (const QString &f : files)
        total += QFileInfo(root + f).size();

    // The copy is made under the atomic writer's exclusive temporary, never a fixed name another copy
    // of the program, or a planted link, could share; libzip puts its finished file there by a rename.
    FileReplace file(zipPath, FileReplace::Place::ChosenByUser);
    if (!file.open())
        return Problem::WriteFailed;
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(file.temporaryPath()).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return Problem::WriteFailed;
    Writer writer(progress, total);
    std::vector<std::unique_ptr<Source>> sources;
    std::vector<std::unique_ptr<std::pair<Writer *, Source *>>> states;
    auto add = [&](const QString &name, const QString &path, int recordSize, bool compress) {
        auto source = std::make_unique<Source>();
        source->name = name;
        source->path = path;
        source->recordSize = recordSize;
        states.push_back(std::make_unique<std::pair<Writer *, Source *>>(&writer, source.get()));
        zip_source_t *zs = zip_source_function(zip, &Writer::callback, states.back().get());
        if (!zs)
            return false;
        const zip_int64_t index = zip_file_add(zip, name.toUtf8().constData(), zs, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(zs);
            return false;
        }
        sources.push_back(std::move(source));
        // Photos are already compressed; the archives' padding packs well even at the fastest level.
        return zip_set_file_compression(zip, index, compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, compress ? 1 : 0) == 0
            && zip_file_set_external_attributes(zip, index, 0, ZIP_OPSYS_UNIX, 0100644u << 16) == 0;
    };
    bool added = true;
    for (const QString &name : files)
        added = added
            && add(name, root + name, recordSizeOf(name), !name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive));
    // The list goes last: it is made once every file before it has been read and hashed.
    added = added && add(manifestName(), QString(), 0, true);
    if (!added) {
        zip_discard(zip);
        return Problem::WriteFailed;
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return writer.problem != Problem::None ? writer.problem : Problem::WriteFailed;
    }
    if (!file.takeRenamed() || !file.commit())
        return Problem::WriteFailed;
    return Problem::None;
}

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
        std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> in(zip_fopen_index(zip, listIndex, 0), zip_fclose);
        if (!in)
            return Problem::Unreadable;
        QByteArray buffer(Chunk, Qt::Uninitialized);
        for (;;) {
            const zip_int64_t got = zip_fread(in.get(), buffer.data(), Chunk);
            if (got < 0)
                return Problem::Unreadable;
            if (got == 0)
                break;
            text.append(buffer.constData(), got);
            if (text.size() > bounds.listBytes)
                return Problem::Foreign;
        }
        if (zip_fclose(in.release()) != 0)
            return Problem::Unreadable;
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

Problem restore(const QString &zipPath, const Progress &progress)
{
    Contents contents;
    if (const Problem p = inspect(zipPath, &contents); p != Problem::None)
        return p;
    Reader reader(zipPath);
    if (!reader.zip)
        return Problem::Unreadable;

    const QString root = programFolder();
    const QString staging = root + Staging + QLatin1Char('/');
    removeTree(root + Staging);
    if (!QDir().mkpath(staging))
        return Problem::WriteFailed;
    if (const Problem p = unpack(reader.zip, contents, staging, progress); p != Problem::None) {
        removeTree(root + Staging);
        return p;
    }

    // Everything is here and checked: now the current files go aside and the copy's take their place,
    // under a journal that lets the next start finish or undo the swap if the program is stopped.
    QString aside = QStringLiteral("Ripristino-precedente-") + timeStamp(Clock::now());
    for (int n = 2; QFileInfo(root + aside).exists() || QFileInfo(root + aside).isSymLink(); ++n)
        aside = QStringLiteral("Ripristino-precedente-") + timeStamp(Clock::now()) + QStringLiteral("-%1").arg(n);
    const QString asidePath = root + aside + QLatin1Char('/');
    const QStringList current = topLevelItems();
    const QStringList staged
        = QDir(staging).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    // The journal comes first, so a stop at any point after leaves nothing the next start does not settle.
    Journal journal;
    if (!journal.begin(Journal::Kind::Restore, swapRecord(aside, current, staged))) {
        removeTree(root + Staging);
        return Problem::WriteFailed;
    }
    if (!QDir().mkdir(asidePath)) {
        removeTree(root + Staging);
        journal.finish();
        return Problem::WriteFailed;
    }
    QList<QPair<QString, QString>> moves;
    auto undo = [&] {
        // What could not go back stays recorded for the next start.
        if (moveBack(moves)) {
            QDir().rmdir(asidePath);
            removeTree(root + Staging);
            journal.finish();
        }
        return Problem::RestoreFailed;
    };
    for (const QString &item : current) {
        if (!renamePath(root + item, asidePath + item))
            return undo();
        moves.append({ root + item, asidePath + item });
    }
    for (const QString &item : staged) {
        if (!renamePath(staging + item, root + item))
            return undo();
        moves.append({ staging + item, root + item });
    }
    // The moves last only once the folder is on the disk; until then the old files are the ones to keep.
    if (!DiskSync::folderOf(root + QStringLiteral("Magazzino.pro")))
        return undo();
    removeTree(asidePath);
    removeTree(root + Staging);
    journal.finish();
    return Problem::None;
}

void removeUnfinishedUnpack()
{
    removeTree(programFolder() + Staging);
}

Settled settleInterruptedRestore(const QStringList &lines)
{
    const qsizetype currentCount = lines.value(1).toLongLong();
    const QString aside = lines.value(0);
    if (lines.size() < 2 || !aside.startsWith(QLatin1String("Ripristino-precedente-")) || !isPlainFileName(aside)
        || currentCount < 0 || currentCount > lines.size() - 2)
        return Settled::Failed;
    const QStringList current = lines.mid(2, currentCount);
    const QStringList staged = lines.mid(2 + currentCount);
    for (const QString &name : current + staged)
        if (!isPlainFileName(name))
            return Settled::Failed;
    const QString root = programFolder();
    const QString asidePath = root + aside + QLatin1Char('/');
    const QString staging = root + Staging + QLatin1Char('/');
    auto there = [](const QString &path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); };

    // Until the first of the copy's files is in place the old state is whole again by moving back;
    // after, every old file is aside already and the copy's are finished.
    const bool puttingInPlace
        = std::any_of(staged.begin(), staged.end(), [&](const QString &name) { return !there(staging + name); });
    bool ok = true;
    if (!puttingInPlace) {
        for (const QString &name : current)
            if (there(asidePath + name) && !there(root + name))
                ok = renamePath(asidePath + name, root + name) && ok;
    } else {
        QDir().mkpath(asidePath);
        for (const QString &name : current)
            if (!staged.contains(name) && there(root + name))
                ok = renamePath(root + name, asidePath + name) && ok;
        for (const QString &name : staged) {
            if (!there(staging + name))
                continue;
            if (there(root + name))
                ok = !there(asidePath + name) && renamePath(root + name, asidePath + name) && ok;
            ok = ok && renamePath(staging + name, root + name);
        }
    }
    // Settled only once the moves are on the disk; otherwise the journal stays for the next start.
    if (!ok || !DiskSync::folderOf(root + QStringLiteral("Magazzino.pro")))
        return Settled::Failed;
    removeTree(root + aside);
    removeTree(root + Staging);
    return puttingInPlace ? Settled::Completed : Settled::Undone;
}

namespace Settings {
QString lastFolder()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Cartella")).toString();
}

void setLastFolder(const QString &folder)
{
    storeQuietly(QStringLiteral("CopieDiSicurezza/Cartella"), folder);
}

bool automatic()
{
    return settings().value(QStringLiteral("CopieDiSicurezza/Automatica"), true).toBool();
}

WriteResult setAutomatic(bool on)
{
    return store(QStringLiteral("CopieDiSicurezza/Automatica"), on);
}

int keep()
{
    bool ok = false;
    const int n = settings().value(QStringLiteral("CopieDiSicurezza/DaTenere"), 10).toInt(&ok);
    return ok && n > 0 ? n : 10;
}

WriteResult setKeep(int count)
{
    return store(QStringLiteral("CopieDiSicurezza/DaTenere"), count);
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
    // Not kept, the next exit merely makes one copy more.
    storeQuietly(QStringLiteral("CopieDiSicurezza/Impronta"), QString::fromLatin1(fingerprint()));
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
    const QString path = newCopyPath(folder, when);
    const Problem p = create(path, progress);
    if (p != Problem::None)
        return p;
    markCopied();
    // Only the program's own names count: a copy the user renamed, or a temporary, is never removed.
    QStringList copies;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks);
    std::copy_if(names.begin(), names.end(), std::back_inserter(copies), ProgramFiles::isCopyName);
    std::sort(copies.begin(), copies.end(), [](const QString &a, const QString &b) { return madeAt(a) < madeAt(b); });
    // The copy just made stays, even when a clock set back gives it an older name.
    copies.removeOne(QFileInfo(path).fileName());
    const qsizetype excess = copies.size() + 1 - Settings::keep();
    for (qsizetype i = 0; i < excess; ++i)
        QFile::remove(QDir(folder).filePath(copies.at(i)));
    return Problem::None;
}

} // namespace SafetyCopy
