// The system beneath the game on Windows. Files are opened for other games to share,
// as the score table is; locks keep them from each other. Only disk files are kept.
#include "Platform.h"

#include <cerrno>
#include <string>

#include <windows.h>

static std::wstring wide(const char *path)
{
    std::wstring name(MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path, -1, name.data(), name.size());
    return name;
}

static void setErrno(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        errno = EACCES;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
        errno = ELOOP;
        break;
    default:
        errno = EINVAL;
    }
}

static HANDLE handle(PlatformFile file)
{
    return reinterpret_cast<HANDLE>(file);
}

PlatformFile platformOpen(const char *path, FileAccess access, FileOpening how)
{
    const DWORD rights = access == readOnly ? GENERIC_READ : access == writeOnly ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
    // Links need an administrator's right to make: a guarded open follows none.
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (how == openGuarded ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE file = CreateFileW(wide(path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, how == openCreating ? CREATE_NEW : OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        setErrno(GetLastError());
        return noFile;
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
        !(info.dwFileAttributes & notPlain))
        return reinterpret_cast<PlatformFile>(file);
    CloseHandle(file);
    errno = how == openGuarded && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? ELOOP : EINVAL;
    return noFile;
}

void platformClose(PlatformFile file)
{
    CloseHandle(handle(file));
}

long long platformSize(PlatformFile file)
{
    LARGE_INTEGER size;
    return GetFileSizeEx(handle(file), &size) ? size.QuadPart : -1;
}

// A file taken away while open stays, pending its deletion, until every handle closes.
bool platformNamed(PlatformFile file)
{
    FILE_STANDARD_INFO info;
    return GetFileInformationByHandleEx(handle(file), FileStandardInfo, &info, sizeof info) && !info.DeletePending &&
           info.NumberOfLinks > 0;
}

static OVERLAPPED at(long long offset)
{
    OVERLAPPED place = {};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return place;
}

long platformReadAt(PlatformFile file, void *bytes, long count, long long offset)
{
    OVERLAPPED place = at(offset);
    DWORD got = 0;
    if (ReadFile(handle(file), bytes, count, &got, &place))
        return got;
    return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

bool platformRewrite(PlatformFile file, const void *bytes, long count, long long size)
{
    OVERLAPPED place = at(0);
    DWORD put = 0;
    LARGE_INTEGER end;
    end.QuadPart = size;
    return WriteFile(handle(file), bytes, count, &put, &place) && put == static_cast<DWORD>(count) &&
           SetFilePointerEx(handle(file), end, nullptr, FILE_BEGIN) && SetEndOfFile(handle(file)) &&
           FlushFileBuffers(handle(file));
}

// Every byte the file may ever have; the lock goes with the handle.
int platformTryLock(PlatformFile file, bool exclusive)
{
    OVERLAPPED whole = at(0);
    const DWORD how = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handle(file), how, 0, MAXDWORD, MAXDWORD, &whole))
        return 1;
    return GetLastError() == ERROR_LOCK_VIOLATION ? 0 : -1;
}

void platformRemove(const char *path)
{
    DeleteFileW(wide(path).c_str());
}

void platformSleep(int microseconds)
{
    Sleep((microseconds + 999) / 1000);
}

// A new file in the temporary folder that others may read but neither change nor
// take away while this handle holds it; gone once loaded. A game that died while
// loading leaves its copy, under a name a later game may be given again.
bool platformWithSealedCopy(const unsigned char *bytes, size_t size, const std::function<void(const char *)> &load)
{
    static LONG copies = 0;
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return false;
    std::wstring name;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; attempt++) {
        name = std::wstring(folder) + L"vessa-or-korrin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(InterlockedIncrement(&copies)) + L".dat";
        file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    const bool sealed = WriteFile(file, bytes, size, &put, nullptr) && put == size;
    if (sealed) {
        std::string utf8(WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
        WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, utf8.data(), utf8.size(), nullptr, nullptr);
        load(utf8.c_str());
    }
    CloseHandle(file);
    DeleteFileW(name.c_str());
    return sealed;
}

// A folder the player may not write (one under Program Files, say) keeps no score.
const char *platformFolderWarning()
{
    const std::wstring probe = L"vessa-or-korrin-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED
               ? "This folder cannot be written to, so your high scores will not be kept. To keep them, "
                 "move the game's folder to one of your own, such as Documents, and start it from there."
               : nullptr;
}
