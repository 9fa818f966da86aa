// The ten best scores and their file "highscore.dat": ten signed 32-bit
// little-endian values, best first, written over in place when a score enters.
#include "HighScores.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SafeFile.h"

static const char *const highScoreFile = "highscore.dat";
static const int tableSize = 10;
static const int entryBytes = 4;
static const int fileBytes = tableSize * entryBytes;
// Another game holds the table for one read and one write; one that never lets go
// (stopped, or someone else's) must not hold up the end of this game for long.
static const int lockWaitMicroseconds = 2000000, lockPollMicroseconds = 5000;
// Tries to find a table that other games make, or take away, as we open it.
static const int openAttempts = 8;

static HighScore *highScoreNewEmpty();
static int highScoreOpen(int flags);
static int highScoreOpenForChange(bool create, int &access, bool &made);
static void highScoreLock(int file, int how);
static void highScoreRead(int file, HighScore *table);
static void highScoreWrite(int file, HighScore *table, bool made);
static void highScoreDecode(const unsigned char *bytes, Score *score);
static void highScoreEncode(const Score *score, unsigned char *bytes);
static bool highScoreWriteAt(int file, const unsigned char *bytes, ssize_t count, off_t size);

HighScore *newHighScore()
{
    HighScore *table = highScoreNewEmpty();
    highScoreLoad(table);
    return table;
}

void highScoreLoad(HighScore *table)
{
    const int file = highScoreOpen(O_RDONLY);
    if (file < 0)
        return;
    highScoreLock(file, LOCK_SH);
    highScoreRead(file, table);
    close(file);
}

void highScoreSave(HighScore *table)
{
    int access;
    bool made;
    const int file = highScoreOpenForChange(true, access, made);
    if (file < 0)
        return;
    if (access != O_RDONLY)
        highScoreWrite(file, table, made);
    close(file);
}

void highScoreAddToPos(HighScore *table, Score *score, int position)
{
    Score *copy = newScore();
    copy->points = score->points;
    destroyScore(table->scores[tableSize - 1]);
    for (int i = tableSize - 1; i > position; i--)
        table->scores[i] = table->scores[i - 1];
    table->scores[position] = copy;
}

// Strictly smaller only: a tie goes below the entries it equals.
int highScoreAdd(HighScore *table, Score *score)
{
    for (int i = 0; i < tableSize; i++) {
        if (table->scores[i]->points < score->points) {
            highScoreAddToPos(table, score, i);
            return i + 1;
        }
    }
    return 0;
}

// Read, changed and written under one lock, so that games ending together all count.
// With no table the ten entries are 0, so a file is made only for a score above 0.
int highScoreSaveToDisk(Score *score)
{
    HighScore *table = highScoreNewEmpty();
    int access;
    bool made;
    const int file = highScoreOpenForChange(score->points > 0, access, made);
    if (file >= 0 && access != O_WRONLY)
        highScoreRead(file, table);
    const int place = highScoreAdd(table, score);
    if (file >= 0 && place && access != O_RDONLY)
        highScoreWrite(file, table, made);
    if (file >= 0)
        close(file);
    destroyHighScore(table);
    return place;
}

void destroyHighScore(HighScore *table)
{
    for (int i = 0; i < tableSize; i++)
        destroyScore(table->scores[i]);
    free(table->scores);
    free(table);
}

static HighScore *highScoreNewEmpty()
{
    HighScore *table = static_cast<HighScore *>(malloc(sizeof(HighScore)));
    table->scores = static_cast<Score **>(malloc(tableSize * sizeof(Score *)));
    for (int i = 0; i < tableSize; i++)
        table->scores[i] = newScore();
    return table;
}

