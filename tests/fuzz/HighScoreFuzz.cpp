// Fuzzes the high-score file: any bytes as "highscore.dat", a score offered to the
// table, and the save that follows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "HighScores.h"

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

static std::vector<uint8_t> readTable()
{
    std::vector<uint8_t> bytes;
    if (FILE *file = fopen("highscore.dat", "rb")) {
        for (int c; (c = fgetc(file)) != EOF;)
            bytes.push_back(static_cast<uint8_t>(c));
        fclose(file);
    }
    return bytes;
}

// Every run works in one folder of its own, removed when the fuzzer ends.
static char folder[] = "/tmp/vokHighScoreFuzzXXXXXX";

static void leaveFolder()
{
    unlink("highscore.dat");
    rmdir(folder);
}

// Input: one byte for how the file is left (writable, read-only, absent), four
// bytes of offered score, then the file's content.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool entered = mkdtemp(folder) && chdir(folder) == 0 && atexit(leaveFolder) == 0;
    check(entered, "no temporary folder");
    if (size < 5)
        return 0;
    int kind = data[0] % 3;
    Score offered{littleEndian(data + 1)};
    std::vector<uint8_t> content(data + 5, data + size);
    unlink("highscore.dat");
    if (kind != 2) {
        FILE *file = fopen("highscore.dat", "wb");
        fwrite(content.data(), 1, content.size(), file);
        fclose(file);
        if (kind == 1)
            chmod("highscore.dat", 0444);
    }

    // The place is above the first whole stored value that is smaller; missing entries hold 0.
    std::vector<int32_t> table(10, 0);
    for (size_t i = 0; kind != 2 && i < 10 && 4 * i + 4 <= content.size(); i++)
        table[i] = littleEndian(content.data() + 4 * i);
    int place = 0;
    while (place < 10 && table[place] >= offered.points)
        place++;
    place = place < 10 ? place + 1 : 0;
    if (place) {
        table.insert(table.begin() + place - 1, offered.points);
        table.resize(10);
    }

    check(highScoreSaveToDisk(&offered) == place, "the score took another place");
    std::vector<uint8_t> written = readTable();
    if (place && kind != 1) {
        check(written.size() == 40, "a saved table is not 40 bytes");
        for (int i = 0; i < 10; i++)
            check(littleEndian(written.data() + 4 * i) == table[i], "saved table is not the old one plus the score");
    } else {
        check(written == (kind == 2 ? std::vector<uint8_t>() : content), "a file that must stay was changed");
    }
    return 0;
}
