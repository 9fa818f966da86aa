// The ten best scores and their file "highscore.dat": ten signed 32-bit
// little-endian values, best first, rewritten whole when a score enters.
#include "HighScores.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

static const char *const highScoreFile = "highscore.dat";
static const int tableSize = 10;
static const int entryBytes = 4;
static const int fileBytes = tableSize * entryBytes;
static const mode_t anyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

static void highScoreDecode(const unsigned char *bytes, Score *score);
static void highScoreEncode(const Score *score, unsigned char *bytes);
static mode_t highScoreNewFileMode();
static bool highScoreMayWrite(bool *isLink, mode_t *mode);
static bool highScoreDirectoryIsProtected();
static bool highScoreWriteReplacing(const unsigned char *bytes, mode_t mode);
static void highScoreWriteDirect(const unsigned char *bytes);

HighScore *newHighScore()
{
    HighScore *table = static_cast<HighScore *>(malloc(sizeof(HighScore)));
    table->scores = static_cast<Score **>(malloc(tableSize * sizeof(Score *)));
    for (int i = 0; i < tableSize; i++)
        table->scores[i] = newScore();
    highScoreLoad(table);
    return table;
}

// A short file fills only the entries it has whole values for; the rest keep what they held.
void highScoreLoad(HighScore *table)
{
    FILE *file = fopen(highScoreFile, "rb");
    if (!file)
        return;
    unsigned char bytes[fileBytes];
    size_t entries = fread(bytes, entryBytes, tableSize, file);
    fclose(file);
    for (size_t i = 0; i < entries; i++)
        highScoreDecode(bytes + i * entryBytes, table->scores[i]);
}

void highScoreSave(HighScore *table)
{
    bool isLink = false;
    mode_t mode = highScoreNewFileMode();
    if (!highScoreMayWrite(&isLink, &mode))
        return;
    unsigned char bytes[fileBytes];
    for (int i = 0; i < tableSize; i++)
        highScoreEncode(table->scores[i], bytes + i * entryBytes);
    // A link is written through so that it stays a link; anything else is replaced
    // in one step, so a crash leaves either the old table or the new one.
    if (isLink || highScoreDirectoryIsProtected() || !highScoreWriteReplacing(bytes, mode))
        highScoreWriteDirect(bytes);
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

int highScoreSaveToDisk(Score *score)
{
    HighScore *table = newHighScore();
    int place = highScoreAdd(table, score);
    if (place)
        highScoreSave(table);
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

static mode_t highScoreNewFileMode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A file with no write bit for anyone was made read-only on purpose, and root's
// access() would say yes to it; so the bits decide, and access() only adds
// files that belong to someone else. Not a file at all is left alone too.
// An existing file hands its permissions on to the new table.
static bool highScoreMayWrite(bool *isLink, mode_t *mode)
{
    struct stat info;
    if (lstat(highScoreFile, &info) != 0)
        return true;
    *isLink = S_ISLNK(info.st_mode);
    if (*isLink && stat(highScoreFile, &info) != 0)
        return true;
    *mode = info.st_mode & 07777;
    return S_ISREG(info.st_mode) && (info.st_mode & anyWriteBit) != 0 && access(highScoreFile, W_OK) == 0;
}

// A folder the player made read-only gets no temporary file beside the table, root or not.
static bool highScoreDirectoryIsProtected()
{
    struct stat info;
    return stat(".", &info) != 0 || (info.st_mode & anyWriteBit) == 0;
}

// Writes the table to a temporary file beside the real one and renames it over
// it. False if no temporary file could be made; any later failure drops the new
// table and leaves the old file as it was.
static bool highScoreWriteReplacing(const unsigned char *bytes, mode_t mode)
{
    char tempName[] = "highscore.dat.XXXXXX";
    int descriptor = mkstemp(tempName);
    if (descriptor < 0)
        return false;
    FILE *file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        unlink(tempName);
        return true;
    }
    bool written = fchmod(descriptor, mode) == 0 && fwrite(bytes, entryBytes, tableSize, file) == tableSize &&
                   fflush(file) == 0 && fsync(descriptor) == 0;
    written = fclose(file) == 0 && written;
    if (!written || rename(tempName, highScoreFile) != 0)
        unlink(tempName);
    return true;
}

static void highScoreWriteDirect(const unsigned char *bytes)
{
    FILE *file = fopen(highScoreFile, "wb");
    if (!file)
        return;
    fwrite(bytes, entryBytes, tableSize, file);
    fclose(file);
}
