#pragma once

#include "storage/platform/Os.h"

#include <QString>
#include <QStringList>

/**
 * The record of a change that touches more than one file (an import, a restore), kept in the program
 * folder while the change is under way. It is written and on the disk before the change touches
 * anything, held locked while its program runs, and removed once the change is whole; finding one
 * at start-up that nobody holds means the program stopped half-way, and recover() settles it.
 */
class Journal
{
public:
    enum class Kind { Import, Restore, List };

    Journal() = default;
    /** Lets go of the journal, leaving it for the next start when the change was not finished. */
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    /**
     * Writes the journal (its kind and `lines`, what recovery needs to know) and holds it; false when
     * it could not be written, and then the change must not start.
     */
    bool begin(Kind kind, const QStringList &lines);
    /** The change is whole: the journal goes. False when it could not be removed. */
    bool finish();
    bool active() const { return m_file != Os::kNoFile; }

    /** Vetrinova.diario in the program folder. */
    static QString path();

    /**
     * Settles a change that was stopped half-way, if any: puts the folder wholly back as it was or
     * wholly as the change meant it, and returns an Italian message saying which (empty when there
     * was nothing to do, or when the change is still running in another copy of the program).
     */
    static QString recover();

private:
    Os::File m_file = Os::kNoFile;
};
