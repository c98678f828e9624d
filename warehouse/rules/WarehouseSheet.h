#pragma once

#include "storage/SchedaProdotto.h"

#include <QHash>
#include <QString>

#include <array>
#include <optional>
#include <vector>

/**
 * The warehouse as the export grid shows it: one row per card with seventeen field texts, kept as
 * the archive's own bytes in one block (a hundred thousand cards stay small), plus the texts the user
 * changed in the grid, which never reach the archive.
 */
class WarehouseSheet
{
public:
    static constexpr int ColumnCount = 17;

    /** The card field shown in each column, in column order. */
    static const std::array<TSchedaProdotto::Field, ColumnCount> &fields();

    /** Drops every row and edit. */
    void clear();
    /** Makes the sheet `rows` long; rows past the ones read from the archive are empty. */
    void setRowCount(qsizetype rows);
    /**
     * Makes room for `records` cards at their longest, so reading a big archive never moves what was
     * read; room never written costs no memory.
     */
    void reserve(qsizetype records);
    /** The bytes of every stored cell together. */
    qsizetype storedSize() const { return m_bytes.size(); }
    /** Takes the next card from a raw archive record (TSchedaProdotto::RecordSize bytes), trimmed. */
    void appendRecord(const char *record);

    qsizetype rowCount() const { return m_rowCount; }
    /** Rows that were read from the archive (their number is row + 1). */
    qsizetype filledCount() const { return m_filled; }

    /** The text of a cell, the user's edit when there is one. */
    QString text(qsizetype row, int column) const;
    /**
     * The cell as the archive stores it (Windows-1252, trimmed; empty for a row never filled), or
     * nothing when the user changed it: the quick way to write an unchanged cell.
     */
    std::optional<QByteArrayView> storedBytes(qsizetype row, int column) const;
    /** Changes a cell in the sheet only. */
    void setText(qsizetype row, int column, const QString &text);

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_cellStart; // start of each stored cell in m_bytes, plus one final end
    QHash<qsizetype, QString> m_edits; // keyed by row * ColumnCount + column
    qsizetype m_rowCount = 0;
    qsizetype m_filled = 0;
};
