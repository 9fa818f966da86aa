// The falling piece: four blocks in one of seven shapes, turned through four fixed
// rotation states. It checks nothing against the board.
#pragma once

#include "Block.h"

struct TetraBlock {
    Block **blocks;
    int type;
    int rotation;
};

TetraBlock *newTetraBlock(int type, int x, int y);
TetraBlock *newTetraBlockType1(int x, int y);
TetraBlock *newTetraBlockType2(int x, int y);
TetraBlock *newTetraBlockType3(int x, int y);
TetraBlock *newTetraBlockType4(int x, int y);
TetraBlock *newTetraBlockType5(int x, int y);
TetraBlock *newTetraBlockType6(int x, int y);
TetraBlock *newTetraBlockType7(int x, int y);
void tetraBlockRotateRight(TetraBlock *piece);
void tetraType1RotateRight(TetraBlock *piece);
void tetraType2RotateRight(TetraBlock *piece);
void tetraType3RotateRight(TetraBlock *piece);
void tetraType4RotateRight(TetraBlock *piece);
void tetraType5RotateRight(TetraBlock *piece);
void tetraType6RotateRight(TetraBlock *piece);
void tetraType7RotateRight(TetraBlock *piece);
void tetraBlockRotateLeft(TetraBlock *piece);
void tetraBlockMoveDown(TetraBlock *piece);
void tetraBlockMoveLeft(TetraBlock *piece);
void tetraBlockMoveRight(TetraBlock *piece);
void tetraBlockDraw(BITMAP *target, TetraBlock *piece);
void destroyTetraBlock(TetraBlock *piece);
