// The board's rulings on moves, turns, falls and gravity, and what a landing
// does, driven through the real piece, stack and score modules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"
#include "TestAllegro.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

struct Board {
    CollisionSystem *board;

    explicit Board(int gameType = 0)
    {
        installTestTheme();
        static SAMPLE *fall = create_sample(8, 0, 22050, 100);
        static SAMPLE *killed = create_sample(8, 0, 22050, 100);
        fallBlock = fall;
        blockKilled = killed;
        soundOn = 1;
        endGame = 0;
        downControl = 0;
        fallingBlockTimer = 0;
        resetPlayCounts();
        board = newCollisionSystem(gameType, 160, 40, 320, 400);
    }
    ~Board() { destroyCollision(board); }

    void setPiece(int type, int x, int y)
    {
        destroyTetraBlock(board->tetraBlock);
        board->tetraBlock = newTetraBlock(type, x, y);
    }
    Block *landed(int x, int y, int color = 0)
    {
        Block *block = newBlock(static_cast<RLE_SPRITE *>(allData[color].dat), x, y, color);
        collisionStackAddBlock(board, block);
        return block;
    }
    Cells pieceCells() const
    {
        Cells cells;
        for (int i = 0; i < 4; i++)
            cells.emplace_back(board->tetraBlock->blocks[i]->x, board->tetraBlock->blocks[i]->y);
        return cells;
    }
};

void paint(Block *block, int color)
{
    block->color = color;
    block->image = static_cast<RLE_SPRITE *>(allData[color].dat);
}

Cells shifted(const Cells &cells, int dx, int dy)
{
    Cells moved;
    for (auto [x, y] : cells)
        moved.emplace_back(x + dx, y + dy);
    return moved;
}

// The first seed from 1 up whose first rand() % 7 is the wanted shape.
unsigned seedForShape(int shape)
{
    for (unsigned seed = 1;; seed++) {
        srand(seed);
        if (rand() % 7 == shape)
            return seed;
    }
}

} // namespace

TEST(CollisionBoard, NewBoardStartsEmptyWithPieceAtTheSpawnPoint)
{
    installTestTheme();
    srand(4242);
    int shape = rand() % 7;
    int colors[4];
    for (int &color : colors)
        color = rand() % 4;

    srand(4242);
    Board game(1);
    CollisionSystem *board = game.board;
    EXPECT_EQ(board->gameType, 1);
    EXPECT_EQ(board->x, 160);
    EXPECT_EQ(board->y, 40);
    EXPECT_EQ(board->width, 320);
    EXPECT_EQ(board->height, 400);
    EXPECT_EQ(board->fallDelay, 80);
    EXPECT_EQ(board->stack->count, 0);
    EXPECT_EQ(board->score->points, 0);
    ASSERT_NE(board->tetraBlock, nullptr);
    EXPECT_EQ(board->tetraBlock->type, shape);
    EXPECT_EQ(board->tetraBlock->rotation, 0);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(board->tetraBlock->blocks[i]->color, colors[i]) << "block " << i;

    TetraBlock *reference = newTetraBlock(shape, 320, 40);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(board->tetraBlock->blocks[i]->x, reference->blocks[i]->x);
        EXPECT_EQ(board->tetraBlock->blocks[i]->y, reference->blocks[i]->y);
    }
    destroyTetraBlock(reference);
}

TEST(CollisionPiece, CountsEveryOverlapAndLeavesTheTopOpen)
{
    Board game;
    game.setPiece(6, 240, 200);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 0);

    game.landed(260, 200);
    game.landed(280, 200);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 2);

    game.setPiece(6, 140, 420);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 1) << "one cell left of the playfield";
    game.setPiece(6, 440, 420);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 2) << "two cells right of the playfield";
    game.setPiece(6, 240, 440);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 4) << "below the floor";
    game.setPiece(6, 240, 0);
    EXPECT_EQ(collisionIsTetraBlockCollision(game.board), 0) << "above the top is inside";
}

