// The two kill rules on stacks drawn as pictures: full rows with the settling
// above them, and colour groups that hold a straight line of four.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "CollisionSystem.h"
#include "Sound.h"
#include "TestAllegro.h"

// Each line of the picture is a row of the stack before the check and, beside it,
// the same row after it; a row that does not change is written once. Runs the
// game type's check and compares what is left, the kill sounds, the speed-up
// and the points.
static void expectKill(int gameType, const char *name, const std::string &picture, int kills, int points)
{
    std::istringstream lines(picture);
    std::string before;
    std::string after;
    int rows = 0;
    for (std::string line; std::getline(lines, line); rows++) {
        std::istringstream halves(line);
        std::string was;
        std::string now;
        halves >> was >> now;
        before += was + "\n";
        after += (now.empty() ? was : now) + "\n";
    }
    TestBoard game(gameType);
    game.stack(before);
    if (gameType == 1)
        collisionColorCheckForKill(game.board, game.board->score);
    else
        collisionTetrisCheckForKill(game.board, game.board->score);
    EXPECT_EQ(game.picture(rows, before.find('\n')), after) << name;
    EXPECT_EQ(playCount(blockKilled), kills) << name;
    EXPECT_EQ(game.board->fallDelay, 80 - kills) << name;
    EXPECT_EQ(game.board->score->points, points) << name;
}

TEST(TetrisKill, FullRowsGoAndEverythingAboveDropsOneRowForEach)
{
    expectKill(0, "one row, a block over a two-row gap",
               "..3.............  ................\n"
               "................  ..3.............\n"
               "3..3............  ................\n"
               "0101010101010101  3..3............\n", 1, 6);
    expectKill(0, "rows 17 and 19 with row 18 open between",
               ".3.3...3........  ................\n"
               "0101010101010101  ................\n"
               "2..22....2.....2  .3.3...3........\n"
               "0101010101010101  2..22....2.....2\n", 2, 16);
    expectKill(0, "four rows at once",
               "..1.............  ................\n"
               "..3.............  ................\n"
               "0101010101010101  ................\n"
               "0101010101010101  ................\n"
               "0101010101010101  ..1.............\n"
               "0101010101010101  ..3.............\n", 4, 40);
    expectKill(0, "rows of fifteen stay",
               "....1...........\n"
               ".101010101010101\n"
               "0101010.01010101\n", 0, 0);
}

TEST(ColorKill, LineOfFourAcrossOrDownTakesItsWholeGroup)
{
    expectKill(1, "across, its colour touching both ends diagonally",
               ".2....2.  .2....2.\n"
               ".122221.  .1....1.\n"
               ".2....2.  .2....2.\n", 1, 6);
    expectKill(1, "down",
               "30  .0\n"
               "31  .1\n"
               "30  .0\n"
               "31  .1\n", 1, 6);
    expectKill(1, "six: the line and two standing on it",
               "....2.\n"
               "23.2..  .3....\n"
               "2222..  ......\n", 1, 14);
    expectKill(1, "a ring of eleven, taken through every turn",
               "..1111  ......\n"
               "..12.1  ...2..\n"
               "1111.1  ......\n", 1, 48);
    expectKill(1, "blocks resting on the group stay floating",
               "..1...\n"
               ".0....\n"
               "2222..  ......\n", 1, 6);
}

TEST(ColorKill, DiagonalsSquaresAndShortLinesSurvive)
{
    // A diagonal of four, a 3 x 3 square, a square with a fifth in line, an L with arms of three.
    expectKill(1, "shapes without a straight four",
               "3...............\n"
               ".3...222.....1..\n"
               "..3..222.33..1..\n"
               "...3.222.333.111\n", 0, 0);
    expectKill(1, "a line of four broken by a gap, and lines of three with a fourth of another colour",
               "..3.....0001\n"
               "33.33...2223\n", 0, 0);
}

TEST(ColorKill, GroupsOfOneLandingScoreAsOne)
{
    expectKill(1, "two groups of four: 8 blocks together, not 6 + 6",
               "1.....  ......\n"
               "1.....  ......\n"
               "1.....  ......\n"
               "1.0000  ......\n", 2, 25);
}
