#pragma once

// The one place where a test makes the disk fail. Every function of the system module (Os.h) asks it
// first, so a fault armed here reaches every open, read, write, flush, rename, truncation, removal and
// lock the program makes, whichever module makes it. Plain C++, shared by the posix and windows modules.
// When nothing is armed a call costs one relaxed atomic load.

#include "storage/platform/Os.h"

#include <atomic>
#include <functional>
#include <string>

namespace Os::Faults {

/** The kinds of call a fault can pick. */
enum class Kind {
    Open, ///< openExisting, openNoLink
    Create, ///< createNew
    Read, ///< readAt
    Write, ///< writeAt
    Sync, ///< syncFile, syncFolder
    Rename, ///< replace
    Truncate, ///< truncate
    Remove, ///< remove
    Lock, ///< tryLock, tryLockShared, unlock
    Close, ///< close
    Status, ///< status
    Any ///< every kind above
};
inline constexpr int kKinds = int(Kind::Any);

/** What to make fail, or to watch. */
struct Fault
{
    Kind kind = Kind::Any;
    /** The matching call that fails, counted from 1 since arming; 0 fails none (to count or watch). */
    int call = 0;
    Error error = Error::Other;
    /**
     * Only calls on a file whose path contains this (empty: every call). A file is known by its path
     * when it was opened or created while armed.
     */
    std::string path {};
    /** `path` must end the file's path: the file itself, not a temporary or a backup named after it. */
    bool wholeName = false;
    /** A failing write stores half its bytes first, as on a disk that fills up mid-way. */
    bool partial = false;
    /** Every matching call from the chosen one on fails, as on a disk that stays full. */
    bool lasting = false;
    /**
     * Called before every matching call with its kind, its number (from 1) and the path it is on (empty
     * when not known; a rename's two names one per line), outside any lock and on the caller's thread:
     * it may stop the process, wait, or look at the files.
     */
    std::function<void(Kind kind, int call, const std::string &path)> hook {};
};

/** Whether `fault` picks calls on `path` (as a hook is given it). */
bool concerns(const Fault &fault, const std::string &path);

/** Arms `fault` in place of any armed before, with its counts from zero. */
void arm(Fault fault);
/** Back to normal working. */
void disarm();
/** Matching calls of `kind` seen since arming (Any: of every kind). */
int calls(Kind kind = Kind::Any);
/** Whether the armed fault has made a call fail. */
bool fired();

/** Arms a fault for one scope, for a test that may leave early on a failed check. */
class Armed
{
public:
    explicit Armed(Fault fault) { arm(std::move(fault)); }
    ~Armed() { disarm(); }
    Armed(const Armed &) = delete;
    Armed &operator=(const Armed &) = delete;
};

// For the system modules only.
namespace detail {
extern std::atomic<bool> armed;

/** What the seam decided for one call. */
struct Verdict
{
    bool fail = false;
    Error error = Error::Other;
    bool partial = false;
};
Verdict check(Kind kind, File file);
Verdict check(Kind kind, const std::string &path);
/** Tells the seam the path behind a file just opened or created, and that a file was closed. */
void opened(File file, const std::string &path);
void closed(File file);
} // namespace detail

/** Whether a fault is armed; the system modules test this before anything else. */
inline bool armed()
{
    return detail::armed.load(std::memory_order_relaxed);
}

} // namespace Os::Faults
