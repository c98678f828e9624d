#pragma once

#include "warehouse/rules/ResultLine.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

/**
 * The lines of a result list, each with the number (from 1) of the record it
 * was built from, kept as the stored Windows-1252 bytes in one buffer: a list
 * of 100 000 cards is two allocations, and a line becomes a string only when it
 * is shown, found or printed.
 */
class ResultLines
{
public:
    qsizetype size() const { return qsizetype(m_items.size()); }
    bool empty() const { return m_items.empty(); }
    void clear();
    /** Room for `lines` lines of about `lineBytes` bytes each, taken once. */
    void reserve(qsizetype lines, qsizetype lineBytes);

    /** Appends the result line of a raw record (see resultLine()). */
    void append(LineLayout layout, const char *record, qint64 number);
    /** Appends a line given as text (characters outside Windows-1252 become '?').
     */
    void append(const QString &line, qint64 number);

    QString line(qsizetype i) const;
    qint64 record(qsizetype i) const { return m_items[size_t(i)].record; }
    QStringList lines() const;

    /** Sorts in the order of the program's lists (compareListText); equal lines
     * keep their order. */
    void sort();

private:
    struct Item
    {
        quint32 offset;
        quint32 length;
        qint64 record;
    };
    QByteArray m_bytes;
    std::vector<Item> m_items;
};

/**
 * Reads Magazzino.pro from the first record to the last and appends to `lines`
 * the line of every card that passes `test`. Throws ArchiveError; the lines
 * added before a failure stay.
 */
void collectResults(ResultLines &lines, LineLayout layout, const std::function<bool(const char *record)> &test);
