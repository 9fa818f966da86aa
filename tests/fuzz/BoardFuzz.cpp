// Random key sequences against a real board: whatever a player holds down, tick
// after tick, the board keeps one block to a cell, inside the playfield, and a
// score that never falls.
#include <allegro.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"

namespace {

void installTheme()
{
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(24);
    static DATAFILE theme[5];
    for (int i = 0; i < 4; i++) {
        BITMAP *cell = create_bitmap(20, 20);
        clear_to_color(cell, makecol(60 * i, 100, 200 - 40 * i));
        theme[i].dat = get_rle_sprite(cell);
        theme[i].type = DAT_RLE_SPRITE;
        destroy_bitmap(cell);
    }
    theme[4].type = DAT_END;
    allData = theme;
}

void fail(const char *why)
{
    fprintf(stderr, "board broken: %s\n", why);
    abort();
}

void check(CollisionSystem *board, int lastPoints)
{
    std::set<std::pair<int, int>> cells;
    for (int i = 0; i < board->stack->count; i++) {
        Block *block = board->stack->blocks[i];
        // A piece turned above the top edge may land there, at most two rows up.
        if (block->x < 160 || block->x > 460 || block->y < 0 || block->y > 420 || block->x % 20 || block->y % 20)
            fail("a landed block off the playfield grid");
        if (!cells.insert({block->x, block->y}).second)
            fail("two landed blocks in one cell");
    }
    for (int i = 0; i < 4; i++) {
        Block *block = board->tetraBlock->blocks[i];
        if (block->x < 160 || block->x > 460 || !cells.insert({block->x, block->y}).second)
            fail("the falling piece is off the playfield or over the stack");
    }
    if (board->score->points < lastPoints)
        fail("the score fell");
}

// Bits of one input byte: the keys held during that tick, then a gravity step.
const int keyBits[5] = {KEY_RIGHT, KEY_LEFT, KEY_DOWN, KEY_X, KEY_Z};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool ready = (installTheme(), true);
    (void)ready;
    if (size < 2)
        return 0;
    srand(data[0] | data[1] << 8);
    CollisionSystem *board = newCollisionSystem(data[0] & 1, 160, 40, 320, 400);
    mainCollision = board;
    endGame = downControl = movingTimer = rotatingTimer = 0;
    for (size_t i = 2; i < size && !endGame; i++) {
        for (int bit = 0; bit < 5; bit++)
            key[keyBits[bit]] = (data[i] >> bit) & 1;
        int points = board->score->points;
        input();
        if (data[i] & 0x20)
            fallingBlockTimer = board->fallDelay + 1;
        updateCollision(board);
        // Once a new piece finds no room the game is over; gravity in that same
        // tick may still set it down on the stack, and the board is then thrown away.
        if (!endGame)
            check(board, points);
    }
    for (int bit = 0; bit < 5; bit++)
        key[keyBits[bit]] = 0;
    destroyCollision(board);
    mainCollision = nullptr;
    endGame = 0;
    return 0;
}
