// The game's datafiles as found on disk: whole ones load, while cut, garbled or
// wrong-kind files are refused before Allegro's loader can trip over them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "MainLoop.h"
#include "TestAllegro.h"

namespace {

using Bytes = std::vector<char>;

Bytes readBuilt(const std::string &name)
{
    std::ifstream in(std::string(VOK_RUN_DIR) + "/Gfx/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class DatafileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureAllegro();
        char name[] = "/tmp/vokDatafileXXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path = name;
    }
    void TearDown() override { std::remove(path.c_str()); }

    // Writes the bytes as a datafile and loads it the way the game does.
    bool loads(const Bytes &bytes, int objectType)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
        DATAFILE *data = loadGameDatafile(path.c_str(), objectType);
        if (!data)
            return false;
        unload_datafile(data);
        return true;
    }

    std::string path;
};

TEST_F(DatafileTest, BuiltFilesLoadOnlyAsTheirOwnKind)
{
    EXPECT_TRUE(loads(readBuilt("DataVessa.dat"), DAT_RLE_SPRITE));
    EXPECT_TRUE(loads(readBuilt("DataKorrin.dat"), DAT_RLE_SPRITE));
    EXPECT_TRUE(loads(readBuilt("DataFont.dat"), DAT_FONT));
    EXPECT_FALSE(loads(readBuilt("DataVessa.dat"), DAT_FONT));
    EXPECT_FALSE(loads(readBuilt("DataFont.dat"), DAT_RLE_SPRITE));
    EXPECT_EQ(loadGameDatafile("/nonexistent/DataVessa.dat", DAT_RLE_SPRITE), nullptr);
}

TEST_F(DatafileTest, EmptyHeaderOnlyAndZeroFilesAreRefused)
{
    EXPECT_FALSE(loads({}, DAT_RLE_SPRITE));
    EXPECT_FALSE(loads({'s', 'l', 'h', '.', 'A', 'L', 'L', '.', 0, 0, 0, 0}, DAT_RLE_SPRITE));
    EXPECT_FALSE(loads(Bytes(5000, 0), DAT_RLE_SPRITE));
}

TEST_F(DatafileTest, EveryCutOfAWholeFileIsRefused)
{
    for (const char *name : {"DataVessa.dat", "DataFont.dat"}) {
        Bytes whole = readBuilt(name);
        int type = std::string(name) == "DataFont.dat" ? DAT_FONT : DAT_RLE_SPRITE;
        int step = std::max<size_t>(1, whole.size() / 400);
        for (size_t length = 0; length < whole.size(); length += step)
            EXPECT_FALSE(loads(Bytes(whole.begin(), whole.begin() + length), type)) << name << " cut at " << length;
    }
}

// Whatever a garbled file does, it must not bring the game down; the sanitizer
// builds turn any overrun in an accepted file into a failure here.
TEST_F(DatafileTest, GarbledFilesNeverCrashTheLoader)
{
    std::mt19937 random(2026);
    for (const char *name : {"DataKorrin.dat", "DataFont.dat"}) {
        Bytes whole = readBuilt(name);
        int type = std::string(name) == "DataFont.dat" ? DAT_FONT : DAT_RLE_SPRITE;
        for (int trial = 0; trial < 300; trial++) {
            Bytes garbled = whole;
            int flips = 1 + random() % 8;
            for (int i = 0; i < flips; i++)
                garbled[random() % garbled.size()] = static_cast<char>(random());
            loads(garbled, type);
        }
        Bytes noise(whole.begin(), whole.begin() + 8);
        for (int i = 0; i < 2000; i++)
            noise.push_back(static_cast<char>(random()));
        EXPECT_FALSE(loads(noise, type));
    }
}

} // namespace
