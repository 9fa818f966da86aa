// Tetra pieces: the seven shapes at spawn, every rotation state, turns undone by
// their opposites, moves, random colours in block order, and drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

#include "MainLoop.h"
#include "TestAllegro.h"
#include "TetraBlock.h"

// Offsets (column, row) in cells from the spawn point, of b0 to b3, for every
// shape and rotation state.
static const int rotationStates[7][4][4][2] = {
    {{{0, 0}, {1, 0}, {2, 0}, {2, 1}},
     {{1, -1}, {1, 0}, {1, 1}, {0, 1}},
     {{2, 0}, {1, 0}, {0, 0}, {0, -1}},
     {{1, 1}, {1, 0}, {1, -1}, {2, -1}}},
    {{{0, 1}, {0, 0}, {1, 0}, {2, 0}},
     {{0, -1}, {1, -1}, {1, 0}, {1, 1}},
     {{2, -1}, {2, 0}, {1, 0}, {0, 0}},
     {{2, 1}, {1, 1}, {1, 0}, {1, -1}}},
    {{{0, 0}, {1, 0}, {1, 1}, {2, 1}},
     {{1, -1}, {1, 0}, {0, 0}, {0, 1}},
     {{2, 0}, {1, 0}, {1, -1}, {0, -1}},
     {{1, 1}, {1, 0}, {2, 0}, {2, -1}}},
    {{{0, 1}, {1, 1}, {1, 0}, {2, 0}},
     {{1, 0}, {1, 1}, {2, 1}, {2, 2}},
     {{2, 1}, {1, 1}, {1, 2}, {0, 2}},
     {{1, 2}, {1, 1}, {0, 1}, {0, 0}}},
    {{{0, 0}, {1, 0}, {1, 1}, {0, 1}},
     {{1, 0}, {1, 1}, {0, 1}, {0, 0}},
     {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
     {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
    {{{0, 0}, {1, 0}, {1, 1}, {2, 0}},
     {{1, -1}, {1, 0}, {0, 0}, {1, 1}},
     {{2, 0}, {1, 0}, {1, -1}, {0, 0}},
     {{1, 1}, {1, 0}, {2, 0}, {1, -1}}},
    {{{0, 0}, {1, 0}, {2, 0}, {3, 0}},
     {{1, -1}, {1, 0}, {1, 1}, {1, 2}},
     {{2, 0}, {1, 0}, {0, 0}, {-1, 0}},
     {{1, 1}, {1, 0}, {1, -1}, {1, -2}}},
};

static const int spawnX = 320;
static const int spawnY = 40;

class TetraBlockTest : public ::testing::Test {
protected:
    void SetUp() override { installTestTheme(); }
};

static void expectInState(const TetraBlock *piece, int type, int state, int dx = 0, int dy = 0)
{
    EXPECT_EQ(piece->rotation, state) << "type " << type;
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(piece->blocks[i]->x, spawnX + dx + 20 * rotationStates[type][state][i][0])
            << "type " << type << " state " << state << " b" << i;
        EXPECT_EQ(piece->blocks[i]->y, spawnY + dy + 20 * rotationStates[type][state][i][1])
            << "type " << type << " state " << state << " b" << i;
    }
}

using Positions = std::pair<int, int>[4];

static void snapshot(const TetraBlock *piece, Positions &out)
{
    for (int i = 0; i < 4; i++)
        out[i] = {piece->blocks[i]->x, piece->blocks[i]->y};
}

static void expectAt(const TetraBlock *piece, const Positions &where, int state, const char *what)
{
    EXPECT_EQ(piece->rotation, state) << what;
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(piece->blocks[i]->x, where[i].first) << what << " b" << i;
        EXPECT_EQ(piece->blocks[i]->y, where[i].second) << what << " b" << i;
    }
}

TEST_F(TetraBlockTest, RightTurnsWalkEveryStateOfEveryShape)
{
    for (int type = 0; type < 7; type++) {
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
        ASSERT_NE(piece, nullptr);
        EXPECT_EQ(piece->type, type);
        expectInState(piece, type, 0);
        for (int turn = 1; turn <= 4; turn++) {
            tetraBlockRotateRight(piece);
            expectInState(piece, type, turn % 4);
        }
        destroyTetraBlock(piece);
    }
}

TEST_F(TetraBlockTest, LeftTurnLandsOnThePreviousState)
{
    for (int type = 0; type < 7; type++) {
        for (int state = 0; state < 4; state++) {
            TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
            for (int i = 0; i < state; i++)
                tetraBlockRotateRight(piece);
            tetraBlockRotateLeft(piece);
            expectInState(piece, type, (state + 3) % 4);
            destroyTetraBlock(piece);
        }
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
        for (int turn = 1; turn <= 4; turn++) {
            tetraBlockRotateLeft(piece);
            expectInState(piece, type, (4 - turn) % 4);
        }
        destroyTetraBlock(piece);
    }
}

TEST_F(TetraBlockTest, OppositeTurnsUndoEachOtherFromEveryState)
{
    for (int type = 0; type < 7; type++) {
        for (int state = 0; state < 4; state++) {
            TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
            // Off the spawn point, so the undo cannot lean on the spawn offsets.
            tetraBlockMoveLeft(piece);
            tetraBlockMoveDown(piece);
            for (int i = 0; i < state; i++)
                tetraBlockRotateRight(piece);
            Positions before;
            snapshot(piece, before);

            tetraBlockRotateRight(piece);
            tetraBlockRotateLeft(piece);
            expectAt(piece, before, state, "right then left");
            tetraBlockRotateLeft(piece);
            tetraBlockRotateRight(piece);
            expectAt(piece, before, state, "left then right");
            destroyTetraBlock(piece);
        }
    }
}

TEST_F(TetraBlockTest, SquareKeepsItsCellsAndPassesColoursRound)
{
    TetraBlock *piece = newTetraBlock(4, spawnX, spawnY);
    std::set<std::pair<int, int>> cells;
    for (int i = 0; i < 4; i++)
        cells.insert({piece->blocks[i]->x, piece->blocks[i]->y});
    ASSERT_EQ(cells.size(), 4u);

    for (int turn = 0; turn < 4; turn++) {
        tetraBlockRotateRight(piece);
        std::set<std::pair<int, int>> now;
        for (int i = 0; i < 4; i++)
            now.insert({piece->blocks[i]->x, piece->blocks[i]->y});
        EXPECT_EQ(now, cells) << "after right turn " << turn + 1;
    }

    Block *first = piece->blocks[0];
    tetraBlockRotateRight(piece);
    EXPECT_EQ(first->x, spawnX + 20);
    EXPECT_EQ(first->y, spawnY);
    tetraBlockRotateLeft(piece);
    tetraBlockRotateLeft(piece);
    EXPECT_EQ(first->x, spawnX);
    EXPECT_EQ(first->y, spawnY + 20);
    destroyTetraBlock(piece);
}

TEST_F(TetraBlockTest, RowOfFourSpawnsAcrossFourColumns)
{
    TetraBlock *piece = newTetraBlock(6, spawnX, spawnY);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(piece->blocks[i]->x, 320 + 20 * i);
        EXPECT_EQ(piece->blocks[i]->y, 40);
    }
    // Two turns the same way leave it one column to the left.
    tetraBlockRotateRight(piece);
    tetraBlockRotateRight(piece);
    int minX = piece->blocks[0]->x;
    for (int i = 1; i < 4; i++)
        minX = std::min(minX, piece->blocks[i]->x);
    EXPECT_EQ(minX, 300);
    destroyTetraBlock(piece);
}

