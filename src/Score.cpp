// The running score of one game: the point rules of both game types and the
// score line drawn above the playfield.
#include "Score.h"

#include <cmath>
#include <cstdlib>

#include "MainLoop.h"

Score *newScore()
{
    Score *score = static_cast<Score *>(malloc(sizeof(Score)));
    score->points = 0;
    return score;
}

void scoreAddPoints(Score *score, int amount)
{
    score->points += amount;
}

// Clearing several rows at once pays more than clearing them one by one.
int scoreCalculateTetrisPoints(int rows)
{
    switch (rows) {
    case 1:
        return 6;
    case 2:
        return 16;
    case 3:
        return 26;
    case 4:
        return 40;
    default:
        return rows;
    }
}

// Squaring the count rewards removing many blocks in one check over several small kills.
int scoreCalculateColorPoints(int blocks)
{
    int square = static_cast<int>(pow(blocks, 2.0));
    return 2 * square / 5;
}

void scoreAddTetrisPoints(Score *score, int rows)
{
    scoreAddPoints(score, scoreCalculateTetrisPoints(rows));
}

void scoreAddColorPoints(Score *score, int blocks)
{
    scoreAddPoints(score, scoreCalculateColorPoints(blocks));
}

void scoreDraw(Score *score, BITMAP *target, int x, int y)
{
    textprintf_centre_ex(target, comicSmall, x, y, makecol(255, 255, 255), -1, "Score: %i", score->points);
}

void destroyScore(Score *score)
{
    free(score);
}
