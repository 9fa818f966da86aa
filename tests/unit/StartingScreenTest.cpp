// The title screen composed with the game's own datafiles onto a stand-in screen:
// panels at their corners, the highlighted item and its two markers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MainLoop.h"
#include "StartingScreen.h"
#include "TestAllegro.h"

namespace {

const int white = 0xFFFFFF;

int rgbAt(BITMAP *bitmap, int x, int y)
{
    int c = getpixel(bitmap, x, y);
    return getr(c) << 16 | getg(c) << 8 | getb(c);
}

int countColorInBand(BITMAP *bitmap, int top, int bottom, int r, int g, int b)
{
    int wanted = makecol(r, g, b);
    int count = 0;
    for (int y = top; y < bottom; y++)
        for (int x = 175; x < 466; x++)
            count += getpixel(bitmap, x, y) == wanted;
    return count;
}

// True when the 20 x 20 area at (x, y) shows exactly the given sprite.
bool showsSprite(BITMAP *bitmap, DATAFILE *theme, int object, int x, int y)
{
    BITMAP *expected = create_bitmap(20, 20);
    clear_bitmap(expected);
    draw_rle_sprite(expected, static_cast<RLE_SPRITE *>(theme[object].dat), 0, 0);
    bool same = true;
    for (int dy = 0; dy < 20; dy++)
        for (int dx = 0; dx < 20; dx++)
            same = same && getpixel(bitmap, x + dx, y + dy) == getpixel(expected, dx, dy);
    destroy_bitmap(expected);
    return same;
}

class TitleScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installBuiltData();
        installTestScreen();
        srand(1234);
    }
    void TearDown() override
    {
        removeTestScreen();
        selection = 0;
    }
};

TEST_F(TitleScreenTest, PanelsStandAtTheirCorners)
{
    selection = 0;
    drawStartScreen();

    for (auto [x, y] : {std::pair{140, 10}, {500, 10}, {140, 100}, {500, 100}, {320, 10}, {140, 55}})
        EXPECT_EQ(rgbAt(screen, x, y), white) << "title panel frame at " << x << "," << y;
    EXPECT_EQ(rgbAt(screen, 141, 11), 0);
    EXPECT_EQ(rgbAt(screen, 499, 99), 0);

    for (auto [x, y] : {std::pair{170, 145}, {470, 145}, {170, 449}, {470, 449}, {320, 145}})
        EXPECT_EQ(rgbAt(screen, x, y), white) << "menu panel frame at " << x << "," << y;
    EXPECT_EQ(rgbAt(screen, 171, 146), 0);

    // The credit bar covers the menu panel's bottom rows; only its top and sides show.
    for (auto [x, y] : {std::pair{30, 450}, {610, 450}, {30, 479}, {610, 479}, {320, 450}})
        EXPECT_EQ(rgbAt(screen, x, y), white) << "credit bar frame at " << x << "," << y;
    EXPECT_EQ(rgbAt(screen, 170, 460), 0);
    EXPECT_EQ(rgbAt(screen, 470, 460), 0);
}

TEST_F(TitleScreenTest, HighlightAndMarkersFollowTheSelection)
{
    struct Item {
        int top;
        int leftObject, leftX, rightObject, rightX;
    };
    const Item items[4] = {{160, 2, 195, 3, 425}, {240, 0, 215, 0, 405}, {320, 1, 195, 1, 425}, {400, 3, 245, 2, 375}};

    for (int chosen = 0; chosen < 4; chosen++) {
        selection = chosen;
        drawStartScreen();
        for (int i = 0; i < 4; i++) {
            int highlighted = countColorInBand(screen, items[i].top, items[i].top + 45, 4, 217, 158);
            int normal = countColorInBand(screen, items[i].top, items[i].top + 45, 223, 36, 134);
            if (i == chosen) {
                EXPECT_GT(highlighted, 0) << "item " << i;
                EXPECT_EQ(normal, 0) << "item " << i;
            } else {
                EXPECT_EQ(highlighted, 0) << "item " << i << " with " << chosen << " chosen";
                EXPECT_GT(normal, 0) << "item " << i;
            }
            int markerY = items[i].top + 15;
            EXPECT_EQ(showsSprite(screen, vessaData, items[i].leftObject, items[i].leftX, markerY), i == chosen)
                << "left marker of item " << i << " with " << chosen << " chosen";
            EXPECT_EQ(showsSprite(screen, korrinData, items[i].rightObject, items[i].rightX, markerY), i == chosen)
                << "right marker of item " << i << " with " << chosen << " chosen";
        }
    }
}

TEST_F(TitleScreenTest, ScatterIsNewOnEveryDrawAndTheScreenShowsTheBuffer)
{
    drawStartScreen();
    BITMAP *first = create_bitmap(640, 480);
    blit(screen, first, 0, 0, 0, 0, 640, 480);
    drawStartScreen();

    int differing = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            differing += getpixel(first, x, y) != getpixel(screen, x, y);
            ASSERT_EQ(getpixel(screen, x, y), getpixel(dblbuffer, x, y));
        }
    EXPECT_GT(differing, 10000);
    destroy_bitmap(first);
}

} // namespace
