// Thousands of seeded random games played through the board's own operations,
// with the board's invariants checked after every single step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "Sound.h"
#include "TestAllegro.h"

namespace {

// A turn pivots on a block at most two cells away, so a landed piece may reach
// two rows above the top edge, never further.
const int rowsAbove = 2;

// What the game has done so far, as told by its sounds and its score.
struct Seen {
    int landings = 0;
    int kills = 0;
    int points = 0;
    int destroyed = 0;
};

// The step's faults, or an empty string while every invariant holds.
std::string check(CollisionSystem *board, Seen &seen)
{
    std::ostringstream fault;
    int landings = playCount(fallBlock) - seen.landings;
    int kills = playCount(blockKilled) - seen.kills;
    int gained = board->score->points - seen.points;
    if (gained < 0)
        fault << "score fell by " << -gained << "; ";
    if (landings > 1 || (kills > 0 && landings == 0))
        fault << landings << " landings with " << kills << " kills in one step; ";
    if (board->fallDelay != 80 - seen.kills - kills)
        fault << "fallDelay " << board->fallDelay << " after " << seen.kills + kills << " kills; ";

    // The blocks removed, from the points: n blocks of colour score 2n²/5, rows 6, 16, 26, 40.
    int destroyed = 0;
    if (board->gameType == 1) {
        while (2 * destroyed * destroyed / 5 < gained)
            destroyed++;
        if (2 * destroyed * destroyed / 5 != gained || destroyed < 4 * kills || (kills == 0 && gained > 0))
            fault << gained << " points for " << kills << " colour groups; ";
    } else {
        const int rowPoints[] = {0, 6, 16, 26, 40};
        if (kills > 4 || gained != rowPoints[kills])
            fault << gained << " points for " << kills << " rows; ";
        destroyed = kills * board->width / 20;
    }
    seen = {seen.landings + landings, seen.kills + kills, board->score->points, seen.destroyed + destroyed};

    int made = 4 * (1 + seen.landings);
    if (made != board->stack->count + 4 + seen.destroyed)
        fault << made << " blocks made, " << board->stack->count + 4 << " on the board, " << seen.destroyed
              << " destroyed; ";

    // Every block on the grid inside the playfield, no two sharing a cell; a piece
    // that spawned onto the stack is how a game ends.
    const int columns = board->width / 20;
    std::vector<int> owner((board->height / 20 + rowsAbove) * columns);
    std::vector<int> perRow(board->height / 20);
    for (int i = 0; i < board->stack->count + 4; i++) {
        bool landed = i < board->stack->count;
        const Block *b = landed ? board->stack->blocks[i] : board->tetraBlock->blocks[i - board->stack->count];
        int dx = b->x - board->x;
        int dy = b->y - board->y;
        if (dx % 20 || dy % 20 || dx < 0 || dx >= board->width || dy >= board->height || dy < -rowsAbove * 20) {
            fault << (landed ? "landed" : "falling") << " block off the grid at " << b->x << ", " << b->y << "; ";
            continue;
        }
        int &cell = owner[(dy / 20 + rowsAbove) * columns + dx / 20];
        if (cell && (landed || !endGame))
            fault << "two blocks share " << b->x << ", " << b->y << "; ";
        cell = 1;
        if (landed && dy >= 0 && ++perRow[dy / 20] == columns && board->gameType != 1)
            fault << "row " << dy / 20 << " still full; ";
    }
    if (landings && board->gameType == 1 && collisionGetColorDeadBlock(board))
        fault << "a line of four survived its landing; ";
    return fault.str();
}

// A loose player: for each piece a random number of turns and a target column,
// usually the lowest column of the stack so that rows do fill; some noise on top.
struct Player {
    std::mt19937 random;
    int turnsLeft = 0;
    int targetColumn = 0;

    int pick(int n) { return static_cast<int>(random() % n); }

    void step(CollisionSystem *board, bool newPiece)
    {
        if (newPiece) {
            std::vector<int> top(board->width / 20, board->y + board->height);
            for (int i = 0; i < board->stack->count; i++) {
                const Block *b = board->stack->blocks[i];
                top[(b->x - board->x) / 20] = std::min(top[(b->x - board->x) / 20], b->y);
            }
            turnsLeft = pick(4);
            targetColumn = pick(3) ? std::max_element(top.begin(), top.end()) - top.begin() : pick(top.size());
        }
        int left = board->x + board->width;
        for (int i = 0; i < 4; i++)
            left = std::min(left, board->tetraBlock->blocks[i]->x);
        int column = (left - board->x) / 20;
        switch (pick(8) ? -1 : pick(6)) {
        case 0: collisionTetraBlockMoveLeft(board); break;
        case 1: collisionTetraBlockMoveRight(board); break;
        case 2: collisionTetraBlockRotateRight(board); break;
        case 3: collisionTetraBlockRotateLeft(board); break;
        case 4: collisionTetraBlockFallDown(board); break;
        case 5:
            fallingBlockTimer = board->fallDelay - 1 + pick(4);
            updateCollision(board);
            break;
        default:
            if (turnsLeft > 0) {
                turnsLeft--;
                pick(2) ? collisionTetraBlockRotateRight(board) : collisionTetraBlockRotateLeft(board);
            } else if (!(column < targetColumn && collisionTetraBlockMoveRight(board)) &&
                     !(column > targetColumn && collisionTetraBlockMoveLeft(board)))
                collisionTetraBlockFallDown(board);
        }
    }
};

} // namespace

TEST(RandomGames, BoardInvariantsHoldAfterEveryStep)
{
    const int games = 2000;
    const int stepLimit = 4000;
    long kills[2] = {0, 0};
    for (int game = 0; game < games; game++) {
        int gameType = game % 2;
        // Every other pair of games runs on a board of 8 columns, where random play fills rows.
        int width = game % 4 < 2 ? 320 : 160;
        unsigned seed = 7919u * game + 1;
        srand(seed);
        TestBoard test(gameType, width);
        Seen seen;
        Player player{std::mt19937(seed)};
        bool newPiece = true;
        for (int step = 0; step < stepLimit && !endGame; step++) {
            player.step(test.board, newPiece);
            int landings = seen.landings;
            std::string fault = check(test.board, seen);
            newPiece = seen.landings != landings;
            ASSERT_EQ(fault, "") << "seed " << seed << ", width " << width << ", step " << step;
        }
        kills[gameType] += seen.kills;
    }
    // The run only proves something if both rules actually fired, many times.
    EXPECT_GT(kills[0], 100) << "rows removed";
    EXPECT_GT(kills[1], 100) << "colour groups removed";
}
