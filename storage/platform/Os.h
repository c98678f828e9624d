#pragma once

// The only door to the operating system for files, locks, the program folder and the desktop's
// file handler. One implementation per system (posix/, windows/); nothing else in the program
// includes a system header. Plain C++ with no Qt, so the Windows one can be compiled where no Qt
// for Windows is at hand. Paths are UTF-8 bytes as QFile::encodeName gives them.

#include <cstdint>
#include <string>
#include <vector>

namespace Os {

/** An open file: a descriptor on POSIX, a HANDLE on Windows. */
using File = std::intptr_t;
inline constexpr File kNoFile = -1;

/** The file behind a C runtime descriptor, such as QFileDevice::handle() gives. */
File fromDescriptor(int descriptor);

/** Why the last call failed, in the terms the callers act on. */
enum class Error {
    None,
    NotFound, ///< no such file
    Exists, ///< creating a file whose name is taken
    NameRefused, ///< the file system will not take this name (too long, invalid characters)
    NotAFile, ///< a folder or a device where a file was expected
    Busy, ///< another process holds the lock
    Other
};

/** The last failure on this thread and the system's own words for it. */
Error lastError();
std::string lastErrorText();

/** Opens an existing file for reading and writing; kNoFile on failure. */
File openExisting(const std::string &path);
/** Opens an existing file for reading and writing, failing when the name is a link. */
File openNoLink(const std::string &path);
/** Creates a new, empty file for reading and writing, never following a link; fails with Exists if the name is taken.
 */
File createNew(const std::string &path);
/** Closes; false if the system reported an error (data may not have been written). */
[[nodiscard]] bool close(File file);

struct Status
{
    bool regularFile = false;
    bool readOnly = false; ///< marked read-only for everyone (no write permission bit, or the read-only attribute)
    std::int64_t size = 0;
};
bool status(File file, Status &out);

/** Tries once to take an exclusive lock without waiting; false with Busy when another process has it. */
bool tryLock(File file);
/**
 * Tries once to take a shared lock without waiting: many readers hold it together, and it keeps out
 * only an exclusive lock; false with Busy while another process holds the exclusive one.
 */
bool tryLockShared(File file);
/** Gives up the lock this opening holds, shared or exclusive, keeping the file open. */
bool unlock(File file);

/** Reads up to `n` bytes at `offset`, going on after interruptions; the count read (short at the end), or -1. */
std::int64_t readAt(File file, std::int64_t offset, char *buffer, std::int64_t n);
/** Writes all `n` bytes at `offset`; false if any could not be written. */
[[nodiscard]] bool writeAt(File file, std::int64_t offset, const char *buffer, std::int64_t n);

/** Makes the file exactly `size` bytes long, cutting what lies past it (or adding zeros). */
[[nodiscard]] bool truncate(File file, std::int64_t size);

/** Flushes a file's data to the disk; true when done or when the file system cannot (nothing to wait for). */
[[nodiscard]] bool syncFile(File file);
/** Flushes a folder's entries (a rename or a new name in it); true when done or not possible there. */
[[nodiscard]] bool syncFolder(const std::string &folder);

/** Puts `from` in place of `to` in one step, replacing `to` if it exists. */
[[nodiscard]] bool replace(const std::string &from, const std::string &to);
/** Removes a file's name (a link itself, never what it points to); false if it could not be removed. */
[[nodiscard]] bool remove(const std::string &path);

/**
 * Names of the regular files (or links to one) in `folder` ending in `ending`, compared ignoring
 * the case of ASCII letters, as the system gives them; empty when the folder cannot be read.
 */
std::vector<std::string> regularFiles(const std::string &folder, const std::string &ending);
/** The longest file name `folder` accepts, in bytes (255 when the system does not say). */
int nameMax(const std::string &folder);

/** Full path of the running executable; empty when the system does not say. */
std::string executablePath();

/** Hands a path or address to the desktop's default program; false only when that could not even start. */
bool openWithDesktop(const std::string &target);

} // namespace Os
