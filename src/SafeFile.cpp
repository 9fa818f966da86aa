// Every open of the game's files: never waiting, since a FIFO in a file's place
// would wait for a writer for good, and never the controlling terminal; then
// nothing but a regular file is kept.
#include "SafeFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int safeFileOpen(const char *path, int flags, mode_t mode)
{
    const int file = open(path, flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    struct stat info;
    if (file < 0 || (fstat(file, &info) == 0 && S_ISREG(info.st_mode)))
        return file;
    close(file);
    errno = EINVAL;
    return -1;
}

// Read as it stood when opened: a file that shrinks meanwhile fails, one that grows is cut.
bool safeFileRead(const char *path, long maxBytes, std::vector<unsigned char> &bytes)
{
    const int file = safeFileOpen(path, O_RDONLY);
    struct stat info;
    bool whole = file >= 0 && fstat(file, &info) == 0 && info.st_size <= maxBytes;
    bytes.resize(whole ? info.st_size : 0);
    for (size_t at = 0; whole && at < bytes.size();) {
        const ssize_t got = read(file, bytes.data() + at, bytes.size() - at);
        whole = got > 0;
        at += whole ? got : 0;
    }
    if (file >= 0)
        close(file);
    return whole;
}