TEST(CollisionMove, RefusedAtWallsAndStackWithoutMovingAnything)
{
    Board game;
    game.setPiece(6, 160, 200);
    Cells before = game.pieceCells();
    EXPECT_EQ(collisionTetraBlockMoveLeft(game.board), 0);
    EXPECT_EQ(game.pieceCells(), before);
    EXPECT_EQ(collisionTetraBlockMoveRight(game.board), 1);
    EXPECT_EQ(game.pieceCells(), shifted(before, 20, 0));

    game.setPiece(6, 400, 200);
    before = game.pieceCells();
    EXPECT_EQ(collisionTetraBlockMoveRight(game.board), 0) << "a cell at x = 460";
    EXPECT_EQ(game.pieceCells(), before);
    EXPECT_EQ(collisionTetraBlockMoveLeft(game.board), 1);
    EXPECT_EQ(game.pieceCells(), shifted(before, -20, 0));

    // Type 0 is a bar of three over one cell at its right end; block only that lower row.
    game.setPiece(0, 240, 200);
    before = game.pieceCells();
    game.landed(300, 220);
    game.landed(260, 220);
    EXPECT_EQ(collisionTetraBlockMoveRight(game.board), 0);
    EXPECT_EQ(game.pieceCells(), before);
    EXPECT_EQ(collisionTetraBlockMoveLeft(game.board), 0);
    EXPECT_EQ(game.pieceCells(), before);

    // A stack block diagonally next to the piece does not stop it.
    game.setPiece(0, 240, 300);
    game.landed(320, 340);
    EXPECT_EQ(collisionTetraBlockMoveRight(game.board), 1);
}

TEST(CollisionRotate, RefusedTurnsLeaveExactCellsAndState)
{
    Board game;
    auto expectRefused = [&](int (*turn)(CollisionSystem *), const char *what) {
        Cells before = game.pieceCells();
        int rotation = game.board->tetraBlock->rotation;
        EXPECT_EQ(turn(game.board), 0) << what;
        EXPECT_EQ(game.pieceCells(), before) << what;
        EXPECT_EQ(game.board->tetraBlock->rotation, rotation) << what;
    };

    // A standing bar of four in the last column would stick out at x = 480 either way.
    game.setPiece(6, 440, 200);
    ASSERT_EQ(collisionTetraBlockRotateRight(game.board), 1);
    ASSERT_EQ(game.board->tetraBlock->blocks[0]->x, 460);
    expectRefused(collisionTetraBlockRotateRight, "right wall, turning right");
    expectRefused(collisionTetraBlockRotateLeft, "right wall, turning left");

    // Standing in the first column, a right turn would reach x = 140.
    game.setPiece(6, 160, 200);
    ASSERT_EQ(collisionTetraBlockRotateRight(game.board), 1);
    ASSERT_EQ(collisionTetraBlockMoveLeft(game.board), 1);
    ASSERT_EQ(game.board->tetraBlock->blocks[0]->x, 160);
    expectRefused(collisionTetraBlockRotateRight, "left wall");

    game.setPiece(6, 240, 420);
    expectRefused(collisionTetraBlockRotateRight, "floor, turning right");
    expectRefused(collisionTetraBlockRotateLeft, "floor, turning left");

    game.setPiece(6, 240, 200);
    game.landed(260, 220);
    expectRefused(collisionTetraBlockRotateRight, "stack under the pivot, turning right");
    expectRefused(collisionTetraBlockRotateLeft, "stack under the pivot, turning left");

    // A bar at the spawn may stand up partly above the top edge.
    game.setPiece(6, 320, 40);
    EXPECT_EQ(collisionTetraBlockRotateRight(game.board), 1);
    EXPECT_EQ(game.board->tetraBlock->rotation, 1);
    EXPECT_EQ(game.board->tetraBlock->blocks[0]->y, 20);
    EXPECT_EQ(collisionTetraBlockRotateLeft(game.board), 1);
    EXPECT_EQ(game.board->tetraBlock->rotation, 0);
}

TEST(CollisionFall, FreeStepOnlyMovesDownAndOneStackBlockBelowLands)
{
    Board game;
    game.setPiece(2, 240, 300);
    Cells before = game.pieceCells();
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(before, 0, 20));
    EXPECT_EQ(game.board->stack->count, 0);
    EXPECT_EQ(downControl, 0);
    EXPECT_EQ(playCount(fallBlock), 0);

    // Only the upper-left cell has something under it.
    game.landed(240, 340);
    before = game.pieceCells();
    collisionTetraBlockFallDown(game.board);
    ASSERT_EQ(game.board->stack->count, 5);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(game.board->stack->blocks[i + 1]->x, before[i].first);
        EXPECT_EQ(game.board->stack->blocks[i + 1]->y, before[i].second);
    }
    EXPECT_EQ(playCount(fallBlock), 1);
}

