// What the game asks of the system beneath Allegro: files it opens without being
// held up or led astray, a lock on the score table, and a copy of checked bytes
// that Allegro can open by name. PlatformPosix.cpp and PlatformWindows.cpp do it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// A regular file opened, or noFile with errno set: ENOENT for none, EACCES for one
// the player may not open so, EEXIST for one in the way of a new one, ELOOP for a
// link not to follow, EINVAL for anything but a regular file.
using PlatformFile = intptr_t;
const PlatformFile noFile = -1;
enum FileAccess { readOnly, writeOnly, readWrite };
enum FileOpening {
    openAny,      // whatever the name leads to
    openGuarded,  // a link only if the player or the folder's owner made it
    openCreating, // made new under the bare name, read and written
};
PlatformFile platformOpen(const char *path, FileAccess access, FileOpening how);
void platformClose(PlatformFile file);
// The size, -1 when unknown.
long long platformSize(PlatformFile file);
// Whether the file still has a name: another program may take it away while we wait.
bool platformNamed(PlatformFile file);
// Up to `count` bytes from `offset`; -1 on failure.
long platformReadAt(PlatformFile file, void *bytes, long count, long long offset);
// `count` bytes over the file's start, the file cut to `size`, and both on the disk.
bool platformRewrite(PlatformFile file, const void *bytes, long count, long long size);
// The whole file's lock, shared or exclusive, never waiting: 1 taken, 0 another
// holds it, -1 none to be had.
int platformTryLock(PlatformFile file, bool exclusive);
void platformRemove(const char *path);
void platformSleep(int microseconds);
// Calls `load` with the name of a file that holds exactly these bytes and that
// nobody can change until `load` returns; false when there was no such file.
bool platformWithSealedCopy(const unsigned char *bytes, size_t size, const std::function<void(const char *)> &load);
// What the player should hear at start-up about the folder the game runs in, or null:
// on Windows the game keeps its scores beside itself, where it may not write.
const char *platformFolderWarning();
