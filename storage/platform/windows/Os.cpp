#include "storage/platform/Os.h"

#include "storage/platform/Faults.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include <io.h>

#include <algorithm>

namespace {
using Os::Faults::Kind;

thread_local DWORD lastCode = 0;

bool failed(DWORD code = GetLastError())
{
    lastCode = code ? code : ERROR_GEN_FAILURE;
    return false;
}

DWORD codeFor(Os::Error error)
{
    switch (error) {
    case Os::Error::None:
    case Os::Error::Other:
        return ERROR_GEN_FAILURE;
    case Os::Error::NotFound:
        return ERROR_FILE_NOT_FOUND;
    case Os::Error::Exists:
        return ERROR_FILE_EXISTS;
    case Os::Error::NameRefused:
        return ERROR_INVALID_NAME;
    case Os::Error::NotAFile:
        return ERROR_DIRECTORY;
    case Os::Error::Busy:
        return ERROR_LOCK_VIOLATION;
    }
    return ERROR_GEN_FAILURE;
}

// Whether the fault seam makes this call fail; its failure is then recorded as the system's would be.
bool refused(const Os::Faults::detail::Verdict &verdict)
{
    if (verdict.fail)
        lastCode = codeFor(verdict.error);
    return verdict.fail;
}

template <typename Target> bool injected(Kind kind, const Target &target)
{
    return Os::Faults::armed() && refused(Os::Faults::detail::check(kind, target));
}

Os::File noted(Os::File file, const std::string &path)
{
    if (file != Os::kNoFile && Os::Faults::armed())
        Os::Faults::detail::opened(file, path);
    return file;
}

std::wstring wide(const std::string &utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string narrow(const wchar_t *text, int length = -1)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty())
        out.pop_back(); // the terminating zero
    return out;
}

HANDLE handleOf(Os::File file)
{
    return reinterpret_cast<HANDLE>(file);
}

Os::File fileOf(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? Os::kNoFile : reinterpret_cast<Os::File>(handle);
}

// Shared for reading, writing and deleting, as POSIX files are: the lock, not the sharing mode,
// keeps two copies of the program apart.
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Os::File openWith(const std::string &path, DWORD disposition)
{
    if (injected(disposition == CREATE_NEW ? Kind::Create : Kind::Open, path))
        return Os::kNoFile;
    const std::wstring name = wide(path);
    if (name.empty() && !path.empty()) {
        failed(ERROR_INVALID_NAME);
        return Os::kNoFile;
    }
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE }; // not passed to child processes
    const HANDLE h = CreateFileW(
        name.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        failed();
    return noted(fileOf(h), path);
}

bool endsWithIgnoringCase(const std::string &name, const std::string &ending)
{
    if (name.size() < ending.size())
        return false;
    for (size_t i = 0; i < ending.size(); ++i) {
        char a = name[name.size() - ending.size() + i];
        char b = ending[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = char(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}
} // namespace

Os::File Os::fromDescriptor(int descriptor)
{
    const intptr_t h = _get_osfhandle(descriptor);
    return h == -1 ? kNoFile : File(h);
}

Os::Error Os::lastError()
{
    switch (lastCode) {
    case 0:
        return Error::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Error::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Error::Exists;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_PATHNAME:
        return Error::NameRefused;
    case ERROR_DIRECTORY:
        return Error::NotAFile;
    case ERROR_LOCK_VIOLATION:
    case ERROR_SHARING_VIOLATION:
        return Error::Busy;
    default:
        return Error::Other;
    }
}

std::string Os::lastErrorText()
{
    wchar_t *text = nullptr;
    const DWORD n
        = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, lastCode ? lastCode : ERROR_GEN_FAILURE, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string out = n ? narrow(text, int(n)) : std::string("error ") + std::to_string(lastCode);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
        out.pop_back();
    return out;
}

Os::File Os::openExisting(const std::string &path)
{
    return openWith(path, OPEN_EXISTING);
}

Os::File Os::openNoLink(const std::string &path)
{
    if (injected(Kind::Open, path))
        return kNoFile;
    const std::wstring name = wide(path);
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE };
    // The link itself, not what it leads to; then refused, as a link is not the file asked for.
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, &inherit, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        failed();
        return kNoFile;
    }
    FILE_ATTRIBUTE_TAG_INFO tag {};
    if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)
        && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(h);
        failed(ERROR_CANT_ACCESS_FILE);
        return kNoFile;
    }
    return noted(fileOf(h), path);
}

Os::File Os::createNew(const std::string &path)
{
    return openWith(path, CREATE_NEW);
}

bool Os::close(File file)
{
    if (Os::Faults::armed()) {
        const bool refuse = injected(Kind::Close, file);
        Os::Faults::detail::closed(file);
        if (refuse) {
            CloseHandle(handleOf(file)); // the handle goes all the same, as after a real failure
            return false;
        }
    }
    return CloseHandle(handleOf(file)) || failed();
}

bool Os::status(File file, Status &out)
{
    if (injected(Kind::Status, file))
        return false;
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(handleOf(file), &info))
        return failed();
    out.regularFile
        = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && GetFileType(handleOf(file)) == FILE_TYPE_DISK;
    out.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    out.size = (std::int64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

bool Os::tryLock(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    // The whole file and anything written past its end: the largest range there is.
    OVERLAPPED at {};
    if (LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at))
        return true;
    return failed();
}