TEST(CollisionLanding, BlocksJoinTheStackInOrderThenTheNextPieceSpawns)
{
    Board game;
    game.setPiece(1, 200, 400);
    Block *pieceBlocks[4];
    Cells landedCells = game.pieceCells();
    for (int i = 0; i < 4; i++)
        pieceBlocks[i] = game.board->tetraBlock->blocks[i];
    ASSERT_EQ(landedCells[0].second, 420) << "type 1 hangs its first block under the bar";

    srand(99);
    int shape = rand() % 7;
    int colors[4];
    for (int &color : colors)
        color = rand() % 4;
    srand(99);

    collisionTetraBlockFallDown(game.board);

    EXPECT_EQ(downControl, 1);
    ASSERT_EQ(game.board->stack->count, 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(game.board->stack->blocks[i], pieceBlocks[i]) << "slot " << i;
        EXPECT_EQ(game.board->stack->blocks[i]->x, landedCells[i].first);
        EXPECT_EQ(game.board->stack->blocks[i]->y, landedCells[i].second);
    }
    EXPECT_EQ(playCount(fallBlock), 1);
    EXPECT_EQ(playCount(blockKilled), 0);
    EXPECT_EQ(endGame, 0);

    EXPECT_EQ(game.board->tetraBlock->type, shape);
    EXPECT_EQ(game.board->tetraBlock->rotation, 0);
    TetraBlock *reference = newTetraBlock(shape, 320, 40);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(game.board->tetraBlock->blocks[i]->x, reference->blocks[i]->x);
        EXPECT_EQ(game.board->tetraBlock->blocks[i]->y, reference->blocks[i]->y);
        EXPECT_EQ(game.board->tetraBlock->blocks[i]->color, colors[i]);
    }
    destroyTetraBlock(reference);
}

TEST(CollisionLanding, BlockedSpawnEndsTheGameAndTheRowStillGoes)
{
    // A flat bar spawns in the top row only: had the row's kill run before the
    // spawn, the blockers would already have dropped out of its way.
    unsigned seed = seedForShape(6);
    Board game;
    for (int x = 240; x < 480; x += 20)
        game.landed(x, 420, 1);
    Block *blockerA = game.landed(320, 40, 2);
    Block *blockerB = game.landed(340, 40, 3);
    game.setPiece(6, 160, 420);

    srand(seed);
    collisionTetraBlockFallDown(game.board);

    EXPECT_EQ(game.board->tetraBlock->type, 6);
    EXPECT_EQ(endGame, 1) << "raised once, however many cells overlap";
    EXPECT_EQ(playCount(blockKilled), 1);
    EXPECT_EQ(game.board->score->points, 6);
    ASSERT_EQ(game.board->stack->count, 2);
    EXPECT_EQ(blockerA->y, 60);
    EXPECT_EQ(blockerB->y, 60);
}

TEST(CollisionLanding, GameTypeOneIsColourAndEveryOtherTypeIsRows)
{
    // A row completed by a bar of one colour: rows clear all 16, colour clears the bar.
    for (int gameType : {0, 1, 2, -1}) {
        Board game(gameType);
        for (int x = 240; x < 480; x += 20)
            game.landed(x, 420, (x / 20) % 2);
        game.setPiece(6, 160, 420);
        for (int i = 0; i < 4; i++)
            paint(game.board->tetraBlock->blocks[i], 3);

        collisionTetraBlockFallDown(game.board);

        int expectedLeft = gameType == 1 ? 12 : 0;
        EXPECT_EQ(game.board->stack->count, expectedLeft) << "game type " << gameType;
        EXPECT_EQ(game.board->score->points, 6) << "game type " << gameType;
        if (gameType == 1) {
            for (int i = 0; i < game.board->stack->count; i++)
                EXPECT_GE(game.board->stack->blocks[i]->x, 240);
        }
    }
}

TEST(CollisionGravity, FallsOnlyPastTheDelayAndOneStepAtATime)
{
    Board game;
    game.setPiece(4, 300, 100);
    Cells start = game.pieceCells();

    fallingBlockTimer = 80;
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), start);
    EXPECT_EQ(fallingBlockTimer, 80) << "no fall leaves the counter running";

    increaseFallingBlockTimer();
    EXPECT_EQ(fallingBlockTimer, 81);
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 20));
    EXPECT_EQ(fallingBlockTimer, 0);

    fallingBlockTimer = 5000;
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 40)) << "one step however long the wait";
    EXPECT_EQ(fallingBlockTimer, 0);

    game.board->fallDelay = 0;
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 40));
    fallingBlockTimer = 1;
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 60));

    game.board->fallDelay = -1;
    updateCollision(game.board);
    updateCollision(game.board);
    EXPECT_EQ(game.pieceCells(), shifted(start, 0, 100)) << "below zero it falls every call";
}
