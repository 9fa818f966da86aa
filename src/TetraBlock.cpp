// The falling piece: seven shapes, each turning through four fixed rotation states.
// Every turn is undone exactly by its opposite, which the board relies on.
#include "TetraBlock.h"

#include <cstdlib>

static const int cellSize = 20;
static const int blockCount = 4;
static const int stateCount = 4;

// Offsets in whole cells: c to the right, r downwards.
struct CellStep {
    int c;
    int r;
};

// Each row is the step of b0 to b3 that leads out of one rotation state into the next.
static const CellStep type1Turns[stateCount][blockCount] = {
    {{1, -1}, {0, 0}, {-1, 1}, {-2, 0}},
    {{1, 1}, {0, 0}, {-1, -1}, {0, -2}},
    {{-1, 1}, {0, 0}, {1, -1}, {2, 0}},
    {{-1, -1}, {0, 0}, {1, 1}, {0, 2}},
};
static const CellStep type2Turns[stateCount][blockCount] = {
    {{0, -2}, {1, -1}, {0, 0}, {-1, 1}},
    {{2, 0}, {1, 1}, {0, 0}, {-1, -1}},
    {{0, 2}, {-1, 1}, {0, 0}, {1, -1}},
    {{-2, 0}, {-1, -1}, {0, 0}, {1, 1}},
};
static const CellStep type3Turns[stateCount][blockCount] = {
    {{1, -1}, {0, 0}, {-1, -1}, {-2, 0}},
    {{1, 1}, {0, 0}, {1, -1}, {0, -2}},
    {{-1, 1}, {0, 0}, {1, 1}, {2, 0}},
    {{-1, -1}, {0, 0}, {-1, 1}, {0, 2}},
};
static const CellStep type4Turns[stateCount][blockCount] = {
    {{1, -1}, {0, 0}, {1, 1}, {0, 2}},
    {{1, 1}, {0, 0}, {-1, 1}, {-2, 0}},
    {{-1, 1}, {0, 0}, {-1, -1}, {0, -2}},
    {{-1, -1}, {0, 0}, {1, -1}, {2, 0}},
};
// The square has no pivot block: every block moves on to the next corner.
static const CellStep type5Turns[stateCount][blockCount] = {
    {{1, 0}, {0, 1}, {-1, 0}, {0, -1}},
    {{0, 1}, {-1, 0}, {0, -1}, {1, 0}},
    {{-1, 0}, {0, -1}, {1, 0}, {0, 1}},
    {{0, -1}, {1, 0}, {0, 1}, {-1, 0}},
};
static const CellStep type6Turns[stateCount][blockCount] = {
    {{1, -1}, {0, 0}, {-1, -1}, {-1, 1}},
    {{1, 1}, {0, 0}, {1, -1}, {-1, -1}},
    {{-1, 1}, {0, 0}, {1, 1}, {1, -1}},
    {{-1, -1}, {0, 0}, {-1, 1}, {1, 1}},
};
static const CellStep type7Turns[stateCount][blockCount] = {
    {{1, -1}, {0, 0}, {-1, 1}, {-2, 2}},
    {{1, 1}, {0, 0}, {-1, -1}, {-2, -2}},
    {{-1, 1}, {0, 0}, {1, -1}, {2, -2}},
    {{-1, -1}, {0, 0}, {1, 1}, {2, 2}},
};

static TetraBlock *tetraBlockCreate(int type, int x, int y, const CellStep shape[blockCount]);
static void tetraBlockTurnRight(TetraBlock *piece, const CellStep turns[stateCount][blockCount]);

TetraBlock *newTetraBlock(int type, int x, int y)
{
    switch (type) {
    case 0:
        return newTetraBlockType1(x, y);
    case 1:
        return newTetraBlockType2(x, y);
    case 2:
        return newTetraBlockType3(x, y);
    case 3:
        return newTetraBlockType4(x, y);
    case 4:
        return newTetraBlockType5(x, y);
    case 5:
        return newTetraBlockType6(x, y);
    case 6:
        return newTetraBlockType7(x, y);
    default:
        return nullptr;
    }
}

TetraBlock *newTetraBlockType1(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}};
    return tetraBlockCreate(0, x, y, shape);
}

