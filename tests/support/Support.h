// The game's modules without a display: Allegro under SYSTEM_NONE at 24-bit colour,
// a memory screen, stand-in themes and sounds, a scripted keyboard, boards as pictures.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

// What the tests here use of the standard library, included once for them all.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "Files.h"
#include "HighScores.h"
#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"
#include "StartingScreen.h"

// Every global at its start, black memory screens, two themes of solid blocks, the built fonts.
void resetGame();
int blockColor(int theme, int color);
extern std::vector<const SAMPLE *> plays;
extern std::vector<void (*)()> timers; // installed and not yet removed

// Runs `play`, each press held until the next, which comes once the game has rested a
// second or asks readkey. Returns the screens the presses met.
using Press = std::vector<int>;
const std::vector<BITMAP *> &playKeys(const std::vector<Press> &presses, const std::function<void()> &play);

using Cells = std::vector<std::pair<int, int>>;
Cells cellsOf(const TetraBlock *piece, int dx = 0, int dy = 0);

// A board at (160, 40) as mainCollision. Pictures list rows from the left wall split by
// '/', '.' for no block or its colour; the last row is the floor.
struct TestBoard {
    explicit TestBoard(int gameType = 0, int width = 320);
    ~TestBoard();
    void stack(const std::string &picture);
    std::string picture(int rows, int columns) const;
    void setPiece(int type, int column, int row, int color = -1);
    CollisionSystem *board;
};

