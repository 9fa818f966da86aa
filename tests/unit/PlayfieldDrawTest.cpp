// One frame of the playfield, read back pixel by pixel from memory bitmaps: the
// double frame, the stack in slot order, the piece in front, the score line.
#include <gtest/gtest.h>

#include <set>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "TestAllegro.h"

// The frame of a 320 x 400 playfield at (160, 40), as the pixels it must cover.
static std::set<std::pair<int, int>> framePixels()
{
    std::set<std::pair<int, int>> pixels = {{159, 39}, {241, 39}, {159, 441}, {481, 441}, {399, 39}};
    const int across[][3] = {{160, 440, 480}, {158, 442, 482}, {160, 40, 240},
                             {158, 38, 242},  {400, 40, 480},  {398, 38, 482}};
    for (const auto &[x1, y, x2] : across)
        for (int x = x1; x <= x2; x++)
            pixels.insert({x, y});
    const int down[][3] = {{159, 40, 440}, {157, 38, 442}, {480, 40, 440}, {482, 38, 442}};
    for (const auto &[x, y1, y2] : down)
        for (int y = y1; y <= y2; y++)
            pixels.insert({x, y});
    return pixels;
}

// How many pixels of the 20 x 20 cell at (x, y) are not the colour.
static int offCell(BITMAP *bitmap, int x, int y, int color)
{
    int wrong = 0;
    for (int py = y; py < y + 20; py++)
        for (int px = x; px < x + 20; px++)
            wrong += getpixel(bitmap, px, py) != color;
    return wrong;
}

class PlayfieldDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestScreen();
        installTestFonts();
    }
    void TearDown() override { removeTestScreen(); }
};

TEST_F(PlayfieldDraw, FrameIsAWhiteDoubleLineWithTheTopMiddleOpen)
{
    TestBoard game;
    game.setPiece(4, 7, 8, 2);
    collisionDrawAll(dblbuffer, game.board);

    const auto frame = framePixels();
    const int white = makecol(255, 255, 255);
    int missing = 0;
    int stray = 0;
    // Rows above 36 hold the score line; the piece's square at (300, 200) is not frame.
    for (int y = 36; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            if (x >= 300 && x < 340 && y >= 200 && y < 240)
                continue;
            bool isWhite = getpixel(dblbuffer, x, y) == white;
            bool wanted = frame.count({x, y}) > 0;
            missing += wanted && !isWhite;
            stray += isWhite && !wanted;
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0) << "white beyond the frame, as over the open top middle";
    EXPECT_EQ(getpixel(dblbuffer, 481, 39), 0) << "the top right corner has no joining pixel";
    for (auto [x, y] : game.pieceCells())
        EXPECT_EQ(offCell(dblbuffer, x, y, testThemeColor(2)), 0) << "piece at " << x << ", " << y;

}

TEST_F(PlayfieldDraw, StackInSlotOrderThenThePieceInFront)
{
    TestBoard game;
    // Two blocks share each of two cells: the later slot is drawn over the earlier.
    const int landed[][3] = {{4, 13, 0}, {4, 13, 1}, {7, 13, 3}, {7, 13, 2}, {0, 19, 3}, {15, 0, 0}, {11, 19, 2}};
    for (const auto &[column, row, color] : landed)
        game.put(column, row, color);
    game.setPiece(4, 10, 18, 1);
    collisionDrawAll(dblbuffer, game.board);

    // (x, y, colour) of a cell; the piece covers the last.
    const int cells[][3] = {{240, 300, 1}, {300, 300, 2}, {160, 420, 3}, {460, 40, 0}, {260, 300, -1}, {380, 420, 1}};
    for (const auto &[x, y, color] : cells)
        EXPECT_EQ(offCell(dblbuffer, x, y, color < 0 ? 0 : testThemeColor(color)), 0) << x << ", " << y;

    // A piece turned partly above the top edge is drawn there too.
    game.setPiece(6, 8, 0, 3);
    tetraBlockRotateLeft(game.board->tetraBlock);
    collisionDrawAll(dblbuffer, game.board);
    EXPECT_EQ(offCell(dblbuffer, 340, 0, testThemeColor(3)), 0);
}

TEST_F(PlayfieldDraw, ScoreLineCentredAboveThePlayfield)
{
    TestBoard game;
    BITMAP *expected = create_bitmap(640, 36);
    for (int points : {0, 1234, -5}) {
        game.board->score->points = points;
        clear_bitmap(dblbuffer);
        clear_bitmap(expected);
        textprintf_centre_ex(expected, font, 320, 20, makecol(255, 255, 255), -1, "Score: %i", points);
        collisionDrawAll(dblbuffer, game.board);

        int differences = 0;
        for (int y = 0; y < 36; y++)
            for (int x = 0; x < 640; x++)
                differences += getpixel(dblbuffer, x, y) != getpixel(expected, x, y);
        EXPECT_EQ(differences, 0) << "score " << points;
    }
    destroy_bitmap(expected);
}
