// Thousands of seeded random games played through the board's own operations,
// with the board's invariants checked after every single step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"
#include "TestAllegro.h"

namespace {

const int maxColumns = 16;
const int rows = 20;
// A turn pivots on a block at most two cells away, so a landed piece may reach
// two rows above the top edge, never further.
const int rowsAbove = 2;

struct Totals {
    long steps = 0;
    long landings = 0;
    long rowKills = 0;
    long groupKills = 0;
    long blocksDestroyed = 0;
};

// What the board may never break, checked after each step of one game.
class GameChecker {
public:
    GameChecker(CollisionSystem *board, std::string seed) : board(board), seed(std::move(seed)) {}

    // Returns an empty string while every invariant holds, else what broke.
    std::string check(Totals &totals)
    {
        std::ostringstream fault;
        int landings = playCount(fallBlock);
        int kills = playCount(blockKilled);
        int newLandings = landings - seenLandings;
        int newKills = kills - seenKills;
        int gained = board->score->points - seenPoints;

        if (gained < 0)
            fault << "score fell by " << -gained << "; ";
        if (newLandings > 1)
            fault << newLandings << " landings in one step; ";
        if (newKills > 0 && newLandings == 0)
            fault << "a kill without a landing; ";
        if (board->fallDelay != 80 - kills)
            fault << "fallDelay " << board->fallDelay << " after " << kills << " kills; ";

        int destroyedNow = 0;
        if (board->gameType == 1) {
            if (gained > 0) {
                int blocks = 4;
                while (scoreCalculateColorPoints(blocks) < gained)
                    blocks++;
                if (scoreCalculateColorPoints(blocks) != gained || blocks < 4 * newKills)
                    fault << "colour points " << gained << " fit no kill of " << newKills << " groups; ";
                destroyedNow = blocks;
            } else if (newKills > 0) {
                fault << newKills << " groups killed for no points; ";
            }
            totals.groupKills += newKills;
        } else {
            if (gained != (newKills > 0 ? scoreCalculateTetrisPoints(newKills) : 0))
                fault << gained << " points for " << newKills << " rows; ";
            destroyedNow = newKills * board->width / 20;
            totals.rowKills += newKills;
        }
        destroyed += destroyedNow;
        totals.blocksDestroyed += destroyedNow;
        totals.landings += newLandings;

        int made = 4 * (1 + landings);
        int onBoard = board->stack->count + 4;
        if (made != onBoard + destroyed)
            fault << made << " blocks made, " << onBoard << " on the board, " << destroyed << " destroyed; ";

        checkCells(fault);
        if (newLandings == 1)
            checkNothingLeftToKill(fault);

        seenLandings = landings;
        seenKills = kills;
        seenPoints = board->score->points;
        std::string text = fault.str();
        return text.empty() ? text : seed + ": " + text;
    }

private:
    void checkCells(std::ostringstream &fault)
    {
        int owner[rows + rowsAbove][maxColumns] = {};
        auto place = [&](Block *b, int who, const char *what) {
            int dx = b->x - board->x;
            int dy = b->y - board->y;
            if (dx % 20 || dy % 20 || dx < 0 || dx >= board->width || dy >= board->height ||
                dy < -rowsAbove * 20) {
                fault << what << " block off the grid at " << b->x << ", " << b->y << "; ";
                return;
            }
            int &cell = owner[dy / 20 + rowsAbove][dx / 20];
            if (cell && !(who == 2 && endGame))
                fault << "two blocks share " << b->x << ", " << b->y << "; ";
            cell = who;
        };
        for (int i = 0; i < board->stack->count; i++)
            place(board->stack->blocks[i], 1, "landed");
        // A piece that spawned onto the stack is how a game ends.
        for (int i = 0; i < 4; i++)
            place(board->tetraBlock->blocks[i], 2, "falling");
    }

    void checkNothingLeftToKill(std::ostringstream &fault)
    {
        if (board->gameType == 1) {
            if (collisionGetColorDeadBlock(board))
                fault << "a line of four survived its landing; ";
            return;
        }
        int perRow[rows] = {};
        for (int i = 0; i < board->stack->count; i++) {
            int row = (board->stack->blocks[i]->y - board->y) / 20;
            if (row >= 0 && ++perRow[row] == board->width / 20)
                fault << "row " << row << " full after its landing; ";
        }
    }