TEST_F(TetraBlockTest, UnknownTypeBuildsNothing)
{
    srand(5);
    int next = rand();
    srand(5);
    EXPECT_EQ(newTetraBlock(7, spawnX, spawnY), nullptr);
    EXPECT_EQ(newTetraBlock(-1, spawnX, spawnY), nullptr);
    EXPECT_EQ(rand(), next) << "a refused piece must not draw colours";
}

TEST_F(TetraBlockTest, ColoursAreDrawnInBlockOrderWithTheirImages)
{
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
}

TEST_F(TetraBlockTest, OutOfRangeStateOrTypeDoesNotMoveBlocks)
{
    TetraBlock *piece = newTetraBlock(0, spawnX, spawnY);
    Positions spawn;
    snapshot(piece, spawn);
    for (int bad : {4, -1}) {
        piece->rotation = bad;
        tetraBlockRotateRight(piece);
        expectAt(piece, spawn, bad, "right turn from a bad state");
        tetraBlockRotateLeft(piece);
        expectAt(piece, spawn, bad, "left turn from a bad state");
    }

    // A piece of no known shape cannot move its blocks; the left turn only steps the state back.
    piece->rotation = 2;
    piece->type = 7;
    tetraBlockRotateRight(piece);
    expectAt(piece, spawn, 2, "right turn of an unknown shape");
    tetraBlockRotateLeft(piece);
    expectAt(piece, spawn, 1, "left turn of an unknown shape");
    piece->type = 0;
    destroyTetraBlock(piece);
}

TEST_F(TetraBlockTest, MovesShiftAllFourBlocksAndKeepTheState)
{
    for (int type = 0; type < 7; type++) {
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY);
        tetraBlockRotateRight(piece);
        tetraBlockMoveDown(piece);
        expectInState(piece, type, 1, 0, 20);
        tetraBlockMoveLeft(piece);
        tetraBlockMoveLeft(piece);
        tetraBlockMoveRight(piece);
        expectInState(piece, type, 1, -20, 20);
        // Turning after a move pivots in the new place.
        tetraBlockRotateRight(piece);
        expectInState(piece, type, 2, -20, 20);
        destroyTetraBlock(piece);
    }
}

TEST_F(TetraBlockTest, DrawPutsEachBlocksSpriteAtItsCell)
{
    BITMAP *target = create_bitmap(640, 480);
    for (int type = 0; type < 7; type++) {
        clear_bitmap(target);
        TetraBlock *piece = newTetraBlock(type, spawnX, spawnY + 40);
        tetraBlockRotateRight(piece);
        tetraBlockDraw(target, piece);

        int painted = 0;
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++)
                painted += getpixel(target, x, y) != 0;
        EXPECT_EQ(painted, 4 * 400) << "type " << type;
        for (int i = 0; i < 4; i++) {
            const Block *block = piece->blocks[i];
            int color = testThemeColor(block->color);
            EXPECT_EQ(getpixel(target, block->x, block->y), color);
            EXPECT_EQ(getpixel(target, block->x + 19, block->y + 19), color);
            EXPECT_EQ(getpixel(target, block->x + 10, block->y + 10), color);
        }
        destroyTetraBlock(piece);
    }
    destroy_bitmap(target);
}
