// Block arrays: doubling growth that keeps the slots, swap-with-last removal by
// pointer identity, and shallow clones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "BlockArray.h"

static std::vector<Block *> makeBlocks(int n)
{
    std::vector<Block *> blocks;
    for (int i = 0; i < n; i++)
        blocks.push_back(newBlock(nullptr, 20 * i, 0, i % 4));
    return blocks;
}

static BlockArray *arrayOf(const std::vector<Block *> &blocks)
{
    BlockArray *array = newBlockArray();
    for (Block *block : blocks)
        blockArrayAddBlock(array, block);
    return array;
}

// Frees a clone's storage but leaves its shared blocks to the original.
static void releaseClone(BlockArray *array)
{
    free(array->blocks);
    free(array);
}

TEST(BlockArrayAdd, GrowsByDoublingAndKeepsSlots)
{
    BlockArray *array = newBlockArray();
    EXPECT_EQ(array->capacity, 40);
    EXPECT_EQ(array->count, 0);

    std::vector<Block *> blocks = makeBlocks(81);
    for (int i = 0; i < 40; i++)
        blockArrayAddBlock(array, blocks[i]);
    EXPECT_EQ(array->capacity, 40);
    EXPECT_EQ(array->count, 40);

    blockArrayAddBlock(array, blocks[40]);
    EXPECT_EQ(array->capacity, 80);
    EXPECT_EQ(array->count, 41);
    for (int i = 0; i < 41; i++)
        ASSERT_EQ(array->blocks[i], blocks[i]) << "slot " << i;

    for (int i = 41; i < 81; i++)
        blockArrayAddBlock(array, blocks[i]);
    EXPECT_EQ(array->capacity, 160);
    EXPECT_EQ(array->count, 81);
    for (int i = 0; i < 81; i++)
        ASSERT_EQ(array->blocks[i], blocks[i]) << "slot " << i;
    destroyBlockArray(array);
}

TEST(BlockArrayRemove, LastElementFillsTheGap)
{
    std::vector<Block *> blocks = makeBlocks(5);
    BlockArray *array = arrayOf(blocks);

    blockArrayRemoveBlock(array, blocks[0]);
    EXPECT_EQ(array->count, 4);
    EXPECT_EQ(array->blocks[0], blocks[4]);
    EXPECT_EQ(array->blocks[1], blocks[1]);
    EXPECT_EQ(array->blocks[2], blocks[2]);
    EXPECT_EQ(array->blocks[3], blocks[3]);
    EXPECT_EQ(array->blocks[4], nullptr);

    // Removing the last element just shortens the array.
    blockArrayRemoveBlock(array, blocks[3]);
    EXPECT_EQ(array->count, 3);
    EXPECT_EQ(array->blocks[0], blocks[4]);
    EXPECT_EQ(array->blocks[1], blocks[1]);
    EXPECT_EQ(array->blocks[2], blocks[2]);
    EXPECT_EQ(array->blocks[3], nullptr);
    EXPECT_EQ(array->capacity, 40);

    // The removed blocks are still the caller's.
    destroyBlock(blocks[0]);
    destroyBlock(blocks[3]);
    destroyBlockArray(array);
}

TEST(BlockArrayRemove, AbsentPointerChangesNothing)
{
    std::vector<Block *> blocks = makeBlocks(3);
    BlockArray *array = arrayOf(blocks);
    Block *outsider = newBlock(nullptr, 0, 0, 0);
    // Same fields as slot 0, but only the pointer counts.
    Block *lookalike = newBlock(nullptr, blocks[0]->x, blocks[0]->y, blocks[0]->color);

    blockArrayRemoveBlock(array, outsider);
    blockArrayRemoveBlock(array, lookalike);
    EXPECT_EQ(array->count, 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(array->blocks[i], blocks[i]);

    destroyBlock(outsider);
    destroyBlock(lookalike);
    destroyBlockArray(array);
}

TEST(BlockArrayRemove, OnlyFirstDuplicateGoes)
{
    std::vector<Block *> blocks = makeBlocks(3);
    BlockArray *array = arrayOf({blocks[0], blocks[1], blocks[0], blocks[2]});

    blockArrayRemoveBlock(array, blocks[0]);
    ASSERT_EQ(array->count, 3);
    EXPECT_EQ(array->blocks[0], blocks[2]);
    EXPECT_EQ(array->blocks[1], blocks[1]);
    EXPECT_EQ(array->blocks[2], blocks[0]);

    releaseClone(array);
    for (Block *block : blocks)
        destroyBlock(block);
}

TEST(CloneBlockArray, SharesPointersInOrderWithItsOwnStorage)
{
    std::vector<Block *> blocks = makeBlocks(50);
    BlockArray *original = arrayOf(blocks);
    BlockArray *copy = cloneBlockArray(original);

    EXPECT_NE(copy, original);
    EXPECT_NE(copy->blocks, original->blocks);
    EXPECT_EQ(copy->count, 50);
    EXPECT_EQ(copy->capacity, 80);
    for (int i = 0; i < 50; i++)
        ASSERT_EQ(copy->blocks[i], blocks[i]) << "slot " << i;

    blockArrayRemoveBlock(copy, blocks[7]);
    EXPECT_EQ(copy->count, 49);
    EXPECT_EQ(original->count, 50);
    EXPECT_EQ(original->blocks[7], blocks[7]);

    releaseClone(copy);
    destroyBlockArray(original);
}
