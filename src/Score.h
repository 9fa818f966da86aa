// The running score of one game and the two point rules; also the entry type of
// the high-score table.
#pragma once

#include <allegro.h>

struct Score {
    int points;
};

Score *newScore();
void scoreAddPoints(Score *score, int amount);
int scoreCalculateTetrisPoints(int rows);
int scoreCalculateColorPoints(int blocks);
void scoreAddTetrisPoints(Score *score, int rows);
void scoreAddColorPoints(Score *score, int blocks);
void scoreDraw(Score *score, BITMAP *target, int x, int y);
void destroyScore(Score *score);
