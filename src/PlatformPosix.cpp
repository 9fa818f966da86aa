// The system beneath the game on Linux and other POSIX systems. Every open never
// waits, since a FIFO in a file's place would wait for a writer for good, and
// never takes the controlling terminal; then nothing but a regular file is kept.
#include "Platform.h"

#include <cerrno>
#include <climits>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

static int openRegular(const char *path, int flags, mode_t mode = 0)
{
    const int file = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    struct stat info;
    if (file < 0 || (fstat(file, &info) == 0 && S_ISREG(info.st_mode)))
        return file;
    close(file);
    errno = EINVAL;
    return -1;
}

// A link is followed only if the player or the folder's owner made it, as the kernel
// rules in sticky folders: anyone else's could aim the player's writes at files of
// the player's. Ruled on the link as opened, one level deep, so nothing can be
// swapped in between.
static int openGuardedLink(const char *path, int flags)
{
    const int named = open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (named < 0)
        return -1;
    struct stat link, folder;
    char target[PATH_MAX];
    ssize_t length = fstat(named, &link) == 0 ? 0 : -1;
    if (length == 0 && S_ISLNK(link.st_mode))
        length = link.st_uid == geteuid() || (stat(".", &folder) == 0 && link.st_uid == folder.st_uid)
                     ? readlinkat(named, "", target, sizeof target)
                     : -1;
    close(named);
    if (length < 0 || length == static_cast<ssize_t>(sizeof target)) {
        errno = ELOOP;
        return -1;
    }
    target[length] = '\0';
    return openRegular(length ? target : path, flags | O_NOFOLLOW);
}

PlatformFile platformOpen(const char *path, FileAccess access, FileOpening how)
{
    const int flags = access == readOnly ? O_RDONLY : access == writeOnly ? O_WRONLY : O_RDWR;
    if (how == openCreating)
        return openRegular(path, O_RDWR | O_CREAT | O_EXCL, 0666);
    return how == openGuarded ? openGuardedLink(path, flags) : openRegular(path, flags);
}

void platformClose(PlatformFile file)
{
    close(file);
}

long long platformSize(PlatformFile file)
{
    struct stat info;
    return fstat(file, &info) == 0 ? info.st_size : -1;
}

bool platformNamed(PlatformFile file)
{
    struct stat info;
    return fstat(file, &info) == 0 && info.st_nlink > 0;
}

long platformReadAt(PlatformFile file, void *bytes, long count, long long offset)
{
    return pread(file, bytes, count, offset);
}

bool platformRewrite(PlatformFile file, const void *bytes, long count, long long size)
{
    return pwrite(file, bytes, count, 0) == count && ftruncate(file, size) == 0 && fsync(file) == 0;
}

int platformTryLock(PlatformFile file, bool exclusive)
{
    if (flock(file, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
        return 1;
    return errno == EWOULDBLOCK ? 0 : -1;
}

void platformRemove(const char *path)
{
    unlink(path);
}

void platformSleep(int microseconds)
{
    usleep(microseconds);
}

// The launcher runs the game in the player's own folder.
const char *platformFolderWarning()
{
    return nullptr;
}

// A memory file, sealed against any change, named through /proc.
bool platformWithSealedCopy(const unsigned char *bytes, size_t size, const std::function<void(const char *)> &load)
{
    const int memory = memfd_create("datafile", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0)
        return false;
    char name[32];
    snprintf(name, sizeof name, "/proc/self/fd/%d", memory);
    const bool sealed = write(memory, bytes, size) == static_cast<ssize_t>(size) &&
                        fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE) == 0;
    if (sealed)
        load(name);
    close(memory);
    return sealed;
}
