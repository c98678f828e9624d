#include "storage/SafetyCopy.h"

#include "storage/ArchiveFile.h"
#include "storage/Clock.h"
#include "storage/DiskSync.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"
#include "storage/platform/Os.h"

#include <zip.h>

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

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace SafetyCopy {
namespace {

constexpr qint64 Chunk = 1 << 20;
const char *const Heading = "Vetrinova copia di sicurezza";
const QString PhotoFolder = QStringLiteral("Foto_Listino");
const QString AttachmentFolder = QStringLiteral("Documenti_Allegati");
const QString Staging = QStringLiteral("Ripristino-in-corso");
Limits g_limits;

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
    if (!name.contains(QLatin1Char('/')) && isListFile(name))
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
            if (injected(Step::FinishCopy, s.name))
                return fail(Problem::WriteFailed), false;
            s.memory = manifestText(entries, Clock::now());
            s.device = std::make_unique<QBuffer>(&s.memory);
        } else if (s.recordSize) {
            // The archive is read whole under its lock and written out after: another copy of the
            // program waits only for the read, and a record it was adding is in or out, never half.
            try {
                ArchiveFile archive(s.path, s.recordSize);
                const qint64 n = archive.count();
                s.memory.resize(n * s.recordSize);
                s.memory.resize(archive.readMany(0, n, s.memory.data()) * s.recordSize);
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
            if (injected(Step::WriteEntry, s.name))
                return fail(Problem::WriteFailed);
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

Problem unpack(zip_t *zip, const Contents &contents, const QString &staging, const Progress &progress)
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

    // libzip writes a temporary file beside zipPath and renames it only once all went well.
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
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
    QFile written(zipPath);
    if (!written.open(QIODevice::ReadOnly) || !DiskSync::file(written.handle())) {
        QFile::remove(zipPath);
        return Problem::WriteFailed;
    }
    // A copy whose name may vanish at a power cut is no copy: reported as failed, as a full disk is.
    if (!DiskSync::folderOf(zipPath)) {
        QFile::remove(zipPath);
        return Problem::WriteFailed;
    }
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
    // The moves last only once the folder is on the disk; until then the old files are the ones to keep.
    if (!DiskSync::folderOf(root + QStringLiteral("Magazzino.pro")))
        return undo();
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
