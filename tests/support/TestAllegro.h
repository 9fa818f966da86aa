// What the tests need to run the real modules without a window: Allegro under
// SYSTEM_NONE at 24-bit colour, stand-in data, boards drawn as pictures, and a
// scratch folder to work in.
#pragma once

#include <allegro.h>

#include <string>
#include <utility>
#include <vector>

#include "CollisionSystem.h"

// Installs Allegro once for the whole test program (SYSTEM_NONE, 24-bit colour).
void ensureAllegro();

// A theme datafile of four solid 20 x 20 RLE sprites, colour i filled with
// testThemeColor(i); set as allData, vessaData and korrinData.
void installTestTheme();
int testThemeColor(int index);

// Allegro's built-in font as comicSmall, comicMedium and comicBig.
void installTestFonts();

// Two silent samples as fallBlock and blockKilled, sound on, play counts reset.
// The test programs are linked with play_sample wrapped to count its requests.
void installTestSounds();
int playCount(const SAMPLE *sample);
void resetPlayCounts();

// A 640 x 480 memory bitmap standing in for the screen, and a fresh dblbuffer;
// removeTestScreen puts Allegro back as it was.
void installTestScreen();
void removeTestScreen();

// The game's own built datafiles, loaded from the run directory into the globals.
void installBuiltData();

// Cells are named by their top-left pixel.
using Cells = std::vector<std::pair<int, int>>;
Cells cellsOf(const TetraBlock *piece);

// One game's board over the test theme and sounds, with the game's globals reset
// and set as mainCollision. Stacks are written as pictures: one line a row from
// the left wall, '.' for an empty cell or the block's colour digit, the last
// line on the floor.
struct TestBoard {
    explicit TestBoard(int gameType = 0, int width = 320);
    ~TestBoard();

    Block *put(int column, int row, int color);
    void stack(const std::string &picture);
    // The bottom rows of the stack as such a picture, all columns unless fewer
    // are asked for; '#' where blocks share a cell.
    std::string picture(int rows, int columns = -1) const;
    // Replaces the falling piece with a new one of the type anchored at the cell,
    // all in one colour if one is given.
    void setPiece(int type, int column, int row, int color = -1);
    Cells pieceCells() const { return cellsOf(board->tetraBlock); }

    CollisionSystem *board;
};

Cells shifted(const Cells &cells, int dx, int dy);

// A fresh folder under /tmp as the current directory, removed with all it holds.
struct TempDir {
    TempDir();
    ~TempDir();
    std::string path;
    std::string previous;
};
