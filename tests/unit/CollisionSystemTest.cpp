// The board's rulings on moves, turns, falls and gravity, and what a landing
// does, driven through the real piece, stack and score modules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"
#include "TestAllegro.h"

// The piece the seed's next draws make: shape first, then a colour per block.
static void expectFreshPieceAtSpawn(const TestBoard &game, unsigned seed)
{
    srand(seed);
    TetraBlock *expected = newTetraBlock(rand() % 7, 320, 40);
    const TetraBlock *piece = game.board->tetraBlock;
    EXPECT_EQ(piece->type, expected->type);
    EXPECT_EQ(piece->rotation, 0);
    EXPECT_EQ(cellsOf(piece), cellsOf(expected));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(piece->blocks[i]->color, expected->blocks[i]->color) << "b" << i;
    destroyTetraBlock(expected);
}

TEST(CollisionRuling, MovesAndTurnsRefusedAtWallsAndStackChangeNothing)
{
    using Ruling = int (*)(CollisionSystem *);
    const Ruling left = collisionTetraBlockMoveLeft, right = collisionTetraBlockMoveRight;
    const Ruling turnRight = collisionTetraBlockRotateRight, turnLeft = collisionTetraBlockRotateLeft;
    struct Case {
        const char *name;
        const char *stack;
        int type, column, row;
        bool standing;
        Ruling ruling;
        int dx;
    };
    // Type 6 is a row of four, standing after one right turn that pivots on b1;
    // type 0 a bar of three over one cell at its right end.
    const Case cases[] = {
        {"left wall", "", 6, 0, 19, false, left, 0},
        {"off the left wall", "", 6, 1, 19, false, left, -20},
        {"right wall", "", 6, 12, 19, false, right, 0},
        {"off the right wall", "", 6, 11, 19, false, right, 20},
        {"stack right of the lower row only", ".......0\n", 0, 4, 18, false, right, 0},
        {"stack left of the lower row only", ".....0\n", 0, 4, 18, false, left, 0},
        {"stack only diagonal to the way", "\n.......0\n", 0, 4, 17, false, right, 20},
        {"standing in the last column", "", 6, 14, 10, true, turnRight, 0},
        {"standing in the last column", "", 6, 14, 10, true, turnLeft, 0},
        {"standing in the first column", "", 6, -1, 10, true, turnRight, 0},
        {"standing in the first column", "", 6, -1, 10, true, turnLeft, 0},
        {"lying on the floor", "", 6, 5, 19, false, turnRight, 0},
        {"lying on the floor", "", 6, 5, 19, false, turnLeft, 0},
        {"lying over a stack block under its pivot", "......0\n\n", 6, 5, 17, false, turnRight, 0},
        {"lying over a stack block under its pivot", "......0\n\n", 6, 5, 17, false, turnLeft, 0},
    };
    for (const Case &c : cases) {
        TestBoard game;
        game.stack(c.stack);
        game.setPiece(c.type, c.column, c.row);
        if (c.standing)
            tetraBlockRotateRight(game.board->tetraBlock);
        Cells before = game.pieceCells();
        int state = game.board->tetraBlock->rotation;
        EXPECT_EQ(c.ruling(game.board), c.dx != 0) << c.name;
        EXPECT_EQ(game.pieceCells(), shifted(before, c.dx, 0)) << c.name;
        EXPECT_EQ(game.board->tetraBlock->rotation, state) << c.name;
    }

    // At the spawn a turn may lift cells above the top edge.
    TestBoard game;
    game.setPiece(6, 8, 0);
    EXPECT_EQ(collisionTetraBlockRotateRight(game.board), 1);
    EXPECT_EQ(game.board->tetraBlock->blocks[0]->y, 20);
    EXPECT_EQ(collisionTetraBlockRotateLeft(game.board), 1);
    EXPECT_EQ(game.board->tetraBlock->rotation, 0);
}

