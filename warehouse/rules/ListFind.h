#pragma once

#include <QString>

#include <functional>

/**
 * The find box of a result list. A new key is looked for from the first entry; the same key again
 * goes on after the selected entry, wrapping from the last to the first. Keys and entries are
 * compared lower-cased (A to Z only), the key untrimmed; an empty key finds nothing.
 */
class ListFind
{
public:
    /** Forgets the key of the last find (the window is shown again). */
    void forget() { m_key.clear(); }
    QString key() const { return m_key; }

    /**
     * Looks for `text` among `count` entries, `selected` being the entry selected now (0 or more).
     * Returns the entry to select, or -1 when none holds the key. Remembers the key.
     */
    int find(const QString &text, int count, int selected, const std::function<QString(int)> &entryText);

private:
    QString m_key;
};

/** True when `loweredKey` (already lower-cased) occurs in `text` lower-cased; never for an empty key. */
bool containsLowered(const QString &text, const QString &loweredKey);
