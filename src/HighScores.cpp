// The ten best scores and their file "highscore.dat": ten signed 32-bit
// little-endian values, best first, written over in place when a score enters.
#include "HighScores.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "Platform.h"

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
static PlatformFile highScoreOpenForChange(bool create, FileAccess &access, bool &made);
static void highScoreLock(PlatformFile file, bool exclusive);
static void highScoreRead(PlatformFile file, HighScore *table);
static void highScoreWrite(PlatformFile file, HighScore *table, bool made);
static void highScoreDecode(const unsigned char *bytes, Score *score);
static void highScoreEncode(const Score *score, unsigned char *bytes);

HighScore *newHighScore()
{
    HighScore *table = highScoreNewEmpty();
    highScoreLoad(table);
    return table;
}

void highScoreLoad(HighScore *table)
{
    const PlatformFile file = platformOpen(highScoreFile, readOnly, openGuarded);
    if (file == noFile)
        return;
    highScoreLock(file, false);
    highScoreRead(file, table);
    platformClose(file);
}

void highScoreSave(HighScore *table)
{
    FileAccess access;
    bool made;
    const PlatformFile file = highScoreOpenForChange(true, access, made);
    if (file == noFile)
        return;
    if (access != readOnly)
        highScoreWrite(file, table, made);
    platformClose(file);
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
    FileAccess access;
    bool made;
    const PlatformFile file = highScoreOpenForChange(score->points > 0, access, made);
    if (file != noFile && access != writeOnly)
        highScoreRead(file, table);
    const int place = highScoreAdd(table, score);
    if (file != noFile && place && access != readOnly)
        highScoreWrite(file, table, made);
    if (file != noFile)
        platformClose(file);
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

// Read-write, else write-only, else read-only: a file the player may not write is
// still read. Made under the bare name, never through a link, when missing and
// `create`; on the file another game made first, when it wins. noFile when there is no
// table. Locked, and not one that another game took away while we waited.
static PlatformFile highScoreOpenForChange(bool create, FileAccess &access, bool &made)
{
    for (int attempt = 0; attempt < openAttempts; attempt++) {
        PlatformFile file = noFile;
        for (FileAccess mode : {readWrite, writeOnly, readOnly}) {
            access = mode;
            file = platformOpen(highScoreFile, mode, openGuarded);
            if (file != noFile || errno != EACCES)
                break;
        }
        made = file == noFile && errno == ENOENT && create;
        if (made) {
            access = readWrite;
            file = platformOpen(highScoreFile, readWrite, openCreating);
        }
        if (file == noFile && made && errno == EEXIST)
            continue;
        if (file == noFile)
            return noFile;
        highScoreLock(file, access != readOnly);
        if (platformNamed(file))
            return file;
        platformClose(file);
    }
    return noFile;
}

// Waits a little for the lock, then goes on without it.
static void highScoreLock(PlatformFile file, bool exclusive)
{
    for (int waited = 0; waited < lockWaitMicroseconds && platformTryLock(file, exclusive) == 0;
         waited += lockPollMicroseconds)
        platformSleep(lockPollMicroseconds);
}

// A short file fills only the entries it has whole values for; the rest keep what they held.
static void highScoreRead(PlatformFile file, HighScore *table)
{
    unsigned char bytes[fileBytes];
    const long read = platformReadAt(file, bytes, fileBytes, 0);
    for (long i = 0; i < read / entryBytes; i++)
        highScoreDecode(bytes + i * entryBytes, table->scores[i]);
}

// In place, so that a file players share keeps its owner, group, mode, links and
// inode: the 40 bytes over its start, then cut to 40 bytes. A file made here that
// is still empty and cannot be written whole goes again; any other that cannot
// take them gets its old bytes back.
static void highScoreWrite(PlatformFile file, HighScore *table, bool made)
{
    unsigned char bytes[fileBytes];
    unsigned char old[fileBytes];
    for (int i = 0; i < tableSize; i++)
        highScoreEncode(table->scores[i], bytes + i * entryBytes);
    const long long oldSize = platformSize(file);
    const long oldBytes = oldSize >= 0 ? platformReadAt(file, old, fileBytes, 0) : -1;
    if (platformRewrite(file, bytes, fileBytes, fileBytes))
        return;
    if (made && oldBytes == 0)
        platformRemove(highScoreFile);
    else if (oldBytes >= 0)
        platformRewrite(file, old, oldBytes, oldSize);
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
