// One cell of the game. Blocks are created with a random colour whose image comes
// from the current theme, and moved one cell at a time.
#include "Block.h"

#include <cstdlib>

#include "MainLoop.h"

static const int cellSize = 20;
static const int colorCount = 4;

Block *newBlock(RLE_SPRITE *image, int x, int y, int color)
{
    Block *block = static_cast<Block *>(malloc(sizeof(Block)));
    block->x = x;
    block->y = y;
    block->color = color;
    block->image = image;
    return block;
}

Block *newBlockDefault(int x, int y)
{
    // Objects 0 to 3 of a theme are the block images, numbered like the colours.
    int color = rand() % colorCount;
    return newBlock(static_cast<RLE_SPRITE *>(allData[color].dat), x, y, color);
}

void blockMoveDown(Block *block)
{
    block->y += cellSize;
}

void blockMoveLeft(Block *block)
{
    block->x -= cellSize;
}

void blockMoveRight(Block *block)
{
    block->x += cellSize;
}

void blockDraw(BITMAP *target, Block *block)
{
    draw_rle_sprite(target, block->image, block->x, block->y);
}

// The image belongs to the theme datafile, so only the record goes.
void destroyBlock(Block *block)
{
    free(block);
}
