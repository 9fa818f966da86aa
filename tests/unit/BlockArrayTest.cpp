// Block arrays: doubling growth that keeps the slots, and swap-with-last removal
// by pointer identity.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "BlockArray.h"

using Slots = std::vector<Block *>;

static Slots slotsOf(const BlockArray *array)
{
    return Slots(array->blocks, array->blocks + array->count);
}

static void add(BlockArray *array, int n, Slots &blocks)
{
    for (int i = 0; i < n; i++) {
        blocks.push_back(newBlock(nullptr, 20 * i, 0, i % 4));
        blockArrayAddBlock(array, blocks.back());
    }
}

TEST(BlockArrayAdd, GrowsByDoublingAndKeepsSlots)
{
    BlockArray *array = newBlockArray();
    Slots blocks;
    for (auto [more, capacity] : {std::pair{40, 40}, {1, 80}, {40, 160}}) {
        add(array, more, blocks);
        EXPECT_EQ(array->capacity, capacity);
        EXPECT_EQ(slotsOf(array), blocks);
    }
    destroyBlockArray(array);
}

TEST(BlockArrayRemove, LastPointerFillsTheGapAndOthersChangeNothing)
{
    BlockArray *array = newBlockArray();
    Slots b;
    add(array, 5, b);
    // Same fields as slot 1, but only the pointer counts.
    Block *lookalike = newBlock(nullptr, b[1]->x, b[1]->y, b[1]->color);
    const std::pair<Block *, Slots> steps[] = {
        {b[0], {b[4], b[1], b[2], b[3]}},
        {b[3], {b[4], b[1], b[2]}},
        {lookalike, {b[4], b[1], b[2]}},
        {b[0], {b[4], b[1], b[2]}},
    };
    for (const auto &[removed, left] : steps) {
        blockArrayRemoveBlock(array, removed);
        EXPECT_EQ(slotsOf(array), left);
        EXPECT_EQ(array->blocks[array->count], nullptr) << "the vacated slot is cleared";
    }
    for (Block *removed : {b[0], b[3], lookalike})
        destroyBlock(removed);
    destroyBlockArray(array);
}

TEST(BlockArrayClone, SharesTheSamePointersInOrderInItsOwnStorage)
{
    BlockArray *array = newBlockArray();
    Slots blocks;
    add(array, 50, blocks);
    BlockArray *clone = cloneBlockArray(array);
    EXPECT_EQ(clone->capacity, 80);
    EXPECT_EQ(slotsOf(clone), blocks);
    EXPECT_NE(clone->blocks, array->blocks);
    // The blocks are shared, so only one of the two may destroy them.
    free(clone->blocks);
    free(clone);
    destroyBlockArray(array);
}
