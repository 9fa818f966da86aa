// Blocks: construction order of the arguments, one-cell moves, the random colour
// with its theme image, and drawing at the block's position.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Block.h"
#include "MainLoop.h"
#include "TestAllegro.h"

TEST(BlockMove, NewBlockThenEachMoveIsOneCellOnOneAxis)
{
    // Arguments come image, x, y, colour: not in field order.
    Block *block = newBlock(nullptr, 200, 100, 3);
    EXPECT_EQ(block->x, 200);
    EXPECT_EQ(block->y, 100);
    EXPECT_EQ(block->color, 3);
    blockMoveDown(block);
    EXPECT_EQ(block->x, 200);
    EXPECT_EQ(block->y, 120);
    blockMoveLeft(block);
    EXPECT_EQ(block->x, 180);
    EXPECT_EQ(block->y, 120);
    blockMoveRight(block);
    blockMoveRight(block);
    EXPECT_EQ(block->x, 220);
    EXPECT_EQ(block->y, 120);
    destroyBlock(block);
}

TEST(NewBlockDefault, ColourComesFromOneRandDrawAndPicksItsImage)
{
    installTestTheme();
    srand(77);
    int expected[200];
    for (int &color : expected)
        color = rand() % 4;

    srand(77);
    bool seen[4] = {false, false, false, false};
    for (int color : expected) {
        Block *block = newBlockDefault(60, 80);
        ASSERT_EQ(block->color, color);
        EXPECT_EQ(block->image, allData[color].dat);
        EXPECT_EQ(block->x, 60);
        EXPECT_EQ(block->y, 80);
        seen[block->color] = true;
        destroyBlock(block);
    }
    for (int color = 0; color < 4; color++)
        EXPECT_TRUE(seen[color]) << "colour " << color << " never drawn";
}

TEST(BlockDraw, SpriteCoversExactlyTheBlocksCell)
{
    installTestTheme();
    BITMAP *target = create_bitmap(100, 100);
    clear_bitmap(target);
    Block *block = newBlock(static_cast<RLE_SPRITE *>(allData[2].dat), 30, 40, 2);
    blockDraw(target, block);

    int color = testThemeColor(2);
    for (int y = 35; y < 65; y++) {
        for (int x = 25; x < 55; x++) {
            bool inside = x >= 30 && x < 50 && y >= 40 && y < 60;
            ASSERT_EQ(getpixel(target, x, y), inside ? color : 0) << "at " << x << "," << y;
        }
    }
    destroyBlock(block);
    destroy_bitmap(target);
}
