#pragma once

#include "storage/FileMark.h"
#include "storage/Journal.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class ArchiveFile;

namespace PriceListFile {
/** Reads and writes of whole pages under one opening and one lock of a list: see inOnePass(). */
class PageBatch
{
public:
    qint64 count() const;
    /** The bytes of page `page` (from 1) as they are in the file. */
    QByteArray readRaw(qint64 page) const;
    /** Overwrites page `page` (from 1) with `bytes`, a whole page. */
    void writeRaw(qint64 page, const QByteArray &bytes);
    /** Size and sum of the whole file as it is now. */
    FileMark mark() const;

private:
    friend void inOnePass(const QString &, const QString &, const std::function<void(PageBatch &)> &);
    PageBatch(ArchiveFile &file, const QString &path, const QString &backupPath);
    void beforeWriting();
    void rollBack();

    ArchiveFile &m_file;
    QString m_path;
    QString m_backupPath;
    qint64 m_before = 0;
    bool m_backedUp = false;
    Journal m_journal;
    std::vector<qint64> m_overwritten; // indexes from 0, for the roll-back
};

/**
 * Runs `work` with the list `path` open and locked once. Before the first write the whole list is
 * copied byte for byte to `backupPath` (in the program folder) and a journal records the pass; when
 * `work` or the final flush throws, the pages written come back from that copy and the exception goes
 * on. A pass stopped half-way is undone at the next start by undoInterruptedPass().
 */
void inOnePass(const QString &path, const QString &backupPath, const std::function<void(PageBatch &)> &work);

/** Puts a list back as the pass a journal (its `lines`) recorded found it; false when it cannot. */
bool undoInterruptedPass(const QStringList &lines);
} // namespace PriceListFile
