// Three thousand seeded random games on boards of 16 and 8 columns, the board's
// invariants checked after every tick.
#include <algorithm>
#include <cstdlib>
#include <random>

#include "Support.h"

// Turns each piece a few times and steers it to a column, mostly the lowest, so
// that rows do fill; then drops it, and after 60 ticks drops it anyway. Now and
// then any keys at all.
static Player seededPlayer(unsigned seed)
{
    return [random = std::mt19937(seed), landed = -1, ticks = 0, turns = 0, column = 0](const CollisionSystem *board) mutable {
        std::vector<int> top(board->width / 20, 440);
        int left = 480;
        for (int i = 0; i < board->stack->count; i++)
            top[(board->stack->blocks[i]->x - 160) / 20] = std::min(top[(board->stack->blocks[i]->x - 160) / 20], board->stack->blocks[i]->y);
        for (int i = 0; i < 4; i++)
            left = std::min(left, board->tetraBlock->blocks[i]->x);
        if (board->stack->count != landed) {
            landed = board->stack->count, ticks = 0, turns = random() % 4;
            column = random() % 3 ? std::max_element(top.begin(), top.end()) - top.begin() : random() % top.size();
        }
        if (random() % 8 == 0)
            return int(random() % 256);
        if (++ticks > 60 || (board->tetraBlock->rotation == turns && (left - 160) / 20 == column))
            return 1 << 2;
        return board->tetraBlock->rotation != turns ? 1 << 3 : (left - 160) / 20 < column ? 1 : 2;
    };
}

TEST(RandomGames, BoardInvariantsHoldAfterEveryTick)
{
    int kills[2] = {};
    for (unsigned game = 0; game < 3000; game++) {
        srand(game);
        int killed = 0;
        ASSERT_EQ(playRandomGame(game % 2, game % 8 < 2 ? 320 : 160, seededPlayer(game), 4000, killed), "") << game;
        kills[game % 2] += killed;
    }
    // Only proves something if both rules fired, many times.
    EXPECT_GT(kills[0], 100) << "rows";
    EXPECT_GT(kills[1], 100) << "colour groups";
}