TEST(CollisionLanding, BlocksJoinTheStackInOrderThenTheNextPieceSpawns)
{
    srand(4242);
    TestBoard game;
    expectFreshPieceAtSpawn(game, 4242);

    // Type 2: b0 and b1 on top, b2 and b3 one row lower and to the right.
    game.setPiece(2, 5, 15);
    game.put(5, 17, 1);
    Cells start = game.pieceCells();
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 20)) << "a free step only moves down";
    EXPECT_EQ(std::tuple(game.board->stack->count, downControl, playCount(fallBlock)), std::tuple(1, 0, 0));

    Block *pieceBlocks[4];
    std::copy(game.board->tetraBlock->blocks, game.board->tetraBlock->blocks + 4, pieceBlocks);
    srand(99);
    collisionTetraBlockFallDown(game.board);

    ASSERT_EQ(game.board->stack->count, 5);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(game.board->stack->blocks[i + 1], pieceBlocks[i]) << "slot " << i + 1;
        EXPECT_EQ(std::make_pair(pieceBlocks[i]->x, pieceBlocks[i]->y), shifted(start, 0, 20)[i]);
    }
    EXPECT_EQ(downControl, 1);
    EXPECT_EQ(playCount(fallBlock), 1);
    EXPECT_EQ(playCount(blockKilled), 0);
    EXPECT_EQ(endGame, 0);
    expectFreshPieceAtSpawn(game, 99);
}

TEST(CollisionLanding, BlockedSpawnEndsTheGameAndTheRowStillGoes)
{
    // A row of four spawns in the top row only: had the row's kill run before the
    // spawn, the blockers would already have dropped out of its way.
    unsigned seed = 1;
    for (srand(seed); rand() % 7 != 6; srand(++seed))
        ;
    TestBoard game;
    game.stack("....111111111111\n");
    Block *blockers[] = {game.put(8, 0, 2), game.put(9, 0, 3)};
    game.setPiece(6, 0, 19);
    srand(seed);
    collisionTetraBlockFallDown(game.board);

    EXPECT_EQ(game.board->tetraBlock->type, 6);
    EXPECT_EQ(endGame, 1) << "raised once, however many cells overlap";
    EXPECT_EQ(playCount(blockKilled), 1);
    EXPECT_EQ(game.board->score->points, 6);
    EXPECT_EQ(game.board->stack->count, 2);
    for (Block *blocker : blockers)
        EXPECT_EQ(blocker->y, 60);
}

TEST(CollisionLanding, GameTypeOneIsColourAndEveryOtherTypeIsRows)
{
    // A row completed by a bar of one colour: rows clear all 16, colour clears the bar.
    for (int gameType : {0, 1, 2, -1}) {
        TestBoard game(gameType);
        game.stack("....010101010101\n");
        game.setPiece(6, 0, 19, 3);
        collisionTetraBlockFallDown(game.board);
        EXPECT_EQ(game.picture(1), gameType == 1 ? "....010101010101\n" : "................\n") << gameType;
        EXPECT_EQ(game.board->score->points, 6) << gameType;
    }
}

TEST(CollisionGravity, FallsOnlyPastTheDelayAndOneStepAtATime)
{
    TestBoard game;
    game.setPiece(4, 7, 3);
    Cells start = game.pieceCells();
    // (counter at the tick, fall delay, counter after it, rows fallen by then)
    const int ticks[][4] = {{80, 80, 80, 0}, {81, 80, 0, 1}, {5000, 80, 0, 2}, {0, 0, 0, 2},
                            {1, 0, 0, 3},    {0, -1, 0, 4},  {0, -1, 0, 5}};
    for (const auto &[counter, delay, after, rows] : ticks) {
        fallingBlockTimer = counter;
        game.board->fallDelay = delay;
        updateCollision(game.board);
        EXPECT_EQ(game.pieceCells(), shifted(start, 0, 20 * rows)) << counter << " ticks, delay " << delay;
        EXPECT_EQ(fallingBlockTimer, after) << counter << " ticks, delay " << delay;
    }
    increaseFallingBlockTimer();
    EXPECT_EQ(fallingBlockTimer, 1);
}
