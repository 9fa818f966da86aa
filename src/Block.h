// One cell of the game: where it is, its colour and the theme image drawn for it.
// Blocks are plain heap records; their images belong to the theme datafile.
#pragma once

#include <allegro.h>

struct Block {
    int x;
    int y;
    int color;
    RLE_SPRITE *image;
};

Block *newBlock(RLE_SPRITE *image, int x, int y, int color);
Block *newBlockDefault(int x, int y);
void blockMoveDown(Block *block);
void blockMoveLeft(Block *block);
void blockMoveRight(Block *block);
void blockDraw(BITMAP *target, Block *block);
void destroyBlock(Block *block);
