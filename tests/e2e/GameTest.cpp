// Whole games played from the title menu: the playfield, the fall key, Escape and
// "Game Over!", and the score offered to the high-score table.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "GameRun.h"
#include "Playfield.h"
#include "ScreenText.h"
#include "TitleScreen.h"

namespace {

std::vector<uint8_t> littleEndian(const std::vector<int32_t> &scores)
{
    std::vector<uint8_t> bytes;
    for (int32_t score : scores)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(uint32_t(score) >> shift));
    return bytes;
}

void writeTable(const std::string &path, const std::vector<int32_t> &scores)
{
    std::vector<uint8_t> bytes = littleEndian(scores);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

std::vector<uint8_t> readBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

} // namespace

TEST(WholeGame, StartsWithItsFrameAndEndsByEscapeBackToTheMenu)
{
    GameRun game;
    game.start();
    Image first = startGame(game, 0);
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(showsText(first, "Score: 0", GameFont::small, 320, 20, white));
    Cells piece = playfieldContents(first);
    EXPECT_GE(piece.left, 300);
    EXPECT_LT(piece.top, 100) << "the first piece starts at the top";

    endGame(game, false);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(game.path("highscore.dat")))
        << "0 points against no table must not create one";
}

TEST(WholeGame, HeldFallKeyLandsThePieceAndSpawnsTheNext)
{
    GameRun game;
    game.fixTime(1000);
    game.start();
    ASSERT_FALSE(startGame(game, 1).empty());

    game.holdKey(XK_Down, std::chrono::milliseconds(1200));
    auto landed = [](const Image &screen) {
        Cells bottom = playfieldContents(screen, 420);
        Cells top = playfieldContents(screen);
        return bottom.bottom == 439 && top.top < 100;
    };
    EXPECT_FALSE(game.waitForScreen(landed, "a landed piece on the floor and a new one at the top").empty());

    endGame(game, false);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(WholeGame, ZeroPointsEnterATableOfNegativeScoresAtTheTop)
{
    GameRun game;
    std::vector<int32_t> stored{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10};
    writeTable(game.path("highscore.dat"), stored);
    game.start();
    ASSERT_FALSE(startGame(game, 0).empty());

    endGame(game, true);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_EQ(readBytes(game.path("highscore.dat")), littleEndian({0, -1, -2, -3, -4, -5, -6, -7, -8, -9}));
}
