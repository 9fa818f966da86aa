// A growable array of block pointers. Removal fills the gap with the last pointer,
// so it is cheap and the order of the blocks carries no meaning.
#include "BlockArray.h"

#include <cstdlib>

static const int initialCapacity = 40;

BlockArray *newBlockArray()
{
    BlockArray *array = static_cast<BlockArray *>(malloc(sizeof(BlockArray)));
    array->capacity = initialCapacity;
    array->count = 0;
    array->blocks = static_cast<Block **>(malloc(initialCapacity * sizeof(Block *)));
    return array;
}

void blockArrayAddBlock(BlockArray *array, Block *block)
{
    if (array->count == array->capacity) {
        array->capacity *= 2;
        array->blocks = static_cast<Block **>(realloc(array->blocks, array->capacity * sizeof(Block *)));
    }
    array->blocks[array->count++] = block;
}

// Never frees the block: the caller still owns it, or hands it on.
void blockArrayRemoveBlock(BlockArray *array, Block *block)
{
    for (int i = 0; i < array->count; i++) {
        if (array->blocks[i] == block) {
            array->count--;
            array->blocks[i] = array->blocks[array->count];
            array->blocks[array->count] = nullptr;
            return;
        }
    }
}

// Shares the blocks: at most one of the two arrays may be destroyed with its blocks.
BlockArray *cloneBlockArray(BlockArray *array)
{
    BlockArray *copy = newBlockArray();
    for (int i = 0; i < array->count; i++)
        blockArrayAddBlock(copy, array->blocks[i]);
    return copy;
}

void destroyBlockArray(BlockArray *array)
{
    for (int i = 0; i < array->count; i++)
        destroyBlock(array->blocks[i]);
    free(array->blocks);
    free(array);
}
