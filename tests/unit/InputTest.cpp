// In-game keys over a real board: the live key table in, piece moves out, with the
// repeat countdowns and the fall key's release rule.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"
#include "TestAllegro.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestTheme();
        srand(7);
        mainCollision = newCollisionSystem(0, 160, 40, 320, 400);
        for (int i = 0; i < KEY_MAX; i++)
            key[i] = 0;
        movingTimer = rotatingTimer = downControl = 0;
        endGame = 0;
    }

    void TearDown() override
    {
        destroyCollision(mainCollision);
        mainCollision = nullptr;
        for (int i = 0; i < KEY_MAX; i++)
            key[i] = 0;
        inputMoveLeft = KEY_LEFT;
        endGame = 0;
    }

    int pieceX() { return mainCollision->tetraBlock->blocks[0]->x; }
    int pieceY() { return mainCollision->tetraBlock->blocks[0]->y; }

    // Runs ticks with the key held and records on which ticks the piece moved sideways.
    std::vector<int> ticksThatMoved(int code, int ticks)
    {
        std::vector<int> moved;
        key[code] = 1;
        for (int tick = 1; tick <= ticks; tick++) {
            int before = pieceX();
            input();
            if (pieceX() != before)
                moved.push_back(tick);
        }
        key[code] = 0;
        return moved;
    }
};

TEST_F(InputTest, HeldSidewaysKeyMovesAtOnceThenEveryFifthTick)
{
    EXPECT_EQ(ticksThatMoved(KEY_LEFT, 11), (std::vector<int>{1, 6, 11}));
    EXPECT_EQ(ticksThatMoved(KEY_RIGHT, 11), (std::vector<int>{5, 10}));
}

TEST_F(InputTest, BlockedMoveIsTriedEveryTickAndLeavesNoCountdown)
{
    while (collisionTetraBlockMoveLeft(mainCollision))
        ;
    int wallX = pieceX();
    key[KEY_LEFT] = 1;
    for (int tick = 0; tick < 3; tick++)
        input();
    EXPECT_EQ(pieceX(), wallX);
    EXPECT_EQ(movingTimer, 0);

    key[KEY_LEFT] = 0;
    key[KEY_RIGHT] = 1;
    input();
    EXPECT_EQ(pieceX(), wallX + 20);
}

TEST_F(InputTest, RightWinsWhenBothSidewaysKeysAreHeld)
{
    int start = pieceX();
    key[KEY_LEFT] = key[KEY_RIGHT] = 1;
    input();
    EXPECT_EQ(pieceX(), start + 20);
}

TEST_F(InputTest, TapInOtherDirectionWaitsForTheCountdown)
{
    int start = pieceX();
    key[KEY_RIGHT] = 1;
    input();
    key[KEY_RIGHT] = 0;
    key[KEY_LEFT] = 1;
    for (int tick = 0; tick < 4; tick++)
        input();
    EXPECT_EQ(pieceX(), start + 20);
    input();
    EXPECT_EQ(pieceX(), start);
}

TEST_F(InputTest, HeldTurnKeyTurnsEveryTenthTick)
{
    key[KEY_X] = 1;
    int turns = 0;
    for (int tick = 1; tick <= 21; tick++) {
        int before = mainCollision->tetraBlock->rotation;
        input();
        if (mainCollision->tetraBlock->rotation != before)
            turns++;
    }
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(rotatingTimer, 10);
}

TEST_F(InputTest, HeldFallKeyDropsEveryTickButNotTheNextPiece)
{
    int startY = pieceY();
    key[KEY_DOWN] = 1;
    input();
    input();
    EXPECT_EQ(pieceY(), startY + 40);

    for (int tick = 0; tick < 40 && mainCollision->stack->count == 0; tick++)
        input();
    ASSERT_EQ(mainCollision->stack->count, 4) << "the piece should have landed";
    EXPECT_EQ(downControl, 1);
    int spawnY = pieceY();
    input();
    EXPECT_EQ(pieceY(), spawnY) << "a held fall key must not drop the next piece";

    key[KEY_DOWN] = 0;
    input();
    EXPECT_EQ(downControl, 0);
    key[KEY_DOWN] = 1;
    input();
    EXPECT_EQ(pieceY(), spawnY + 20);
}

TEST_F(InputTest, EscapeEndsTheGame)
{
    key[KEY_ESC] = 1;
    input();
    EXPECT_NE(endGame, 0);
}

TEST_F(InputTest, ReboundKeyReplacesTheDefault)
{
    inputMoveLeft = KEY_A;
    int start = pieceX();
    key[KEY_LEFT] = 1;
    input();
    EXPECT_EQ(pieceX(), start);
    key[KEY_LEFT] = 0;
    key[KEY_A] = 1;
    input();
    EXPECT_EQ(pieceX(), start - 20);
}

} // namespace
