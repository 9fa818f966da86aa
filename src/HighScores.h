// The ten best scores, kept in "highscore.dat" in the current directory as ten
// little-endian 32-bit values, best first.
#pragma once

#include "Score.h"

struct HighScore {
    Score **scores;
};

HighScore *newHighScore();
void highScoreLoad(HighScore *table);
void highScoreSave(HighScore *table);
void highScoreAddToPos(HighScore *table, Score *score, int position);
int highScoreAdd(HighScore *table, Score *score);
int highScoreSaveToDisk(Score *score);
void destroyHighScore(HighScore *table);
