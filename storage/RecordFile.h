#pragma once

#include "storage/ArchiveFile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

/**
 * The operations the program's two record files share, for a record type with RecordSize, store()
 * and load() (TSchedaProdotto for Magazzino.pro, TPaginaListino for a .lis). Each call opens the file
 * (creating it when missing), takes its lock (shared to read, exclusive to write), works and closes
 * it, and throws ArchiveError on any failure. Records are counted from 1.
 */
template <typename Record> struct RecordFile
{
    static constexpr int Size = Record::RecordSize;

    /** What readChosen() found: the count, the record chosen (0 for none) and its content. */
    struct Chosen
    {
        qint64 count = 0;
        qint64 number = 0;
        Record record;
    };

    static qint64 count(const QString &path)
    {
        ArchiveFile file(path, Size, ArchiveFile::Access::Read);
        const qint64 n = file.count();
        file.close();
        return n;
    }

    static Record read(const QString &path, qint64 n)
    {
        ArchiveFile file(path, Size, ArchiveFile::Access::Read);
        Record record = readFrom(file, n - 1);
        file.close();
        return record;
    }

    /**
     * Writes record `n`: up to the count it overwrites, count + 1 appends; `written`, when given, gets
     * `n` as soon as the record is in the file, even when closing then fails.
     */
    static qint64 write(const QString &path, qint64 n, const Record &record, qint64 *written = nullptr)
    {
        ArchiveFile file(path, Size);
        if (n < 1 || n > file.count() + 1)
            throw ArchiveError("record out of range");
        writeInto(file, n - 1, record);
        if (written)
            *written = n;
        file.close();
        return n;
    }

    /** Appends a record and returns its number; `written` as for write(). */
    static qint64 append(const QString &path, const Record &record, qint64 *written = nullptr)
    {
        // The count is taken under the same lock as the write, so two appending programs get two records.
        ArchiveFile file(path, Size);
        const qint64 index = file.count();
        writeInto(file, index, record);
        if (written)
            *written = index + 1;
        file.close();
        return index + 1;
    }

    /**
     * Counts the records and, when there are any, reads the one `choose(count)` names (0 reads none),
     * all under one opening of the file.
     */
    static Chosen readChosen(const QString &path, const std::function<qint64(qint64)> &choose)
    {
        ArchiveFile file(path, Size, ArchiveFile::Access::Read);
        Chosen found;
        found.count = file.count();
        if (found.count > 0)
            found.number = choose(found.count);
        if (found.number > 0)
            found.record = readFrom(file, found.number - 1);
        file.close();
        return found;
    }

    /** Record `index` (from 0) of an open file. */
    static Record readFrom(const ArchiveFile &file, qint64 index)
    {
        QByteArray bytes(Size, '\0');
        file.read(index, bytes.data());
        return Record::load(bytes.constData());
    }

    /**
     * Writes record `index` (from 0) of an open file over the bytes already in its slot, so the bytes
     * after each text keep whatever the record held: a rewrite changes nothing but the texts.
     */
    static void writeInto(ArchiveFile &file, qint64 index, const Record &record)
    {
        QByteArray bytes(Size, '\0');
        if (index < file.count())
            file.read(index, bytes.data());
        record.store(bytes.data());
        file.write(index, bytes.constData());
    }

    /**
     * Reads the first `end` records of an open file (all of them with the default) in large blocks,
     * calling `visit(firstIndex, records, howMany)` for each block; `visit` returns false to stop.
     * With `yield`, a writer waiting for the lock goes in between blocks.
     */
    template <typename Visit>
    static void forEachBlock(
        ArchiveFile &file, Visit visit, bool yield = false, qint64 end = std::numeric_limits<qint64>::max())
    {
        constexpr qint64 Block = 256;
        std::vector<char> buffer(Block * Size);
        for (qint64 index = 0; index < end;) {
            const qint64 got = file.readMany(index, std::min(Block, end - index), buffer.data());
            if (got > 0 && !visit(index, static_cast<const char *>(buffer.data()), got))
                return;
            index += got;
            if (got < Block)
                return;
            if (yield)
                file.yieldToWriters();
        }
    }

    /** As forEachBlock(), one record at a time: `visit(number, record)`, numbers from 1. */
    template <typename Visit> static void forEachRecord(ArchiveFile &file, Visit visit, bool yield = false)
    {
        forEachBlock(
            file,
            [&](qint64 first, const char *records, qint64 got) {
                for (qint64 i = 0; i < got; ++i)
                    if (!visit(first + i + 1, records + i * Size))
                        return false;
                return true;
            },
            yield);
    }
};