TetraBlock *newTetraBlockType2(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 1}, {0, 0}, {1, 0}, {2, 0}};
    return tetraBlockCreate(1, x, y, shape);
}

TetraBlock *newTetraBlockType3(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 0}, {1, 0}, {1, 1}, {2, 1}};
    return tetraBlockCreate(2, x, y, shape);
}

TetraBlock *newTetraBlockType4(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 1}, {1, 1}, {1, 0}, {2, 0}};
    return tetraBlockCreate(3, x, y, shape);
}

TetraBlock *newTetraBlockType5(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    return tetraBlockCreate(4, x, y, shape);
}

TetraBlock *newTetraBlockType6(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 0}, {1, 0}, {1, 1}, {2, 0}};
    return tetraBlockCreate(5, x, y, shape);
}

TetraBlock *newTetraBlockType7(int x, int y)
{
    static const CellStep shape[blockCount] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
    return tetraBlockCreate(6, x, y, shape);
}

void tetraBlockRotateRight(TetraBlock *piece)
{
    switch (piece->type) {
    case 0:
        tetraType1RotateRight(piece);
        break;
    case 1:
        tetraType2RotateRight(piece);
        break;
    case 2:
        tetraType3RotateRight(piece);
        break;
    case 3:
        tetraType4RotateRight(piece);
        break;
    case 4:
        tetraType5RotateRight(piece);
        break;
    case 5:
        tetraType6RotateRight(piece);
        break;
    case 6:
        tetraType7RotateRight(piece);
        break;
    default:
        break;
    }
}

void tetraType1RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type1Turns);
}

void tetraType2RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type2Turns);
}

void tetraType3RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type3Turns);
}

void tetraType4RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type4Turns);
}

void tetraType5RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type5Turns);
}

void tetraType6RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type6Turns);
}

void tetraType7RotateRight(TetraBlock *piece)
{
    tetraBlockTurnRight(piece, type7Turns);
}

// The step out of state s + 1 is the step into state s reversed, so borrowing it
// from the right turn lands exactly on state s - 1.
void tetraBlockRotateLeft(TetraBlock *piece)
{
    int state = piece->rotation;
    if (state < 0 || state >= stateCount)
        return;
    piece->rotation = (state + 1) % stateCount;
    tetraBlockRotateRight(piece);
    piece->rotation = (state + 3) % stateCount;
}

void tetraBlockMoveDown(TetraBlock *piece)
{
    for (int i = 0; i < blockCount; i++)
        blockMoveDown(piece->blocks[i]);
}

void tetraBlockMoveLeft(TetraBlock *piece)
{
    for (int i = 0; i < blockCount; i++)
        blockMoveLeft(piece->blocks[i]);
}

void tetraBlockMoveRight(TetraBlock *piece)
{
    for (int i = 0; i < blockCount; i++)
        blockMoveRight(piece->blocks[i]);
}

void tetraBlockDraw(BITMAP *target, TetraBlock *piece)
{
    for (int i = 0; i < blockCount; i++)
        blockDraw(target, piece->blocks[i]);
}

void destroyTetraBlock(TetraBlock *piece)
{
    for (int i = 0; i < blockCount; i++)
        destroyBlock(piece->blocks[i]);
    free(piece->blocks);
    free(piece);
}

// Blocks are made in order b0 to b3 so their random colours are drawn in that order.
static TetraBlock *tetraBlockCreate(int type, int x, int y, const CellStep shape[blockCount])
{
    TetraBlock *piece = static_cast<TetraBlock *>(malloc(sizeof(TetraBlock)));
    piece->type = type;
    piece->rotation = 0;
    piece->blocks = static_cast<Block **>(malloc(blockCount * sizeof(Block *)));
    for (int i = 0; i < blockCount; i++)
        piece->blocks[i] = newBlockDefault(x + cellSize * shape[i].c, y + cellSize * shape[i].r);
    return piece;
}

static void tetraBlockTurnRight(TetraBlock *piece, const CellStep turns[stateCount][blockCount])
{
    int state = piece->rotation;
    if (state < 0 || state >= stateCount)
        return;
    for (int i = 0; i < blockCount; i++) {
        piece->blocks[i]->x += cellSize * turns[state][i].c;
        piece->blocks[i]->y += cellSize * turns[state][i].r;
    }
    piece->rotation = (state + 1) % stateCount;
}
