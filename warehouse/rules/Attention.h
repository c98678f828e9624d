#pragma once

#include <QDate>

/** What the start window points out: the cards under stock and the payments past their due date. */
struct AttentionCounts
{
    qint64 underStock = 0;
    qint64 overdue = 0;
};

/**
 * Counts the cards of Magazzino.pro under stock and overdue on `today`, reading the whole cards under
 * the archive's shared lock and letting a save in between blocks. A missing archive counts nothing and is not created.
 * Throws ArchiveError.
 */
AttentionCounts countAttention(const QDate &today);
