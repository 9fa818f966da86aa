// Every read of the game's art and sounds: one open, of a regular file only.
#include "SafeFile.h"

#include "Platform.h"

// Read as it stood when opened: a file that shrinks meanwhile fails, one that grows is cut.
bool safeFileRead(const char *path, long maxBytes, std::vector<unsigned char> &bytes)
{
    const PlatformFile file = platformOpen(path, readOnly, openAny);
    const long long size = file == noFile ? -1 : platformSize(file);
    bool whole = size >= 0 && size <= maxBytes;
    bytes.resize(whole ? size : 0);
    for (size_t at = 0; whole && at < bytes.size();) {
        const long got = platformReadAt(file, bytes.data() + at, bytes.size() - at, at);
        whole = got > 0;
        at += whole ? got : 0;
    }
    if (file != noFile)
        platformClose(file);
    return whole;
}
