// The ten best scores and their file "highscore.dat": ten signed 32-bit
// little-endian values, best first, written over in place when a score enters.
#include "HighScores.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static const char *const highScoreFile = "highscore.dat";
static const int tableSize = 10;
static const int entryBytes = 4;
static const int fileBytes = tableSize * entryBytes;

static void highScoreDecode(const unsigned char *bytes, Score *score);
static void highScoreEncode(const Score *score, unsigned char *bytes);
static bool highScoreWriteAt(int file, const unsigned char *bytes, ssize_t count, off_t size);

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

// In place, so that a file players share keeps its owner, group, mode, links and
// inode: the 40 bytes over its start, then cut to 40 bytes. A file made here that
// cannot be written whole goes again; a short old one that cannot grow gets its
// old bytes back.
void highScoreSave(HighScore *table)
{
    unsigned char bytes[fileBytes];
    unsigned char old[fileBytes];
    for (int i = 0; i < tableSize; i++)
        highScoreEncode(table->scores[i], bytes + i * entryBytes);
    int file = open(highScoreFile, O_RDWR | O_CREAT | O_EXCL, 0666);
    const bool made = file >= 0;
    if (!made && errno == EEXIST)
        file = open(highScoreFile, O_RDWR);
    if (file < 0 && errno == EACCES)
        file = open(highScoreFile, O_WRONLY);
    struct stat info;
    if (file < 0)
        return;
    fstat(file, &info);
    const ssize_t oldBytes = made ? 0 : pread(file, old, fileBytes, 0);
    if (!highScoreWriteAt(file, bytes, fileBytes, fileBytes)) {
        if (made)
            unlink(highScoreFile);
        else if (oldBytes >= 0)
            highScoreWriteAt(file, old, oldBytes, info.st_size);
    }
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

// The bytes over the file's start, the file cut to `size`, and both on the disk.
static bool highScoreWriteAt(int file, const unsigned char *bytes, ssize_t count, off_t size)
{
    return pwrite(file, bytes, count, 0) == count && ftruncate(file, size) == 0 && fsync(file) == 0;
}
