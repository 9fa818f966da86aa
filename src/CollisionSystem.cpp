// The board of one game: rules on every move of the piece, lands it, spawns the
// next one, runs the kill rule of the game type and draws the playfield.
#include "CollisionSystem.h"

#include <cstdlib>

#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"

static const int cellSize = 20;
static const int startingFallDelay = 80;
static const int shapeCount = 7;
// A colour line is the dead block and this many of its colour straight before it.
static const int colorLineBefore = 3;

static Block *collisionStackBlockAt(CollisionSystem *board, int x, int y);
static int collisionCountBlocksOnRow(CollisionSystem *board, int y);

CollisionSystem *newCollisionSystem(int gameType, int x, int y, int width, int height)
{
    CollisionSystem *board = static_cast<CollisionSystem *>(malloc(sizeof(CollisionSystem)));
    board->gameType = gameType;
    board->x = x;
    board->y = y;
    board->width = width;
    board->height = height;
    board->stack = newBlockArray();
    board->score = newScore();
    board->tetraBlock = newTetraBlock(rand() % shapeCount, x + width / 2, y);
    board->fallDelay = startingFallDelay;
    return board;
}

void destroyCollision(CollisionSystem *board)
{
    destroyScore(board->score);
    destroyTetraBlock(board->tetraBlock);
    destroyBlockArray(board->stack);
    free(board);
}

void increaseFallingBlockTimer()
{
    fallingBlockTimer++;
}

void updateCollision(CollisionSystem *board)
{
    if (fallingBlockTimer > board->fallDelay) {
        collisionTetraBlockFallDown(board);
        // However long the timer ran (a pause, a slow frame), gravity moves one cell.
        fallingBlockTimer = 0;
    }
}

void collisionTetraBlockFallDown(CollisionSystem *board)
{
    int clear = 0;
    for (int i = 0; i < 4; i++)
        clear += collisionBlockCanFallDown(board, board->tetraBlock->blocks[i]);
    if (clear == 4) {
        tetraBlockMoveDown(board->tetraBlock);
        return;
    }

    // A held fall key must be let go before it drives the next piece.
    downControl = 1;
    collisionStackAddTetraBlock(board, board->tetraBlock);
    playBlockFall();
    // The game-over test sees the stack before this landing's kills.
    collisionNewTetraBlock(board);
    if (board->gameType == 1)
        collisionColorCheckForKill(board, board->score);
    else
        collisionTetrisCheckForKill(board, board->score);
}

int collisionTetraBlockMoveLeft(CollisionSystem *board)
{
    int clear = 0;
    for (int i = 0; i < 4; i++)
        clear += collisionBlockCanMoveLeft(board, board->tetraBlock->blocks[i]);
    if (clear != 4)
        return 0;
    tetraBlockMoveLeft(board->tetraBlock);
    return 1;
}

int collisionTetraBlockMoveRight(CollisionSystem *board)
{
    int clear = 0;
    for (int i = 0; i < 4; i++)
        clear += collisionBlockCanMoveRight(board, board->tetraBlock->blocks[i]);
    if (clear != 4)
        return 0;
    tetraBlockMoveRight(board->tetraBlock);
    return 1;
}

// No wall kick: a turn that collides is simply taken back.
int collisionTetraBlockRotateRight(CollisionSystem *board)
{
    tetraBlockRotateRight(board->tetraBlock);
    if (collisionIsTetraBlockCollision(board)) {
        tetraBlockRotateLeft(board->tetraBlock);
        return 0;
    }
    return 1;
}

int collisionTetraBlockRotateLeft(CollisionSystem *board)
{
    tetraBlockRotateLeft(board->tetraBlock);
    if (collisionIsTetraBlockCollision(board)) {
        tetraBlockRotateRight(board->tetraBlock);
        return 0;
    }
    return 1;
}

void collisionNewTetraBlock(CollisionSystem *board)
{
    board->tetraBlock = newTetraBlock(rand() % shapeCount, board->x + board->width / 2, board->y);
    if (collisionIsTetraBlockCollision(board))
        endGame++;
}

