// Fuzzes the high-score file: any bytes as "highscore.dat", a score offered to the
// table, and the save that follows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "HighScores.h"

static const char *const scoreFile = "highscore.dat";
static char folderName[] = "/tmp/vokHighScoreFuzzXXXXXX";

static void check(bool holds, const char *what)
{
    if (!holds) {
        fprintf(stderr, "high-score fuzz: %s\n", what);
        abort();
    }
}

static int32_t littleEndian(const uint8_t *bytes)
{
    return static_cast<int32_t>(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                uint32_t(bytes[3]) << 24);
}

static std::vector<uint8_t> readAll()
{
    std::vector<uint8_t> bytes;
    FILE *file = fopen(scoreFile, "rb");
    if (!file)
        return bytes;
    int c;
    while ((c = fgetc(file)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    fclose(file);
    return bytes;
}

static bool isSorted(const int32_t *points)
{
    for (int i = 1; i < 10; i++)
        if (points[i] > points[i - 1])
            return false;
    return true;
}

// Each run starts in an empty folder of its own; a leftover file of any name is a fault.
static int emptyFolder()
{
    DIR *folder = opendir(folderName);
    int leftovers = 0;
    while (dirent *entry = readdir(folder)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            leftovers += strcmp(entry->d_name, scoreFile) != 0;
            unlinkat(dirfd(folder), entry->d_name, 0);
        }
    }
    closedir(folder);
    return leftovers;
}

static void removeFolder()
{
    emptyFolder();
    rmdir(folderName);
}

static void enterEmptyFolder()
{
    static bool made = false;
    if (!made) {
        check(mkdtemp(folderName) != nullptr, "no temporary folder");
        check(chdir(folderName) == 0, "cannot enter the temporary folder");
        atexit(removeFolder);
        made = true;
    }
    check(emptyFolder() == 0, "a save left a stray file behind");
}

// Input: one byte for how the file is left (writable, read-only, absent), four
// bytes of offered score, then the file's content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    enterEmptyFolder();
    int kind = data[0] % 3;
    Score offered{littleEndian(data + 1)};
    std::vector<uint8_t> content(data + 5, data + size);
    if (kind != 2) {
        FILE *file = fopen(scoreFile, "wb");
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
        if (kind == 1)
            chmod(scoreFile, 0444);
    }

    int32_t stored[10] = {0};
    for (size_t i = 0; kind != 2 && i < 10 && 4 * i + 4 <= content.size(); i++)
        stored[i] = littleEndian(content.data() + 4 * i);
    HighScore *table = newHighScore();
    for (int i = 0; i < 10; i++)
        check(table->scores[i]->points == stored[i], "loaded table differs from the file");

    int expectedPlace = 0;
    for (int i = 0; i < 10 && !expectedPlace; i++)
        if (stored[i] < offered.points)
            expectedPlace = i + 1;
    int place = highScoreAdd(table, &offered);
    check(place == expectedPlace, "score entered at the wrong place");
    int32_t after[10];
    for (int i = 0; i < 10; i++)
        after[i] = table->scores[i]->points;
    destroyHighScore(table);

    check(highScoreSaveToDisk(&offered) == place, "saving reports another place than adding");
    std::vector<uint8_t> written = readAll();
    if (place && kind != 1) {
        check(written.size() == 40, "a saved table is not 40 bytes");
        for (int i = 0; i < 10; i++)
            check(littleEndian(written.data() + 4 * i) == after[i], "saved table differs from the added one");
        check(!isSorted(stored) || isSorted(after), "a sorted table came out unsorted");
    } else if (kind == 2) {
        check(access(scoreFile, F_OK) != 0, "a table was written though no score entered");
    } else {
        check(written == content, "a file that must stay was changed");
    }
    return 0;
}
