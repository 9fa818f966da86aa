// Reads the game's files whole within a bound, so that whatever stands in their
// place cannot hold the game up or make it take more than that.
#pragma once

#include <vector>

// The whole of a regular file of at most `maxBytes`.
bool safeFileRead(const char *path, long maxBytes, std::vector<unsigned char> &bytes);
