// Whole games played from the title menu: the playfield, the fall key, Escape and
// "Game Over!", and the score offered to the high-score table.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "GameRun.h"
#include "Playfield.h"
#include "TestFiles.h"
#include "ScreenText.h"
#include "TitleScreen.h"


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
    writeFileBytes(game.path("highscore.dat"), scoreFileBytes(stored));
    game.start();
    ASSERT_FALSE(startGame(game, 0).empty());

    endGame(game, true);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_EQ(readFileBytes(game.path("highscore.dat")), scoreFileBytes({0, -1, -2, -3, -4, -5, -6, -7, -8, -9}));
}

TEST(GameTypeMenu, CancelPlaysNoGameAndDrawsNoTheme)
{
    // The same start time gives the same random numbers: if Cancel drew a theme,
    // the next scatter would differ from the one a mere redraw gives.
    GameRun cancelled;
    cancelled.fixTime(424242);
    cancelled.start();
    Image first = waitForHighlight(cancelled, 0);
    ASSERT_FALSE(first.empty());
    cancelled.holdKey(XK_Return);
    auto onCancel = [](const Image &s) { return showsText(s, "Cancel", GameFont::medium, 320, 265, highlightColour); };
    ASSERT_FALSE(cancelled.waitForScreen([](const Image &s) {
        return showsText(s, "Tetris", GameFont::medium, 320, 165, highlightColour);
    }, "the game-type menu").empty());
    cancelled.holdKey(XK_Up);
    ASSERT_FALSE(cancelled.waitForScreen(onCancel, "\"Cancel\" highlighted").empty());
    cancelled.holdKey(XK_Return);
    Image afterCancel = waitForSteadyHighlight(cancelled, 0, first);
    ASSERT_FALSE(afterCancel.empty());
    takeExit(cancelled, 0);
    EXPECT_EQ(cancelled.waitForExit(), 0);

    // One game window at a time: the next run's would stand over this one's.
    GameRun redrawn;
    redrawn.fixTime(424242);
    redrawn.start();
    ASSERT_FALSE(waitForHighlight(redrawn, 0).empty());
    redrawn.holdKey(XK_a);
    Image afterRedraw = waitForSteadyHighlight(redrawn, 0, first);

    EXPECT_TRUE(afterCancel == afterRedraw);
    takeExit(redrawn, 0);
    EXPECT_EQ(redrawn.waitForExit(), 0);
}

TEST(OddScoreFiles, LetTheGameStartPlayShowItsTableAndExit)
{
    struct Odd {
        const char *what;
        std::vector<uint8_t> bytes; // empty: a folder of that name
        bool readOnly;
        bool entersTable;
    };
    std::vector<uint8_t> garbage;
    for (int i = 1; i <= 40; i++)
        garbage.push_back(uint8_t(i * 37 % 128));
    std::vector<uint8_t> longer = scoreFileBytes(std::vector<int32_t>(12, 5));
    const Odd odds[] = {
        {"a short file", {7, 0, 0, 0, 9, 9}, false, false},
        {"a long file", longer, false, false},
        {"garbage", garbage, false, false},
        {"a folder", {}, false, false},
        {"a read-only file in a read-only folder", scoreFileBytes(std::vector<int32_t>(10, -1)), true, true},
    };
    for (const Odd &odd : odds) {
        SCOPED_TRACE(odd.what);
        GameRun game;
        std::string file = game.path("highscore.dat");
        if (odd.bytes.empty())
            std::filesystem::create_directory(file);
        else
            writeFileBytes(file, odd.bytes);
        if (odd.readOnly) {
            std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                                   std::filesystem::perms::others_read);
            std::filesystem::permissions(game.path("."), std::filesystem::perms::owner_write |
                                                             std::filesystem::perms::group_write |
                                                             std::filesystem::perms::others_write,
                                         std::filesystem::perm_options::remove);
        }
        game.start();
        ASSERT_FALSE(startGame(game, 0).empty());
        endGame(game, odd.entersTable);
        for (int item : {1, 2}) {
            game.holdKey(XK_Down);
            ASSERT_FALSE(waitForHighlight(game, item).empty());
        }
        viewHighScores(game);
        takeExit(game, 2);
        EXPECT_EQ(game.waitForExit(), 0);
        if (odd.bytes.empty()) {
            EXPECT_TRUE(std::filesystem::is_directory(file));
        }
        if (odd.readOnly) {
            EXPECT_EQ(readFileBytes(file), odd.bytes) << "a read-only table must not be replaced";
        }
        std::filesystem::permissions(game.path("."), std::filesystem::perms::owner_all);
    }
}
