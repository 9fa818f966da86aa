// A growable array of block pointers; removal moves the last pointer into the gap,
// so the order of the blocks means nothing.
#pragma once

#include "Block.h"

struct BlockArray {
    Block **blocks;
    int capacity;
    int count;
};

BlockArray *newBlockArray();
void blockArrayAddBlock(BlockArray *array, Block *block);
void blockArrayRemoveBlock(BlockArray *array, Block *block);
BlockArray *cloneBlockArray(BlockArray *array);
void destroyBlockArray(BlockArray *array);
