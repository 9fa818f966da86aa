// What the game reads and writes: "highscore.dat" as found on disk, the datafiles
// whole, cut or garbled, the built artwork, and the two sounds.
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <sys/stat.h>

#include "Support.h"

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

static Bytes scoresFile(std::vector<int> scores, size_t size = 40)
{
    scores.resize(12);
    Bytes bytes(reinterpret_cast<char *>(scores.data()), reinterpret_cast<char *>(scores.data()) + 48);
    bytes.resize(size);
    return bytes;
}

static Bytes readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return fs::is_regular_file(path) ? Bytes(std::istreambuf_iterator<char>(file), {}) : Bytes{};
}

static void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

TEST(HighScoreFile, ScoreEntersAboveTheFirstSmallerEntryAndOnlyThenIsWritten)
{
    const Bytes full = scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 50}), some = scoresFile({30, 20, 10});
    // (file before, or none; what else to do; score offered, place, file after)
    const std::tuple<Bytes, const char *, int, int, Bytes> cases[] = {
        {{}, "", 0, 0, {}},
        {{}, "", 40, 1, scoresFile({40})},
        {scoresFile({100, 90, 90, 80}), "", 90, 4, scoresFile({100, 90, 90, 90, 80})},
        {full, "", 50, 0, full},
        {full, "", 51, 10, scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 51})},
        {scoresFile({10, 300, 5, 70, 0, 900, 2, 2, 1, 40}), "", 6, 3, scoresFile({10, 300, 6, 5, 70, 0, 900, 2, 2, 1})},
        {scoresFile({77, -2, 5}, 10), "", 3, 2, scoresFile({77, 3, -2})},
        {scoresFile({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 9}, 44), "", 55, 5, scoresFile({90, 80, 70, 60, 55, 50, 40, 30, 20, 10})},
        {scoresFile({-5, -10, -20, -30, -40, -50, -60, -70, -80, INT_MIN}), "", -7, 2,
         scoresFile({-5, -7, -10, -20, -30, -40, -50, -60, -70, -80})},
        {some, "read-only", 25, 2, some},
        {{}, "folder", 40, 1, {}},
    };
    for (const auto &[before, odd, offered, place, after] : cases) {
        TempDir folder;
        if (!before.empty())
            writeFile("highscore.dat", before);
        if (odd == std::string("read-only"))
            chmod("highscore.dat", 0444);
        if (odd == std::string("folder"))
            fs::create_directory("highscore.dat");
        Score score{offered};
        EXPECT_EQ(highScoreSaveToDisk(&score), place) << offered;
        EXPECT_EQ(readFile("highscore.dat"), after) << offered;
        EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), !after.empty() || *odd) << "a stray file";
    }
}

static bool loads(const Bytes &bytes, int type)
{
    writeFile("test.dat", bytes);
    DATAFILE *data = loadGameDatafile("test.dat", type);
    if (data)
        unload_datafile(data);
    return data;
}

TEST(Datafiles, BuiltOnesLoadAsTheirKindAndCutOrGarbledOnesAreRefused)
{
    resetGame();
    TempDir folder;
    std::mt19937 random(2026);
    EXPECT_FALSE(loads({'s', 'l', 'h', '.', 'A', 'L', 'L', '.', 0, 0, 0, 0}, DAT_RLE_SPRITE)) << "no objects";
    for (auto [name, type] : {std::pair{"DataVessa.dat", DAT_RLE_SPRITE}, {"DataKorrin.dat", DAT_RLE_SPRITE},
                              {"DataFont.dat", DAT_FONT}}) {
        const Bytes whole = readFile(VOK_RUN_DIR "/Gfx/" + std::string(name));
        EXPECT_TRUE(loads(whole, type)) << name;
        EXPECT_FALSE(loads(whole, type == DAT_FONT ? DAT_RLE_SPRITE : DAT_FONT)) << name;
        for (size_t length = 0; length < whole.size(); length += 1 + whole.size() / 300)
            EXPECT_FALSE(loads(Bytes(whole.begin(), whole.begin() + length), type)) << name << " cut at " << length;
        // Whatever a garbled file holds, it must not bring the loader down.
        for (int trial = 0; trial < 300; trial++) {
            Bytes garbled = whole;
            for (int flips = 1 + random() % 8; flips > 0; flips--)
                garbled[random() % garbled.size()] = static_cast<char>(random());
            loads(garbled, type);
        }
    }
}

TEST(BuiltArt, BlocksRedBlueGreenYellowInBothThemesAndFontsThatTakeAColour)
{
    resetGame();
    for (const char *name : {"DataVessa.dat", "DataKorrin.dat"}) {
        DATAFILE *theme = load_datafile((VOK_RUN_DIR "/Gfx/" + std::string(name)).c_str());
        for (int color = 0; color < 4; color++) {
            BITMAP *cell = create_bitmap(20, 20);
            draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(theme[color].dat), 0, 0);
            double r = 0, g = 0, b = 0;
            for (int i = 0; i < 400; i++)
                r += getr(getpixel(cell, i % 20, i / 20)), g += getg(getpixel(cell, i % 20, i / 20)),
                    b += getb(getpixel(cell, i % 20, i / 20));
            destroy_bitmap(cell);
            const double hue = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
            EXPECT_LT(std::fabs(std::remainder(hue - std::array{0, -135, 120, 50}[color], 360.0)), 30) << name << color;
        }
        unload_datafile(theme);
    }
    for (int i = 0; i < 4; i++)
        EXPECT_TRUE(is_mono_font(static_cast<FONT *>(fontData[i].dat))) << "font " << i;
    EXPECT_LT(text_height(comicSmall), text_height(comicMedium));
    EXPECT_LT(text_height(comicMedium), text_height(comicBig));
}

TEST(Sounds, MissingFilesAreReportedInOrderAndNeverPlayedAndTheSwitchSilencesTheRest)
{
    const std::string fall = "Error, blockFall.wav file could not be found. Reinstall the game to have proper sounds.";
    const std::string killed = "Error, blockKilled.wav file could not be found. Reinstall the game to have proper sounds.";
    for (std::string present : {"", "blockFall.wav", "blockKilled.wav", "blockFall.wav blockKilled.wav"}) {
        TempDir folder;
        resetGame();
        fs::create_directory("Sfx");
        for (const char *name : {"blockFall.wav", "blockKilled.wav"})
            if (present.find(name) != std::string::npos)
                fs::copy(std::string(VOK_RUN_DIR "/Sfx/") + name, std::string("Sfx/") + name);
        testing::internal::CaptureStdout();
        soundInit();
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  (present.find("Fall") != std::string::npos ? "" : fall) + (present.find("Killed") != std::string::npos ? "" : killed));
        for (int on : {1, 0, 1}) {
            soundOn = on;
            plays.clear();
            playBlockFall();
            playBlockKilled();
            EXPECT_EQ(plays.size(), on ? present.size() / 13 : 0) << present;
            EXPECT_TRUE(plays.empty() || plays.back().sample == (present.find("Killed") != std::string::npos ? blockKilled : fallBlock));
        }
        soundExit();
    }
}