bool Os::tryLockShared(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    OVERLAPPED at {};
    if (LockFileEx(handleOf(file), LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at))
        return true;
    return failed();
}

bool Os::unlock(File file)
{
    if (injected(Kind::Lock, file))
        return false;
    OVERLAPPED at {};
    if (UnlockFileEx(handleOf(file), 0, MAXDWORD, MAXDWORD, &at))
        return true;
    return failed();
}

bool Os::truncate(File file, std::int64_t size)
{
    if (injected(Kind::Truncate, file))
        return false;
    FILE_END_OF_FILE_INFO end {};
    end.EndOfFile.QuadPart = size;
    if (SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end))
        return true;
    return failed();
}

namespace {
// The position of a read or write in a file opened for ordinary (not overlapped) access.
OVERLAPPED overlappedAt(std::int64_t from)
{
    OVERLAPPED at {};
    at.Offset = DWORD(from & 0xFFFFFFFF);
    at.OffsetHigh = DWORD(from >> 32);
    return at;
}
} // namespace

std::int64_t Os::readAt(File file, std::int64_t offset, char *buffer, std::int64_t n)
{
    if (injected(Kind::Read, file))
        return -1;
    std::int64_t done = 0;
    while (done < n) {
        OVERLAPPED at = overlappedAt(offset + done);
        const DWORD want = DWORD(std::min<std::int64_t>(n - done, 1 << 30));
        DWORD got = 0;
        if (!ReadFile(handleOf(file), buffer + done, want, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            failed();
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

bool Os::writeAt(File file, std::int64_t offset, const char *buffer, std::int64_t n)
{
    if (Os::Faults::armed()) {
        const auto verdict = Os::Faults::detail::check(Kind::Write, file);
        if (verdict.fail && verdict.partial) {
            OVERLAPPED at = overlappedAt(offset);
            DWORD put = 0;
            WriteFile(handleOf(file), buffer, DWORD(std::min<std::int64_t>(n / 2, 1 << 30)), &put, &at);
        }
        if (refused(verdict))
            return false;
    }
    std::int64_t done = 0;
    while (done < n) {
        OVERLAPPED at = overlappedAt(offset + done);
        const DWORD want = DWORD(std::min<std::int64_t>(n - done, 1 << 30));
        DWORD put = 0;
        if (!WriteFile(handleOf(file), buffer + done, want, &put, &at))
            return failed();
        if (put == 0)
            return failed(ERROR_DISK_FULL);
        done += put;
    }
    return true;
}

bool Os::syncFile(File file)
{
    if (injected(Kind::Sync, file))
        return false;
    if (FlushFileBuffers(handleOf(file)))
        return true;
    // A device or a pipe has nothing to flush; written means stored there.
    const DWORD code = GetLastError();
    return code == ERROR_INVALID_HANDLE || code == ERROR_INVALID_FUNCTION || failed(code);
}

bool Os::syncFolder(const std::string &folder)
{
    if (injected(Kind::Sync, folder))
        return false;
    // NTFS journals a folder's entries itself: a replaced or new name lasts with the file's own flush.
    return true;
}

bool Os::replace(const std::string &from, const std::string &to)
{
    // A fault for either name reaches the rename.
    if (Os::Faults::armed() && refused(Os::Faults::detail::check(Kind::Rename, from + '\n' + to)))
        return false;
    const std::wstring source = wide(from);
    const std::wstring target = wide(to);
    // ReplaceFileW keeps the target's attributes and fails when there is none yet; MoveFileExW covers
    // that case and the file systems ReplaceFileW does not support.
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    return failed();
}

bool Os::remove(const std::string &path)
{
    if (injected(Kind::Remove, path))
        return false;
    return DeleteFileW(wide(path).c_str()) || failed();
}

std::vector<std::string> Os::regularFiles(const std::string &folder, const std::string &ending)
{
    std::vector<std::string> out;
    if (injected(Kind::Read, folder))
        return out;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '/' && pattern.back() != '\\')
        pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW entry {};
    const HANDLE search = FindFirstFileExW(
        wide(pattern).c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        failed();
        return out;
    }
    do {
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
            continue;
        const std::string name = narrow(entry.cFileName);
        if (endsWithIgnoringCase(name, ending))
            out.push_back(name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return out;
}

int Os::nameMax(const std::string &folder)
{
    std::wstring root = wide(folder);
    DWORD longest = 0;
    wchar_t volume[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(root.c_str(), volume, MAX_PATH + 1)
        && GetVolumeInformationW(volume, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) && longest > 0)
        return int(longest);
    return 255;
}

std::string Os::executablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size()) {
            std::string path = narrow(buffer.c_str(), int(n));
            for (char &c : path)
                if (c == '\\')
                    c = '/';
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Os::openWithDesktop(const std::string &target)
{
    const std::wstring what = wide(target);
    // Values above 32 mean the shell started the program; it reports its own failures after that.
    const auto result
        = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", what.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 || failed(DWORD(result));
}
