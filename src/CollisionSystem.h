// The board of one game: playfield, falling piece, stack and score. It rules on
// every move, lands pieces, runs the kill rules and draws the playfield.
#pragma once

#include <allegro.h>

#include "BlockArray.h"
#include "Score.h"
#include "TetraBlock.h"

struct CollisionSystem {
    int gameType;
    int x;
    int y;
    int height;
    int width;
    TetraBlock *tetraBlock;
    BlockArray *stack;
    Score *score;
    int fallDelay;
};

CollisionSystem *newCollisionSystem(int gameType, int x, int y, int width, int height);
void destroyCollision(CollisionSystem *board);
void increaseFallingBlockTimer();
void updateCollision(CollisionSystem *board);

void collisionTetraBlockFallDown(CollisionSystem *board);
int collisionTetraBlockMoveLeft(CollisionSystem *board);
int collisionTetraBlockMoveRight(CollisionSystem *board);
int collisionTetraBlockRotateRight(CollisionSystem *board);
int collisionTetraBlockRotateLeft(CollisionSystem *board);
void collisionNewTetraBlock(CollisionSystem *board);
int collisionIsTetraBlockCollision(CollisionSystem *board);
int collisionBlockCanFallDown(CollisionSystem *board, Block *block);
int collisionBlockCanMoveLeft(CollisionSystem *board, Block *block);
int collisionBlockCanMoveRight(CollisionSystem *board, Block *block);
void collisionStackAddTetraBlock(CollisionSystem *board, TetraBlock *piece);
void collisionStackAddBlock(CollisionSystem *board, Block *block);
void collisionStackRemoveBlock(CollisionSystem *board, Block *block);

void collisionTetrisCheckForKill(CollisionSystem *board, Score *score);
void collisionTetrisKillBlocks(CollisionSystem *board, int y);
void collisionUpdateBlocksAfterKill(CollisionSystem *board, int y);
void collisionBlocksOnYGoDown(CollisionSystem *board, int y);
void collisionColorCheckForKill(CollisionSystem *board, Score *score);
Block *collisionGetColorDeadBlock(CollisionSystem *board);
void collisionColorKillBlocks(CollisionSystem *board, Block *block, int *counter);
int blockIsNear(Block *a, Block *b);

void collisionDrawAll(BITMAP *target, CollisionSystem *board);