    CollisionSystem *board;
    std::string seed;
    int seenLandings = 0;
    int seenKills = 0;
    int seenPoints = 0;
    int destroyed = 0;
};

// A loose player: for each piece a random number of turns and a target column,
// usually the lowest column of the stack so that rows do fill; some noise on top.
class Player {
public:
    explicit Player(unsigned seed) : random(seed) {}

    void step(CollisionSystem *board, bool newPiece)
    {
        if (newPiece) {
            turnsLeft = pick(4);
            targetColumn = pick(3) ? lowestColumn(board) : pick(board->width / 20);
        }
        if (pick(8) == 0) {
            noise(board);
            return;
        }
        if (turnsLeft > 0) {
            turnsLeft--;
            pick(2) ? collisionTetraBlockRotateRight(board) : collisionTetraBlockRotateLeft(board);
            return;
        }
        int left = board->tetraBlock->blocks[0]->x;
        for (int i = 1; i < 4; i++)
            left = std::min(left, board->tetraBlock->blocks[i]->x);
        int column = (left - board->x) / 20;
        if (column < targetColumn && collisionTetraBlockMoveRight(board))
            return;
        if (column > targetColumn && collisionTetraBlockMoveLeft(board))
            return;
        collisionTetraBlockFallDown(board);
    }

private:
    int pick(int n) { return static_cast<int>(random() % n); }

    void noise(CollisionSystem *board)
    {
        switch (pick(6)) {
        case 0: collisionTetraBlockMoveLeft(board); break;
        case 1: collisionTetraBlockMoveRight(board); break;
        case 2: collisionTetraBlockRotateRight(board); break;
        case 3: collisionTetraBlockRotateLeft(board); break;
        case 4: collisionTetraBlockFallDown(board); break;
        default:
            fallingBlockTimer = board->fallDelay - 1 + pick(4);
            updateCollision(board);
        }
    }

    int lowestColumn(CollisionSystem *board)
    {
        int columns = board->width / 20;
        int top[maxColumns];
        for (int &t : top)
            t = board->y + board->height;
        for (int i = 0; i < board->stack->count; i++) {
            Block *b = board->stack->blocks[i];
            int c = (b->x - board->x) / 20;
            top[c] = std::min(top[c], b->y);
        }
        int best = pick(columns);
        for (int c = 0; c < columns; c++) {
            if (top[c] > top[best])
                best = c;
        }
        return best;
    }

    std::mt19937 random;
    int turnsLeft = 0;
    int targetColumn = 0;
};

} // namespace

TEST(RandomGames, BoardInvariantsHoldAfterEveryStep)
{
    installTestTheme();
    fallBlock = create_sample(8, 0, 22050, 100);
    blockKilled = create_sample(8, 0, 22050, 100);
    soundOn = 1;
    const int games = 2000;
    const int stepLimit = 4000;
    Totals totals[2];

    for (int game = 0; game < games; game++) {
        int gameType = game % 2;
        // Every other pair of games runs on a board of 8 columns, where random play fills rows.
        int width = game % 4 < 2 ? 320 : 160;
        unsigned seed = 7919u * game + 1;
        srand(seed);
        resetPlayCounts();
        endGame = 0;
        fallingBlockTimer = 0;
        CollisionSystem *board = newCollisionSystem(gameType, 160, 40, width, 400);
        GameChecker checker(board, "seed " + std::to_string(seed) + ", width " + std::to_string(width));
        Player player(seed);

        int landings = 0;
        for (int step = 0; step < stepLimit && !endGame; step++) {
            bool newPiece = playCount(fallBlock) != landings || step == 0;
            landings = playCount(fallBlock);
            player.step(board, newPiece);
            totals[gameType].steps++;
            std::string fault = checker.check(totals[gameType]);
            ASSERT_EQ(fault, "") << "game " << game << ", step " << step;
        }
        destroyCollision(board);
    }
    endGame = 0;

    // The run only proves something if both rules actually fired, many times.
    EXPECT_GT(totals[0].rowKills, 100) << "row kills in " << totals[0].landings << " landings";
    EXPECT_GT(totals[1].groupKills, 100) << "group kills in " << totals[1].landings << " landings";
    std::cout << "rows game: " << totals[0].steps << " steps, " << totals[0].landings << " landings, "
              << totals[0].rowKills << " rows removed\n"
              << "colour game: " << totals[1].steps << " steps, " << totals[1].landings << " landings, "
              << totals[1].groupKills << " groups, " << totals[1].blocksDestroyed << " blocks removed\n";
}
