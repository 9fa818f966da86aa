// The game's datafiles as found on disk: whole ones load, while cut, garbled or
// wrong-kind files are refused before Allegro's loader can trip over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "MainLoop.h"
#include "TestAllegro.h"

using Bytes = std::vector<char>;

static Bytes readBuilt(const std::string &name)
{
    std::ifstream in(VOK_RUN_DIR "/Gfx/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Writes the bytes as a datafile in the current folder and loads it the way the game does.
static bool loads(const Bytes &bytes, int objectType)
{
    std::ofstream("test.dat", std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    DATAFILE *data = loadGameDatafile("test.dat", objectType);
    if (data)
        unload_datafile(data);
    return data != nullptr;
}

static const std::pair<const char *, int> builtFiles[] = {
    {"DataVessa.dat", DAT_RLE_SPRITE}, {"DataKorrin.dat", DAT_RLE_SPRITE}, {"DataFont.dat", DAT_FONT}};

TEST(GameDatafile, WholeFilesLoadOnlyAsTheirOwnKindAndCutOnesNot)
{
    ensureAllegro();
    TempDir folder;
    EXPECT_EQ(loadGameDatafile("/nonexistent/DataVessa.dat", DAT_RLE_SPRITE), nullptr);
    EXPECT_FALSE(loads({}, DAT_RLE_SPRITE));
    EXPECT_FALSE(loads({'s', 'l', 'h', '.', 'A', 'L', 'L', '.', 0, 0, 0, 0}, DAT_RLE_SPRITE));
    EXPECT_FALSE(loads(Bytes(5000, 0), DAT_RLE_SPRITE));
    for (const auto &[name, type] : builtFiles) {
        Bytes whole = readBuilt(name);
        EXPECT_TRUE(loads(whole, type)) << name;
        EXPECT_FALSE(loads(whole, type == DAT_FONT ? DAT_RLE_SPRITE : DAT_FONT)) << name;
        size_t step = std::max<size_t>(1, whole.size() / 400);
        for (size_t length = 0; length < whole.size(); length += step)
            EXPECT_FALSE(loads(Bytes(whole.begin(), whole.begin() + length), type)) << name << " cut at " << length;
    }
}

// Whatever a garbled file does, it must not bring the game down; the sanitizer
// builds turn any overrun in an accepted file into a failure here.
TEST(GameDatafile, GarbledFilesNeverCrashTheLoader)
{
    ensureAllegro();
    TempDir folder;
    std::mt19937 random(2026);
    for (const auto &[name, type] : builtFiles) {
        Bytes whole = readBuilt(name);
        for (int trial = 0; trial < 200; trial++) {
            Bytes garbled = whole;
            for (int flips = 1 + random() % 8; flips > 0; flips--)
                garbled[random() % garbled.size()] = static_cast<char>(random());
            loads(garbled, type);
        }
        Bytes noise(whole.begin(), whole.begin() + 8);
        for (int i = 0; i < 2000; i++)
            noise.push_back(static_cast<char>(random()));
        EXPECT_FALSE(loads(noise, type)) << name;
    }
}
