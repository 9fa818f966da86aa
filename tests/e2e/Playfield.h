// A game as a player sees it: starting one from the title menu, the playfield's
// frame, the falling piece and the one-line messages over the last frame.
#pragma once

#include <string>

#include "GameRun.h"
#include "Image.h"

// From the title menu with "Start.Game" highlighted: the game-type menu, then
// the game of that choice (0 "Tetris", 1 "Color"). The first game screen, or an
// empty image after a failure.
Image startGame(GameRun &game, int gameType);

// The double white frame stands, open in the middle of its top edge.
bool playfieldShown(const Image &screen);

// The bounding box of everything drawn inside the playfield; all -1 when empty.
struct Cells {
    int left = -1, top = -1, right = -1, bottom = -1;
};
Cells playfieldContents(const Image &screen, int fromRow = 40);

// A one-line message of the game loop: white on a black band at y 220.
bool messageShown(const Image &screen, const std::string &text);

// Ends the running game with Escape and dismisses "Game Over!"; with
// `congratulated`, also waits for and dismisses the high-score message. Then
// waits for the title menu.
void endGame(GameRun &game, bool congratulated);
