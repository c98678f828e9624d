#include "storage/SafetyCopyParts.h"

#include "storage/ArchiveFile.h"
#include "storage/Clock.h"
#include "storage/FileReplace.h"
#include "storage/Movements.h"
#include "storage/PaginaListino.h"
#include "storage/ProgramFolder.h"
#include "storage/SchedaProdotto.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>
#include <vector>

// Writing a copy: the ZIP and its list of files, with their sizes and checksums.
namespace SafetyCopy {
namespace {

const char *const Heading = "Vetrinova copia di sicurezza";

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
} // namespace

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

Problem readEntry(zip_file_t *opened, const std::function<Problem(const char *data, qint64 size)> &take)
{
    std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> in(opened, zip_fclose);
    QByteArray buffer(Chunk, Qt::Uninitialized);
    for (;;) {
        const zip_int64_t got = zip_fread(in.get(), buffer.data(), Chunk);
        if (got < 0)
            return Problem::Unreadable;
        if (got == 0)
            break;
        if (const Problem p = take(buffer.constData(), got); p != Problem::None)
            return p;
    }
    return zip_fclose(in.release()) == 0 ? Problem::None : Problem::Unreadable;
}

QString manifestName()
{
    return QStringLiteral("Vetrinova-elenco-copia.txt");
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
    // The movements still in SQLite's log go into Movimenti.db first, so the copy holds them all.
    Movements::checkpoint();
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

} // namespace SafetyCopy
