// Score: both point rules, how adding accumulates, and the score line drawn
// centred above the playfield.
#include <gtest/gtest.h>

#include <string>

#include "MainLoop.h"
#include "Score.h"
#include "TestAllegro.h"

TEST(TetrisPoints, MoreRowsAtOncePayMore)
{
    EXPECT_EQ(scoreCalculateTetrisPoints(0), 0);
    EXPECT_EQ(scoreCalculateTetrisPoints(1), 6);
    EXPECT_EQ(scoreCalculateTetrisPoints(2), 16);
    EXPECT_EQ(scoreCalculateTetrisPoints(3), 26);
    EXPECT_EQ(scoreCalculateTetrisPoints(4), 40);
    // Counts the board cannot produce in one check score themselves.
    EXPECT_EQ(scoreCalculateTetrisPoints(5), 5);
    EXPECT_EQ(scoreCalculateTetrisPoints(9), 9);
}

TEST(ColorPoints, AreTwoFifthsOfTheSquareRoundedDown)
{
    for (int n = 0; n <= 20; n++) {
        int expected = 2 * n * n / 5;
        EXPECT_EQ(scoreCalculateColorPoints(n), expected) << n << " blocks";
    }
    EXPECT_EQ(scoreCalculateColorPoints(1), 0);
    EXPECT_EQ(scoreCalculateColorPoints(4), 6);
    EXPECT_EQ(scoreCalculateColorPoints(8), 25);
    EXPECT_EQ(scoreCalculateColorPoints(20), 160);
}

TEST(ScoreAdd, RulesAccumulateFromZero)
{
    Score *score = newScore();
    EXPECT_EQ(score->points, 0);
    scoreAddTetrisPoints(score, 0);
    EXPECT_EQ(score->points, 0);
    scoreAddTetrisPoints(score, 4);
    EXPECT_EQ(score->points, 40);
    scoreAddTetrisPoints(score, 1);
    EXPECT_EQ(score->points, 46);
    scoreAddColorPoints(score, 1);
    EXPECT_EQ(score->points, 46);
    scoreAddColorPoints(score, 8);
    EXPECT_EQ(score->points, 71);
    scoreAddColorPoints(score, 5);
    EXPECT_EQ(score->points, 81);
    scoreAddPoints(score, 19);
    EXPECT_EQ(score->points, 100);
    destroyScore(score);
}

// Every white pixel must lie inside the box the text occupies centred on x, the
// text must reach both ends of it, and nothing else may be painted.
static void expectScoreLine(int points, const std::string &text)
{
    installTestFonts();
    BITMAP *target = create_bitmap(640, 60);
    clear_bitmap(target);
    Score *score = newScore();
    scoreAddPoints(score, points);
    scoreDraw(score, target, 320, 20);

    int width = text_length(comicSmall, text.c_str());
    int height = text_height(comicSmall);
    int left = 320 - width / 2;
    int white = makecol(255, 255, 255);
    int leftmost = 640;
    int rightmost = -1;
    for (int y = 0; y < 60; y++) {
        for (int x = 0; x < 640; x++) {
            int pixel = getpixel(target, x, y);
            bool inside = x >= left && x < left + width && y >= 20 && y < 20 + height;
            ASSERT_TRUE(pixel == 0 || pixel == white) << "painted background at " << x << "," << y;
            if (pixel == white) {
                ASSERT_TRUE(inside) << "white outside the text box at " << x << "," << y;
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
        }
    }
    EXPECT_LT(leftmost - left, 8) << text;
    EXPECT_LT(left + width - rightmost, 9) << text;
    destroyScore(score);
    destroy_bitmap(target);
}

TEST(ScoreDraw, WhiteLineCentredOnX)
{
    expectScoreLine(0, "Score: 0");
    expectScoreLine(1234567, "Score: 1234567");
    expectScoreLine(-5, "Score: -5");
}