// The top edge is left open on purpose: a fresh piece may turn partly above it.
int collisionIsTetraBlockCollision(CollisionSystem *board)
{
    int collisions = 0;
    for (int i = 0; i < 4; i++) {
        Block *b = board->tetraBlock->blocks[i];
        if (b->x < board->x || b->x >= board->x + board->width || b->y >= board->y + board->height)
            collisions++;
        for (int s = 0; s < board->stack->count; s++) {
            Block *landed = board->stack->blocks[s];
            if (landed->x == b->x && landed->y == b->y)
                collisions++;
        }
    }
    return collisions;
}

int collisionBlockCanFallDown(CollisionSystem *board, Block *block)
{
    if (block->y + cellSize >= board->y + board->height)
        return 0;
    return collisionStackBlockAt(board, block->x, block->y + cellSize) ? 0 : 1;
}

int collisionBlockCanMoveLeft(CollisionSystem *board, Block *block)
{
    if (block->x - cellSize < board->x)
        return 0;
    return collisionStackBlockAt(board, block->x - cellSize, block->y) ? 0 : 1;
}

int collisionBlockCanMoveRight(CollisionSystem *board, Block *block)
{
    if (block->x + cellSize >= board->x + board->width)
        return 0;
    return collisionStackBlockAt(board, block->x + cellSize, block->y) ? 0 : 1;
}

// The blocks change owner: the stack keeps them, only the piece's shell goes.
void collisionStackAddTetraBlock(CollisionSystem *board, TetraBlock *piece)
{
    for (int i = 0; i < 4; i++)
        collisionStackAddBlock(board, piece->blocks[i]);
    free(piece->blocks);
    free(piece);
}

void collisionStackAddBlock(CollisionSystem *board, Block *block)
{
    blockArrayAddBlock(board->stack, block);
}

void collisionStackRemoveBlock(CollisionSystem *board, Block *block)
{
    blockArrayRemoveBlock(board->stack, block);
}

void collisionTetrisCheckForKill(CollisionSystem *board, Score *score)
{
    int rows = 0;
    // Top to bottom in one pass: a removal only changes rows already found not full.
    for (int row = board->y; row <= board->y + board->height - cellSize; row += cellSize) {
        if (collisionCountBlocksOnRow(board, row) < board->width / cellSize)
            continue;
        collisionTetrisKillBlocks(board, row);
        playBlockKilled();
        rows++;
        board->fallDelay--;
        collisionUpdateBlocksAfterKill(board, row);
    }
    if (rows > 0)
        scoreAddTetrisPoints(score, rows);
}

void collisionTetrisKillBlocks(CollisionSystem *board, int y)
{
    BlockArray *stack = board->stack;
    int slot = 0;
    while (slot < stack->count) {
        Block *block = stack->blocks[slot];
        if (block->y != y) {
            slot++;
            continue;
        }
        // The last block now fills this slot, so the slot is looked at again.
        blockArrayRemoveBlock(stack, block);
        destroyBlock(block);
    }
}

// Rows settle from the removed one upward, so each finds the row below already freed.
void collisionUpdateBlocksAfterKill(CollisionSystem *board, int y)
{
    for (int row = y; row >= board->y; row -= cellSize)
        collisionBlocksOnYGoDown(board, row);
}

void collisionBlocksOnYGoDown(CollisionSystem *board, int y)
{
    BlockArray *stack = board->stack;
    for (int slot = 0; slot < stack->count; slot++) {
        Block *block = stack->blocks[slot];
        if (block->y == y && collisionBlockCanFallDown(board, block))
            blockMoveDown(block);
    }
}

// Nothing moves after a colour kill, so no removal can make a new line: the loop
// only clears groups that this landing already completed.
void collisionColorCheckForKill(CollisionSystem *board, Score *score)
{
    int blocks = 0;
    Block *dead = collisionGetColorDeadBlock(board);
    while (dead) {
        collisionColorKillBlocks(board, dead, &blocks);
        playBlockKilled();
        board->fallDelay--;
        dead = collisionGetColorDeadBlock(board);
    }
    if (blocks > 0)
        scoreAddColorPoints(score, blocks);
}

