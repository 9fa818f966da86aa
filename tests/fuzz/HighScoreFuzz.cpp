// Any bytes as "highscore.dat" and any score offered: the place taken and the file
// left are those the bytes call for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "HighScores.h"

// Input: the score offered, then the file's bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static char folder[] = "/tmp/vokHighScoreFuzzXXXXXX";
    static bool entered = mkdtemp(folder) && chdir(folder) == 0 && !atexit([] { unlink("highscore.dat"), rmdir(folder); });
    if (!entered || size < 4)
        return 0;
    const std::vector<uint8_t> content(data + 4, data + size);
    FILE *file = fopen("highscore.dat", "wb");
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
    // The table the bytes hold, and the offered score put above the first smaller entry.
    std::vector<int32_t> table(10, 0);
    for (size_t i = 0; i < 10 && 4 * i + 4 <= content.size(); i++)
        memcpy(&table[i], &content[4 * i], 4);
    Score offered{0};
    memcpy(&offered.points, data, 4);
    int place = 0;
    while (place < 10 && table[place] >= offered.points)
        place++;
    table.insert(table.begin() + place, offered.points);
    table.resize(10);
    std::vector<uint8_t> expected(reinterpret_cast<uint8_t *>(table.data()), reinterpret_cast<uint8_t *>(table.data()) + 40);
    if (place == 10)
        expected = content;

    const int taken = highScoreSaveToDisk(&offered);
    std::vector<uint8_t> left(size + 40);
    file = fopen("highscore.dat", "rb");
    left.resize(fread(left.data(), 1, left.size(), file));
    fclose(file);
    if (taken != (place < 10 ? place + 1 : 0) || left != expected)
        abort();
    return 0;
}
