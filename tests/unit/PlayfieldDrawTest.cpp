// One frame of the playfield, read back pixel by pixel from memory bitmaps:
// the double frame, the stack in slot order, the piece in front, the score line.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "TestAllegro.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

struct Frame {
    CollisionSystem *board;
    BITMAP *target;
    int white;

    Frame()
    {
        installTestTheme();
        installTestFonts();
        static BITMAP *buffer = create_bitmap(640, 480);
        static BITMAP *other = create_bitmap(640, 480);
        dblbuffer = buffer;
        target = other;
        clear_bitmap(dblbuffer);
        clear_bitmap(target);
        white = makecol(255, 255, 255);
        board = newCollisionSystem(0, 160, 40, 320, 400);
    }
    ~Frame() { destroyCollision(board); }

    void setPiece(int type, int x, int y, int color)
    {
        destroyTetraBlock(board->tetraBlock);
        board->tetraBlock = newTetraBlock(type, x, y);
        for (int i = 0; i < 4; i++) {
            board->tetraBlock->blocks[i]->color = color;
            board->tetraBlock->blocks[i]->image = static_cast<RLE_SPRITE *>(allData[color].dat);
        }
    }
    Block *landed(int x, int y, int color)
    {
        Block *block = newBlock(static_cast<RLE_SPRITE *>(allData[color].dat), x, y, color);
        collisionStackAddBlock(board, block);
        return block;
    }
};

// The frame of a 320 x 400 playfield at (160, 40), as the pixels it must cover.
Pixels framePixels()
{
    Pixels pixels;
    auto across = [&](int x1, int y, int x2) {
        for (int x = std::min(x1, x2); x <= std::max(x1, x2); x++)
            pixels.insert({x, y});
    };
    auto down = [&](int x, int y1, int y2) {
        for (int y = y1; y <= y2; y++)
            pixels.insert({x, y});
    };
    across(160, 440, 480);
    across(158, 442, 482);
    across(160, 40, 240);
    across(158, 38, 242);
    across(480, 40, 400);
    across(482, 38, 398);
    down(159, 40, 440);
    down(157, 38, 442);
    down(480, 40, 440);
    down(482, 38, 442);
    for (auto corner : {std::make_pair(159, 39), std::make_pair(241, 39), std::make_pair(159, 441),
                        std::make_pair(481, 441), std::make_pair(399, 39)})
        pixels.insert(corner);
    return pixels;
}

bool insideCell(int px, int py, int x, int y)
{
    return px >= x && px < x + 20 && py >= y && py < y + 20;
}

void expectCellColor(BITMAP *bitmap, int x, int y, int color, const char *what)
{
    int wrong = 0;
    for (int py = y; py < y + 20; py++)
        for (int px = x; px < x + 20; px++)
            wrong += getpixel(bitmap, px, py) != color;
    EXPECT_EQ(wrong, 0) << what << " at " << x << ", " << y;
}

} // namespace

TEST(PlayfieldFrame, WhiteDoubleLineWithTheTopMiddleOpen)
{
    Frame frame;
    frame.setPiece(4, 300, 200, 2);
    collisionDrawAll(dblbuffer, frame.board);

    const Pixels expected = framePixels();
    int missing = 0;
    int stray = 0;
    // Rows above 36 hold the score line; the piece's square is not frame.
    for (int y = 36; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            if (insideCell(x, y, 300, 200) || insideCell(x, y, 320, 200) || insideCell(x, y, 300, 220) ||
                insideCell(x, y, 320, 220))
                continue;
            bool isWhite = getpixel(dblbuffer, x, y) == frame.white;
            bool wanted = expected.count({x, y}) > 0;
            missing += wanted && !isWhite;
            stray += isWhite && !wanted;
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(getpixel(dblbuffer, 481, 39), 0) << "the top right corner has no joining pixel";
    for (int x = 243; x <= 397; x++)
        for (int y = 38; y <= 40; y++)
            EXPECT_NE(getpixel(dblbuffer, x, y), frame.white) << x << ", " << y;
    expectCellColor(dblbuffer, 320, 220, testThemeColor(2), "piece");
}

TEST(PlayfieldFrame, AlwaysOnTheOffscreenBufferWhateverTheTarget)
{
    Frame frame;
    frame.setPiece(6, 200, 300, 1);
    collisionDrawAll(frame.target, frame.board);

    int onBuffer = 0;
    int onTarget = 0;
    for (auto [x, y] : framePixels()) {
        onBuffer += getpixel(dblbuffer, x, y) == frame.white;
        onTarget += getpixel(frame.target, x, y) == frame.white;
    }
    EXPECT_EQ(onBuffer, static_cast<int>(framePixels().size()));
    EXPECT_EQ(onTarget, 0);
    expectCellColor(frame.target, 260, 300, testThemeColor(1), "piece on the target");
    expectCellColor(dblbuffer, 260, 300, 0, "no piece on the buffer");
}

TEST(PlayfieldDraw, StackInSlotOrderThenThePieceInFront)
{
    Frame frame;
    frame.landed(240, 300, 0);
    frame.landed(240, 300, 1);
    frame.landed(300, 300, 3);
    frame.landed(300, 300, 2);
    frame.landed(160, 420, 3);
    frame.landed(460, 40, 0);
    frame.setPiece(4, 360, 400, 1);
    frame.landed(380, 420, 2); // under the piece's lower right cell

    collisionDrawAll(dblbuffer, frame.board);

    expectCellColor(dblbuffer, 240, 300, testThemeColor(1), "later slot over earlier");
    expectCellColor(dblbuffer, 300, 300, testThemeColor(2), "later slot over earlier");
    expectCellColor(dblbuffer, 160, 420, testThemeColor(3), "bottom left cell");
    expectCellColor(dblbuffer, 460, 40, testThemeColor(0), "top right cell over the frame");
    expectCellColor(dblbuffer, 380, 420, testThemeColor(1), "piece over stack");
    expectCellColor(dblbuffer, 260, 300, 0, "beside a block");
}

TEST(PlayfieldDraw, PieceAboveTheTopEdgeIsDrawnThere)
{
    Frame frame;
    frame.setPiece(6, 320, 40, 3);
    ASSERT_EQ(collisionTetraBlockRotateLeft(frame.board), 1);

    collisionDrawAll(dblbuffer, frame.board);

    expectCellColor(dblbuffer, 340, 0, testThemeColor(3), "two rows above the top");
    expectCellColor(dblbuffer, 340, 60, testThemeColor(3), "the lowest cell");
}

TEST(PlayfieldDraw, ScoreLineCentredAboveThePlayfield)
{
    Frame frame;
    frame.setPiece(4, 300, 200, 0);
    BITMAP *reference = create_bitmap(640, 36);
    for (int points : {0, 1234}) {
        frame.board->score->points = points;
        clear_bitmap(dblbuffer);
        clear_bitmap(reference);
        textprintf_centre_ex(reference, comicSmall, 320, 20, frame.white, -1, "Score: %i", points);

        collisionDrawAll(dblbuffer, frame.board);

        int differences = 0;
        int inked = 0;
        for (int y = 0; y < 36; y++) {
            for (int x = 0; x < 640; x++) {
                differences += getpixel(dblbuffer, x, y) != getpixel(reference, x, y);
                inked += getpixel(reference, x, y) == frame.white;
            }
        }
        EXPECT_GT(inked, 0);
        EXPECT_EQ(differences, 0) << "score " << points;
    }
    destroy_bitmap(reference);
}