// A link in the table's place is followed only if the player or the folder's owner
// made it, as the kernel rules in sticky folders: anyone else's could aim the
// player's writes at files of the player's. Ruled on the link as opened, one level
// deep, so nothing can be swapped in between.
static int highScoreOpen(int flags)
{
    const int named = open(highScoreFile, O_PATH | O_NOFOLLOW | O_CLOEXEC);
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
    return safeFileOpen(length ? target : highScoreFile, flags | O_NOFOLLOW);
}

// Read-write, else write-only, else read-only: a file the player may not write is
// still read. Made under the bare name, never through a link, when missing and
// `create`; on the file another game made first, when it wins. -1 when there is no
// table. Locked, and not one that another game took away while we waited.
static int highScoreOpenForChange(bool create, int &access, bool &made)
{
    for (int attempt = 0; attempt < openAttempts; attempt++) {
        int file = -1;
        for (int mode : {O_RDWR, O_WRONLY, O_RDONLY}) {
            access = mode;
            file = highScoreOpen(mode);
            if (file >= 0 || errno != EACCES)
                break;
        }
        made = file < 0 && errno == ENOENT && create;
        if (made) {
            access = O_RDWR;
            file = safeFileOpen(highScoreFile, O_RDWR | O_CREAT | O_EXCL, 0666);
        }
        if (file < 0 && made && errno == EEXIST)
            continue;
        if (file < 0)
            return -1;
        highScoreLock(file, access == O_RDONLY ? LOCK_SH : LOCK_EX);
        struct stat info;
        if (fstat(file, &info) == 0 && info.st_nlink > 0)
            return file;
        close(file);
    }
    return -1;
}

// Waits a little for the lock, then goes on without it.
static void highScoreLock(int file, int how)
{
    for (int waited = 0; waited < lockWaitMicroseconds && flock(file, how | LOCK_NB) != 0 && errno == EWOULDBLOCK;
         waited += lockPollMicroseconds)
        usleep(lockPollMicroseconds);
}

// A short file fills only the entries it has whole values for; the rest keep what they held.
static void highScoreRead(int file, HighScore *table)
{
    unsigned char bytes[fileBytes];
    const ssize_t read = pread(file, bytes, fileBytes, 0);
    for (ssize_t i = 0; i < read / entryBytes; i++)
        highScoreDecode(bytes + i * entryBytes, table->scores[i]);
}

// In place, so that a file players share keeps its owner, group, mode, links and
// inode: the 40 bytes over its start, then cut to 40 bytes. A file made here that
// is still empty and cannot be written whole goes again; any other that cannot
// take them gets its old bytes back.
static void highScoreWrite(int file, HighScore *table, bool made)
{
    unsigned char bytes[fileBytes];
    unsigned char old[fileBytes];
    for (int i = 0; i < tableSize; i++)
        highScoreEncode(table->scores[i], bytes + i * entryBytes);
    struct stat info;
    const ssize_t oldBytes = fstat(file, &info) == 0 ? pread(file, old, fileBytes, 0) : -1;
    if (highScoreWriteAt(file, bytes, fileBytes, fileBytes))
        return;
    if (made && oldBytes == 0)
        unlink(highScoreFile);
    else if (oldBytes >= 0)
        highScoreWriteAt(file, old, oldBytes, info.st_size);
}

static void highScoreDecode(const unsigned char *bytes, Score *score)
{
    uint32_t value = 0;
    for (int k = entryBytes - 1; k >= 0; k--)
        value = value << 8 | bytes[k];
    score->points = static_cast<int32_t>(value);
}

static void highScoreEncode(const Score *score, unsigned char *bytes)
{
    uint32_t value = static_cast<uint32_t>(score->points);
    for (int k = 0; k < entryBytes; k++)
        bytes[k] = (value >> (8 * k)) & 0xff;
}

// The bytes over the file's start, the file cut to `size`, and both on the disk.
static bool highScoreWriteAt(int file, const unsigned char *bytes, ssize_t count, off_t size)
{
    return pwrite(file, bytes, count, 0) == count && ftruncate(file, size) == 0 && fsync(file) == 0;
}
