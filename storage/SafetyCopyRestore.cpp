#include "storage/SafetyCopyParts.h"

#include "storage/Clock.h"
#include "storage/DiskSync.h"
#include "storage/Journal.h"
#include "storage/Movements.h"
#include "storage/ProgramFolder.h"
#include "storage/platform/Os.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

// Restoring a copy: unpacked beside the folder, checked, then swapped in under the journal.
namespace SafetyCopy {
namespace {

const QString Staging = QStringLiteral("Ripristino-in-corso");

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
        // The movements' log belongs to the journal it goes aside with: left here, SQLite would
        // replay it over the copy's journal.
        else if (!info.isDir() && Movements::companions().contains(name))
            out << name;
    }
    return out;
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
        const Problem read = readEntry(in.release(), [&](const char *data, qint64 got) {
            size += got;
            // More than the list says: stop before a crafted entry fills the disk.
            if (size > e.size)
                return Problem::Mismatch;
            if (out.write(data, got) != got)
                return Problem::WriteFailed;
            hash.addData(QByteArrayView(data, got));
            done += got;
            if (progress && !progress(done, total))
                return Problem::Cancelled;
            return Problem::None;
        });
        if (read != Problem::None)
            return read;
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
} // namespace

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
} // namespace SafetyCopy
