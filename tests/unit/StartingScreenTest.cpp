// The title screen composed with the game's own datafiles onto a stand-in screen:
// panels at their corners, the highlighted item and its two markers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MainLoop.h"
#include "StartingScreen.h"
#include "TestAllegro.h"

static int countInBand(int top, int r, int g, int b)
{
    int count = 0;
    for (int y = top; y < top + 45; y++)
        for (int x = 175; x < 466; x++)
            count += getpixel(screen, x, y) == makecol(r, g, b);
    return count;
}

// True when the 20 x 20 area at (x, y) of the screen shows exactly the sprite.
static bool showsSprite(DATAFILE *theme, int object, int x, int y)
{
    BITMAP *expected = create_bitmap(20, 20);
    clear_bitmap(expected);
    draw_rle_sprite(expected, static_cast<RLE_SPRITE *>(theme[object].dat), 0, 0);
    bool same = true;
    for (int dy = 0; dy < 20; dy++)
        for (int dx = 0; dx < 20; dx++)
            same = same && getpixel(screen, x + dx, y + dy) == getpixel(expected, dx, dy);
    destroy_bitmap(expected);
    return same;
}

class TitleScreen : public ::testing::Test {
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

TEST_F(TitleScreen, PanelsStandAtTheirCornersOverAFreshScatter)
{
    drawStartScreen();
    BITMAP *first = create_bitmap(640, 480);
    blit(screen, first, 0, 0, 0, 0, 640, 480);
    drawStartScreen();

    // Title panel, menu panel, and the credit bar covering the menu panel's bottom
    // rows with only its top and sides showing.
    for (auto [x, y] : {std::pair{140, 10}, {500, 100}, {320, 10}, {140, 55}, {170, 145}, {470, 449},
                        {320, 145}, {30, 450}, {610, 479}, {320, 450}})
        EXPECT_EQ(getpixel(screen, x, y), makecol(255, 255, 255)) << "frame at " << x << "," << y;
    for (auto [x, y] : {std::pair{141, 11}, {499, 99}, {171, 146}, {170, 460}, {470, 460}})
        EXPECT_EQ(getpixel(screen, x, y), 0) << "panel inside at " << x << "," << y;

    int differing = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            differing += getpixel(first, x, y) != getpixel(screen, x, y);
            ASSERT_EQ(getpixel(screen, x, y), getpixel(dblbuffer, x, y)) << "the screen shows the buffer";
        }
    EXPECT_GT(differing, 10000) << "the scatter is new on every draw";
    destroy_bitmap(first);
}

TEST_F(TitleScreen, HighlightAndMarkersFollowTheSelection)
{
    // Item top, left marker object and x, right marker object and x.
    const int items[4][5] = {
        {160, 2, 195, 3, 425}, {240, 0, 215, 0, 405}, {320, 1, 195, 1, 425}, {400, 3, 245, 2, 375}};
    for (int chosen = 0; chosen < 4; chosen++) {
        selection = chosen;
        drawStartScreen();
        for (int i = 0; i < 4; i++) {
            const auto &[top, leftObject, leftX, rightObject, rightX] = items[i];
            bool on = i == chosen;
            SCOPED_TRACE(testing::Message() << "item " << i << " with " << chosen << " chosen");
            EXPECT_EQ(countInBand(top, 4, 217, 158) > 0, on);
            EXPECT_EQ(countInBand(top, 223, 36, 134) > 0, !on);
            EXPECT_EQ(showsSprite(vessaData, leftObject, leftX, top + 15), on);
            EXPECT_EQ(showsSprite(korrinData, rightObject, rightX, top + 15), on);
        }
    }
}
