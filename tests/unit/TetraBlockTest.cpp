// Tetra pieces: every rotation state of the seven shapes, turns undone by their
// opposites, moves, and random colours drawn in block order.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MainLoop.h"
#include "TestAllegro.h"
#include "TetraBlock.h"

// Offsets in cells from the spawn point, column then row, of b0 to b3, for every
// shape (one a line) and rotation state.
static const int rotationStates[7][4][8] = {
    {{0, 0, 1, 0, 2, 0, 2, 1}, {1, -1, 1, 0, 1, 1, 0, 1}, {2, 0, 1, 0, 0, 0, 0, -1}, {1, 1, 1, 0, 1, -1, 2, -1}},
    {{0, 1, 0, 0, 1, 0, 2, 0}, {0, -1, 1, -1, 1, 0, 1, 1}, {2, -1, 2, 0, 1, 0, 0, 0}, {2, 1, 1, 1, 1, 0, 1, -1}},
    {{0, 0, 1, 0, 1, 1, 2, 1}, {1, -1, 1, 0, 0, 0, 0, 1}, {2, 0, 1, 0, 1, -1, 0, -1}, {1, 1, 1, 0, 2, 0, 2, -1}},
    {{0, 1, 1, 1, 1, 0, 2, 0}, {1, 0, 1, 1, 2, 1, 2, 2}, {2, 1, 1, 1, 1, 2, 0, 2}, {1, 2, 1, 1, 0, 1, 0, 0}},
    {{0, 0, 1, 0, 1, 1, 0, 1}, {1, 0, 1, 1, 0, 1, 0, 0}, {1, 1, 0, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 1, 1}},
    {{0, 0, 1, 0, 1, 1, 2, 0}, {1, -1, 1, 0, 0, 0, 1, 1}, {2, 0, 1, 0, 1, -1, 0, 0}, {1, 1, 1, 0, 2, 0, 1, -1}},
    {{0, 0, 1, 0, 2, 0, 3, 0}, {1, -1, 1, 0, 1, 1, 1, 2}, {2, 0, 1, 0, 0, 0, -1, 0}, {1, 1, 1, 0, 1, -1, 1, -2}},
};

static const int spawnX = 320;
static const int spawnY = 40;

// Where the table puts the shape in the state, for a piece moved by (dx, dy) from the spawn.
static Cells tableCells(int type, int state, int dx, int dy)
{
    Cells cells;
    for (int i = 0; i < 4; i++)
        cells.emplace_back(spawnX + dx + 20 * rotationStates[type][state][2 * i],
                           spawnY + dy + 20 * rotationStates[type][state][2 * i + 1]);
    return cells;
}

TEST(TetraTurn, EveryStateMatchesTheTableAndOppositeTurnsUndoEachOther)
{
    installTestTheme();
    for (int type = 0; type < 7; type++) {
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
        ASSERT_EQ(piece->type, type);
        EXPECT_EQ(cellsOf(piece), tableCells(type, 0, 0, 0)) << "type " << type << " at spawn";
        // Off the spawn point, so the turns cannot lean on the spawn offsets.
        tetraBlockMoveLeft(piece);
        tetraBlockMoveLeft(piece);
        tetraBlockMoveRight(piece);
        tetraBlockMoveDown(piece);
        auto expectState = [&](int state, const char *after) {
            EXPECT_EQ(piece->rotation, (state + 4) % 4) << after;
            EXPECT_EQ(cellsOf(piece), tableCells(type, (state + 4) % 4, -20, 20)) << after;
        };
        for (int state = 0; state < 4; state++) {
            SCOPED_TRACE(testing::Message() << "type " << type << " from state " << state);
            tetraBlockRotateRight(piece);
            expectState(state + 1, "right");
            tetraBlockRotateLeft(piece);
            expectState(state, "right, left");
            tetraBlockRotateLeft(piece);
            expectState(state - 1, "left");
            tetraBlockRotateRight(piece);
            expectState(state, "left, right");
            tetraBlockRotateRight(piece);
        }
        destroyTetraBlock(piece);
    }
}

TEST(NewTetraBlock, ColoursAreDrawnInBlockOrderAndUnknownTypesBuildNothing)
{
    installTestTheme();
    for (int type = 0; type < 7; type++) {
        srand(1000 + type);
        int expected[4];
        for (int &color : expected)
            color = rand() % 4;
        srand(1000 + type);
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(piece->blocks[i]->color, expected[i]) << "type " << type << " b" << i;
            EXPECT_EQ(piece->blocks[i]->image, allData[expected[i]].dat);
        }
        destroyTetraBlock(piece);
    }

    srand(5);
    int next = rand();
    srand(5);
    EXPECT_EQ(newTetraBlock(7, spawnX, spawnY), nullptr);
    EXPECT_EQ(newTetraBlock(-1, spawnX, spawnY), nullptr);
    EXPECT_EQ(rand(), next) << "a refused piece must not draw colours";
}
