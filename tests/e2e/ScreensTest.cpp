// The high-score and options screens, opened from the title menu, and a key
// rebound there acting in the next game.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "GameRun.h"
#include "Playfield.h"
#include "TestFiles.h"
#include "ScreenText.h"
#include "TitleScreen.h"

namespace {

const int highScoresItem = 2;
const int optionsItem = 1;

// Highlights the item from "Start.Game" and takes it.
void openItem(GameRun &game, int item)
{
    if (waitForHighlight(game, 0).empty())
        return;
    for (int i = 1; i <= item; i++) {
        game.holdKey(XK_Down);
        if (waitForHighlight(game, i).empty())
            return;
    }
    game.holdKey(XK_Return);
}

bool showsTable(const Image &screen, const std::vector<int> &scores, std::string *why = nullptr)
{
    if (!showsText(screen, "High Scores:", GameFont::small, 320, 125, white, black, why))
        return false;
    for (int i = 0; i < 10; i++)
        if (!showsText(screen, std::to_string(scores[i]), GameFont::small, 320, 160 + 25 * i, white, black, why))
            return false;
    return true;
}

void expectTableShown(GameRun &game, const std::vector<int> &scores)
{
    openItem(game, highScoresItem);
    Image shown = game.waitForScreen([&](const Image &screen) { return showsTable(screen, scores); },
                                     "the high-score table");
    std::string why;
    if (shown.empty() && !showsTable(game.lastScreen(), scores, &why))
        ADD_FAILURE() << why;
    // Any key goes back, and the menu does not take that key again; the screen
    // drops keys for a moment after it shows.
    auto backInMenu = [](const Image &screen) {
        return highlightedItem(screen) == highScoresItem && markersShown(screen, highScoresItem);
    };
    EXPECT_FALSE(game.pressUntil(XK_a, backInMenu, "the menu after the high-score table").empty());
    takeExit(game, highScoresItem);
    EXPECT_EQ(game.waitForExit(), 0);
}

bool optionRowShows(const Image &screen, int row, const std::string &text, bool highlighted)
{
    static const int rowTops[8] = {165, 195, 225, 255, 285, 315, 345, 385};
    return showsText(screen, text, GameFont::small, 320, rowTops[row], highlighted ? highlightColour : itemColour);
}

} // namespace

TEST(HighScoreScreen, ShowsTheStoredTableBestFirst)
{
    GameRun game;
    std::vector<int> stored{90210, 4711, 256, 40, 6, 0, 0, -3, -45, -2147483647};
    writeFileBytes(game.path("highscore.dat"), scoreFileBytes(stored));
    game.start();
    expectTableShown(game, stored);
}

TEST(HighScoreScreen, ShowsTenZerosWithoutAFile)
{
    GameRun game;
    game.start();
    expectTableShown(game, std::vector<int>(10, 0));
}

TEST(OptionsScreen, EnterSwitchesSoundAndEscapeDoesNotLeave)
{
    GameRun game;
    game.start();
    openItem(game, optionsItem);
    auto rowSays = [&game](int row, const std::string &text) {
        return !game.waitForScreen([&](const Image &s) { return optionRowShows(s, row, text, true); },
                                   "the options row \"" + text + "\" highlighted")
                    .empty();
    };
    ASSERT_TRUE(rowSays(0, "Sound: On"));
    game.holdKey(XK_Return);
    ASSERT_TRUE(rowSays(0, "Sound: Off"));
    game.holdKey(XK_Return);
    ASSERT_TRUE(rowSays(0, "Sound: On"));

    game.holdKey(XK_Escape);
    game.holdKey(XK_Up);
    ASSERT_TRUE(rowSays(7, "Back")) << "Escape left the options screen";
    game.holdKey(XK_Return);
    ASSERT_FALSE(waitForHighlight(game, optionsItem).empty());
    takeExit(game, optionsItem);
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(OptionsScreen, KeyBoundToMoveLeftMovesThePieceInTheNextGame)
{
    GameRun game;
    game.start();
    openItem(game, optionsItem);
    ASSERT_FALSE(game.waitForScreen([](const Image &s) { return optionRowShows(s, 0, "Sound: On", true); },
                                    "the options screen")
                     .empty());
    game.holdKey(XK_Down);
    Image before = game.waitForScreen([](const Image &s) { return !optionRowShows(s, 0, "Sound: On", true); },
                                      "the key row highlighted");
    game.holdKey(XK_Return);
    ASSERT_FALSE(game.waitForScreen([](const Image &s) {
                         return showsText(s, "Press the desired key", GameFont::medium, 320, 170, highlightColour);
                     },
                                    "the key prompt")
                     .empty());
    // The row shows the new key's name: it differs from before, with the prompt
    // gone. The prompt drops keys for a moment after it shows.
    auto renamed = [&before](const Image &s) {
        return s.count(highlightColour, 141, 195, 499, 219) > 0 &&
               !showsText(s, "Press the desired key", GameFont::medium, 320, 170, highlightColour) &&
               !(s == before);
    };
    ASSERT_FALSE(game.pressUntil(XK_a, renamed, "the Move.Left row with its new key").empty());

    game.holdKey(XK_Up);
    game.holdKey(XK_Up);
    ASSERT_FALSE(game.waitForScreen([](const Image &s) { return optionRowShows(s, 7, "Back", true); }, "Back").empty());
    game.holdKey(XK_Return);
    ASSERT_FALSE(waitForHighlight(game, optionsItem).empty());
    game.holdKey(XK_Up);
    Image first = startGame(game, 0);
    ASSERT_FALSE(first.empty());

    // A quick tap moves one column; the repeat would need five ticks.
    int startLeft = playfieldContents(first).left;
    game.holdKey(XK_a, std::chrono::milliseconds(35));
    auto movedBy = [](int columns, int from) {
        return [=](const Image &s) { return playfieldContents(s).left == from - 20 * columns; };
    };
    ASSERT_FALSE(game.waitForScreen(movedBy(1, startLeft), "the piece one column left").empty());

    // Left, held with the fall key, is seen in the same ticks that drop the piece.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int top = playfieldContents(game.lastScreen()).top;
    game.holdKeys({XK_Left, XK_Down});
    Image dropped = game.waitForScreen([top](const Image &s) { return playfieldContents(s).top >= top + 40; },
                                       "the piece dropped by the fall key");
    ASSERT_FALSE(dropped.empty());
    EXPECT_EQ(playfieldContents(dropped).left, startLeft - 20) << "the left arrow still moves the piece";

    endGame(game, false);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
}
