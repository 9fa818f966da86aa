// Score: the point rules of both game types.
#include <gtest/gtest.h>

#include "Score.h"

TEST(TetrisPoints, MoreRowsAtOncePayMore)
{
    // Counts the board cannot produce in one check score themselves.
    const int points[][2] = {{0, 0}, {1, 6}, {2, 16}, {3, 26}, {4, 40}, {5, 5}, {9, 9}};
    for (const auto &[rows, expected] : points)
        EXPECT_EQ(scoreCalculateTetrisPoints(rows), expected) << rows << " rows";
}

TEST(ColorPoints, AreTwoFifthsOfTheSquareRoundedDown)
{
    const int points[][2] = {{0, 0}, {1, 0}, {4, 6}, {5, 10}, {6, 14}, {8, 25}, {11, 48}, {20, 160}};
    for (const auto &[blocks, expected] : points)
        EXPECT_EQ(scoreCalculateColorPoints(blocks), expected) << blocks << " blocks";
}
