// Reading a game off the window: its frame, what stands in the playfield, and
// the messages the game loop writes over the last frame.
#include "Playfield.h"

#include <X11/keysym.h>

#include "ScreenText.h"
#include "TitleScreen.h"

Image startGame(GameRun &game, int gameType)
{
    if (waitForHighlight(game, 0).empty())
        return Image();
    game.holdKey(XK_Return);
    auto typeMenu = [](const Image &screen) {
        return showsText(screen, "Select Game Type:", GameFont::small, 320, 125, white);
    };
    if (game.waitForScreen(typeMenu, "the game-type menu").empty())
        return Image();
    if (gameType == 1)
        game.holdKey(XK_Down);
    game.holdKey(XK_Return);
    return game.waitForScreen(playfieldShown, "a game's playfield");
}

bool playfieldShown(const Image &screen)
{
    for (auto [x, y] : {std::pair{159, 39}, {241, 39}, {399, 39}, {159, 441}, {481, 441}, {157, 240}, {482, 240}})
        if (screen.pixel(x, y) != white)
            return false;
    return screen.pixel(481, 39) == black && screen.pixel(320, 38) == black &&
           screen.count(white, 160, 440, 480, 440) == 321;
}

Cells playfieldContents(const Image &screen, int fromRow)
{
    Cells cells;
    for (int y = fromRow; y < 440; y++) {
        for (int x = 160; x < 480; x++) {
            if (screen.pixel(x, y) == black || (y == 40 && screen.pixel(x, y) == white))
                continue;
            cells.left = cells.left < 0 ? x : std::min(cells.left, x);
            cells.right = std::max(cells.right, x);
            cells.top = cells.top < 0 ? y : cells.top;
            cells.bottom = y;
        }
    }
    return cells;
}

bool messageShown(const Image &screen, const std::string &text)
{
    return showsText(screen, text, GameFont::small, 320, 220, white, black);
}

void endGame(GameRun &game, bool congratulated)
{
    game.holdKey(XK_Escape);
    auto gameOver = [](const Image &screen) { return messageShown(screen, "Game Over!"); };
    if (game.waitForScreen(gameOver, "\"Game Over!\"").empty())
        return;
    game.holdKey(XK_Return);
    if (congratulated) {
        auto congratulation = [](const Image &screen) {
            return messageShown(screen, "Congratulations, you have HighScored!");
        };
        if (game.waitForScreen(congratulation, "the high-score congratulation").empty())
            return;
        game.holdKey(XK_Return);
    }
    // After a game the menu comes back on "Start.Game".
    waitForHighlight(game, 0);
}
