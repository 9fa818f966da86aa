// Opens the game's files so that whatever stands in their place cannot hold the
// game up, and reads them whole within a bound.
#pragma once

#include <sys/types.h>

#include <vector>

// A descriptor for a regular file only, -1 for anything else (errno EINVAL) or a failed open.
int safeFileOpen(const char *path, int flags, mode_t mode = 0);
// The whole of a regular file of at most `maxBytes`.
bool safeFileRead(const char *path, long maxBytes, std::vector<unsigned char> &bytes);
