#pragma once

#include "storage/SchedaProdotto.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <vector>

/** Lower-cases the letters A to Z and nothing else (è stays è, È stays È). */
QString lowerAsciiLetters(const QString &text);

/**
 * The search rule of the warehouse search: each box is compared, lower-cased but not trimmed, with
 * its record field, untrimmed and lower-cased; a box matches when it occurs in the field, an empty
 * box never does. A card is listed when the matches reach the number of boxes that are not blank.
 */
class CardMatcher
{
public:
    struct Box
    {
        TSchedaProdotto::Field field;
        QString text;
    };

    explicit CardMatcher(const QList<Box> &boxes);

    /** The boxes whose text, trimmed, is not empty. */
    int countedBoxes() const { return m_counted; }
    /** How many boxes occur in their fields of the raw record. */
    int matchCount(const char *record) const;
    bool matches(const char *record) const { return matchCount(record) >= m_counted; }

private:
    struct Needle
    {
        int offset;
        int width;
        QByteArray bytes; // lower-cased Windows-1252
    };
    std::vector<Needle> m_needles; // only boxes that can ever match
    int m_counted = 0;
};

/** Under stock: stock not above the warning level, both read as numbers; false when either is not a number. */
bool isUnderStock(const char *record);

/** Unpaid: the paid flag, trimmed, is exactly "No". */
bool isUnpaid(const char *record);

/** Overdue: unpaid, with a due date (dd/mm/yyyy) before `today`; a blank or unreadable date is never overdue. */
bool isOverdue(const char *record, const QDate &today);
