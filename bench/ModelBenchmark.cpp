// Times the costliest landings the rules can meet, to set against the 16.7 ms
// logic tick: a colour check over a nearly full board, and a four-row kill.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "Sound.h"

namespace {

const int columns = 16;
const int rows = 20;

// The rules never draw, so a theme without images will do and Allegro stays uninstalled.
DATAFILE imagelessTheme[5];

// No two neighbours across share a colour, and down the colours only alternate:
// no line of four anywhere.
int patternColor(int column, int row)
{
    return (column + 2 * row) % 4;
}

void addBlock(CollisionSystem *board, int column, int row)
{
    int color = patternColor(column, row);
    collisionStackAddBlock(board, newBlock(nullptr, board->x + 20 * column, board->y + 20 * row, color));
}

// A standing bar of four in column 0, resting on the floor, about to land.
CollisionSystem *boardWithStandingBar(int gameType)
{
    allData = imagelessTheme;
    soundOn = 0;
    srand(1);
    CollisionSystem *board = newCollisionSystem(gameType, 160, 40, columns * 20, rows * 20);
    destroyTetraBlock(board->tetraBlock);
    board->tetraBlock = newTetraBlock(6, board->x - 20, board->y + 20 * (rows - 3));
    tetraBlockRotateRight(board->tetraBlock);
    for (int i = 0; i < 4; i++) {
        Block *b = board->tetraBlock->blocks[i];
        b->color = patternColor(0, (b->y - board->y) / 20);
    }
    return board;
}

// Nineteen full rows whose colours never make a line: every pair gets compared,
// nothing is removed.
void colorLandingOnFullBoard(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CollisionSystem *board = boardWithStandingBar(1);
        for (int row = 1; row < rows; row++) {
            for (int column = row >= rows - 4 ? 1 : 0; column < columns; column++)
                addBlock(board, column, row);
        }
        state.ResumeTiming();

        collisionTetraBlockFallDown(board);

        state.PauseTiming();
        if (board->stack->count != (rows - 1) * columns)
            state.SkipWithError("the landing removed blocks");
        destroyCollision(board);
        endGame = 0;
        state.ResumeTiming();
    }
}

// The bar completes the four bottom rows under fifteen rows of fifteen blocks,
// which then settle four rows, one row at a time.
void tetrisFourRowLanding(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        CollisionSystem *board = boardWithStandingBar(0);
        for (int row = 1; row < rows; row++) {
            for (int column = 1; column < columns; column++)
                addBlock(board, column, row);
        }
        state.ResumeTiming();

        collisionTetraBlockFallDown(board);

        state.PauseTiming();
        if (board->score->points != scoreCalculateTetrisPoints(4))
            state.SkipWithError("the landing did not remove four rows");
        destroyCollision(board);
        endGame = 0;
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(colorLandingOnFullBoard)->Unit(benchmark::kMicrosecond);
BENCHMARK(tetrisFourRowLanding)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
