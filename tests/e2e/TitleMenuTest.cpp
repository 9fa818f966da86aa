// The title screen and its menu, driven by key presses on the real game.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "GameRun.h"
#include "TitleScreen.h"

namespace {

// Every pixel of the row from x0 to x1 (or of the column from y0 to y1) is white.
void expectWhiteRow(const Image &screen, int y, int x0, int x1)
{
    EXPECT_EQ(screen.count(white, x0, y, x1, y), x1 - x0 + 1) << "row " << y << " from x " << x0 << " to " << x1;
}

void expectWhiteColumn(const Image &screen, int x, int y0, int y1)
{
    EXPECT_EQ(screen.count(white, x, y0, x, y1), y1 - y0 + 1) << "column " << x << " from y " << y0 << " to " << y1;
}

void expectBlackAt(const Image &screen, int x, int y)
{
    EXPECT_EQ(screen.pixel(x, y), black) << "at (" << x << ", " << y << ")";
}

// Pixels outside the three panels, where only the scatter of block images lies.
bool backgroundDiffers(const Image &a, const Image &b)
{
    for (int y = 0; y < 440; y++)
        for (int x = 0; x < 130; x++)
            if (a.pixel(x, y) != b.pixel(x, y) || a.pixel(x + 510, y) != b.pixel(x + 510, y))
                return true;
    return false;
}

// The first title screen of a game started at this time.
Image firstScreenAt(long startTime)
{
    GameRun game;
    game.fixTime(startTime);
    game.start();
    Image screen = waitForSteadyHighlight(game, 0);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
    return screen;
}

} // namespace

TEST(TitleScreen, PanelsAndFramesStandAtTheirPlaces)
{
    GameRun game;
    game.start();
    Image screen = waitForHighlight(game, 0);
    ASSERT_FALSE(screen.empty());

    // Title panel: framed on all four sides, black inside.
    expectWhiteRow(screen, 10, 140, 500);
    expectWhiteRow(screen, 100, 140, 500);
    expectWhiteColumn(screen, 140, 10, 100);
    expectWhiteColumn(screen, 500, 10, 100);
    for (auto [x, y] : {std::pair{141, 11}, {499, 11}, {141, 99}, {499, 99}})
        expectBlackAt(screen, x, y);
    // "Vessa" in red left of "or", "Korrin" in grey right of it.
    EXPECT_GT(screen.count(Rgb{255, 0, 0}, 141, 11, 300, 99), 50);
    EXPECT_EQ(screen.count(Rgb{255, 0, 0}, 320, 11, 499, 99), 0);
    EXPECT_GT(screen.count(Rgb{100, 100, 100}, 330, 11, 499, 99), 50);
    EXPECT_EQ(screen.count(Rgb{100, 100, 100}, 141, 11, 300, 99), 0);

    // Menu panel: top and sides framed down to the credit bar, black inside.
    expectWhiteRow(screen, 145, 170, 470);
    expectWhiteColumn(screen, 170, 145, 450);
    expectWhiteColumn(screen, 470, 145, 450);
    for (auto [x, y] : {std::pair{171, 146}, {469, 146}, {171, 449}, {469, 449}})
        expectBlackAt(screen, x, y);
    // Its bottom line lies under the credit bar, where only the credit text is white.
    EXPECT_LT(screen.count(white, 170, 460, 470, 460), 301 / 2);

    // Credit bar: top and sides framed, its bottom line clipped off the screen.
    expectWhiteRow(screen, 450, 30, 610);
    expectWhiteColumn(screen, 30, 450, 479);
    expectWhiteColumn(screen, 610, 450, 479);
    EXPECT_LT(screen.count(white, 31, 479, 609, 479), 579 / 2);
    EXPECT_EQ(screen.count(black, 31, 451, 40, 479), 10 * 29) << "the bar's left end is black";
    EXPECT_EQ(screen.count(black, 600, 451, 609, 479), 10 * 29) << "the bar's right end is black";
    EXPECT_GT(screen.count(white, 41, 455, 599, 479), 50) << "the credit line";

    // "Start.Game" is highlighted; the others are in the item colour.
    for (int item = 0; item < menuItems; item++) {
        int top = 160 + 80 * item;
        SCOPED_TRACE(item);
        EXPECT_EQ(screen.count(item == 0 ? itemColour : highlightColour, 171, top, 469, top + 60), 0);
        EXPECT_GT(screen.count(item == 0 ? highlightColour : itemColour, 171, top, 469, top + 60), 50);
    }
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(TitleMenu, DownAndUpMoveTheHighlightAndWrapAroundBothWays)
{
    GameRun game;
    game.start();
    ASSERT_FALSE(waitForHighlight(game, 0).empty());
    struct Step {
        XKeySym key;
        int highlighted;
    };
    // Down from "Exit" wraps to "Start.Game", Up from "Start.Game" to "Exit".
    for (Step step : {Step{XK_Down, 1}, {XK_Down, 2}, {XK_Down, 3}, {XK_Down, 0}, {XK_Up, 3}, {XK_Up, 2},
                      {XK_Up, 1}, {XK_Up, 0}}) {
        game.holdKey(step.key);
        ASSERT_FALSE(waitForHighlight(game, step.highlighted).empty());
    }
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_TRUE(game.messages().empty());
}

TEST(TitleMenu, EnterOnExitEndsTheGameWithCodeZero)
{
    GameRun game;
    game.start();
    ASSERT_FALSE(waitForHighlight(game, 0).empty());
    for (int item = 1; item < menuItems; item++) {
        game.holdKey(XK_Down);
        ASSERT_FALSE(waitForHighlight(game, item).empty());
    }
    game.holdKey(XK_Return);
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(TitleMenu, OtherKeysOnlyRedrawTheScatter)
{
    GameRun game;
    game.start();
    ASSERT_FALSE(waitForHighlight(game, 0).empty());
    game.holdKey(XK_Down);
    Image before = waitForHighlight(game, 1);
    ASSERT_FALSE(before.empty());
    struct Press {
        const char *name;
        std::vector<XKeySym> keys;
    };
    // Up and Down together add a whole turn; Escape and the keypad's Enter act on nothing.
    for (const Press &press : {Press{"a", {XK_a}}, Press{"Escape", {XK_Escape}}, Press{"keypad Enter", {XK_KP_Enter}},
                               Press{"Up and Down", {XK_Up, XK_Down}}}) {
        SCOPED_TRACE(press.name);
        game.holdKeys(press.keys);
        Image after = game.waitForScreen([&](const Image &screen) { return backgroundDiffers(before, screen); },
                                         "a new scatter");
        ASSERT_FALSE(after.empty());
        EXPECT_EQ(highlightedItem(after), 1);
        EXPECT_TRUE(game.running());
        before = after;
    }
    takeExit(game, 1);
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(TitleScreen, ScatterFollowsTheTimeTheGameStarted)
{
    Image first = firstScreenAt(1000000);
    Image again = firstScreenAt(1000000);
    Image later = firstScreenAt(2000000);
    ASSERT_FALSE(first.empty() || again.empty() || later.empty());
    EXPECT_TRUE(first == again) << "the same start time draws the same scatter";
    EXPECT_TRUE(backgroundDiffers(first, later)) << "another start time draws another scatter";
}