// A dead block is the right end of a line of four across, or the bottom end of
// one down; the first in slot order wins.
Block *collisionGetColorDeadBlock(CollisionSystem *board)
{
    BlockArray *stack = board->stack;
    for (int a = 0; a < stack->count; a++) {
        Block *end = stack->blocks[a];
        int left = 0;
        int up = 0;
        for (int b = 0; b < stack->count; b++) {
            Block *other = stack->blocks[b];
            if (other->color != end->color)
                continue;
            for (int d = cellSize; d <= colorLineBefore * cellSize; d += cellSize) {
                if (other->y == end->y && other->x + d == end->x)
                    left++;
                else if (other->x == end->x && other->y + d == end->y)
                    up++;
            }
        }
        if (left >= colorLineBefore || up >= colorLineBefore)
            return end;
    }
    return nullptr;
}

void collisionColorKillBlocks(CollisionSystem *board, Block *block, int *counter)
{
    collisionStackRemoveBlock(board, block);
    BlockArray *stack = board->stack;
    int slot = 0;
    while (slot < stack->count) {
        Block *other = stack->blocks[slot];
        if (other->color == block->color && blockIsNear(block, other)) {
            collisionColorKillBlocks(board, other, counter);
            // The recursion removed blocks and reordered the stack.
            slot = 0;
        } else {
            slot++;
        }
    }
    (*counter)++;
    destroyBlock(block);
}

int blockIsNear(Block *a, Block *b)
{
    if (b->y == a->y && (b->x == a->x + cellSize || b->x == a->x - cellSize))
        return 1;
    if (b->x == a->x && (b->y == a->y + cellSize || b->y == a->y - cellSize))
        return 1;
    return 0;
}

void collisionDrawAll(BITMAP *target, CollisionSystem *board)
{
    const int x = board->x;
    const int y = board->y;
    const int w = board->width;
    const int h = board->height;
    const int white = makecol(255, 255, 255);

    // A white double line; the middle half of the top stays open over the spawn.
    // The frame always goes on the off-screen buffer, whatever the target.
    hline(dblbuffer, x, y + h, x + w, white);
    hline(dblbuffer, x - 2, y + h + 2, x + w + 2, white);
    hline(dblbuffer, x, y, x + w / 4, white);
    hline(dblbuffer, x - 2, y - 2, x + w / 4 + 2, white);
    hline(dblbuffer, x + w, y, x + w - w / 4, white);
    hline(dblbuffer, x + w + 2, y - 2, x + w - w / 4 - 2, white);
    vline(dblbuffer, x - 1, y, y + h, white);
    vline(dblbuffer, x - 3, y - 2, y + h + 2, white);
    vline(dblbuffer, x + w, y, y + h, white);
    vline(dblbuffer, x + w + 2, y - 2, y + h + 2, white);
    putpixel(dblbuffer, x - 1, y - 1, white);
    putpixel(dblbuffer, x + w / 4 + 1, y - 1, white);
    putpixel(dblbuffer, x - 1, y + h + 1, white);
    putpixel(dblbuffer, x + w + 1, y + h + 1, white);
    putpixel(dblbuffer, x + w - w / 4 - 1, y - 1, white);

    for (int slot = 0; slot < board->stack->count; slot++)
        blockDraw(target, board->stack->blocks[slot]);
    tetraBlockDraw(target, board->tetraBlock);
    scoreDraw(board->score, target, x + w / 2, y - cellSize);
}

static Block *collisionStackBlockAt(CollisionSystem *board, int x, int y)
{
    BlockArray *stack = board->stack;
    for (int slot = 0; slot < stack->count; slot++) {
        Block *block = stack->blocks[slot];
        if (block->x == x && block->y == y)
            return block;
    }
    return nullptr;
}

static int collisionCountBlocksOnRow(CollisionSystem *board, int y)
{
    int count = 0;
    for (int slot = 0; slot < board->stack->count; slot++) {
        if (board->stack->blocks[slot]->y == y)
            count++;
    }
    return count;
}
