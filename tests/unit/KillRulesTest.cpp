// The two kill rules on hand-built stacks: full rows with the settling above
// them, and colour groups that hold a straight line of four.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "Sound.h"
#include "TestAllegro.h"

namespace {

using Cells = std::vector<std::pair<int, int>>; // (column, row)

struct Board {
    CollisionSystem *board;

    explicit Board(int gameType, int x = 160, int y = 40, int width = 320, int height = 400)
    {
        installTestTheme();
        static SAMPLE *fall = create_sample(8, 0, 22050, 100);
        static SAMPLE *killed = create_sample(8, 0, 22050, 100);
        fallBlock = fall;
        blockKilled = killed;
        soundOn = 1;
        resetPlayCounts();
        board = newCollisionSystem(gameType, x, y, width, height);
    }
    ~Board() { destroyCollision(board); }

    Block *at(int column, int row, int color = 0)
    {
        Block *block = newBlock(static_cast<RLE_SPRITE *>(allData[color].dat), board->x + 20 * column,
                                board->y + 20 * row, color);
        collisionStackAddBlock(board, block);
        return block;
    }
    void fill(const Cells &cells, int color)
    {
        for (auto [column, row] : cells)
            at(column, row, color);
    }
    // Colours alternate along the row so no colour rule could ever fire on it.
    void fullRow(int row, int skipColumn = -1)
    {
        for (int column = 0; column < board->width / 20; column++) {
            if (column != skipColumn)
                at(column, row, column % 2);
        }
    }
    void killRows() { collisionTetrisCheckForKill(board, board->score); }
    void killColors() { collisionColorCheckForKill(board, board->score); }

    // Every stack cell as (column, row, colour), sorted, to compare whole stacks.
    std::vector<std::vector<int>> cells() const
    {
        std::vector<std::vector<int>> all;
        for (int i = 0; i < board->stack->count; i++) {
            Block *b = board->stack->blocks[i];
            all.push_back({(b->x - board->x) / 20, (b->y - board->y) / 20, b->color});
        }
        std::sort(all.begin(), all.end());
        return all;
    }
    bool has(int column, int row, int color) const
    {
        auto all = cells();
        return std::find(all.begin(), all.end(), std::vector<int>{column, row, color}) != all.end();
    }
};

struct Placed {
    Block *block;
    int x;
    int y;
};

} // namespace

TEST(TetrisKill, FullRowGoesAndEverythingAboveDropsOneRowKeepingItsShape)
{
    Board game(0);
    std::vector<Placed> above;
    auto keep = [&](int column, int row) {
        Block *b = game.at(column, row, 3);
        above.push_back({b, b->x, b->y});
    };
    keep(0, 18);
    keep(0, 17);
    game.fullRow(19);
    keep(3, 18);
    keep(5, 16); // over a two-row gap: still drops exactly one row
    keep(15, 0);

    game.killRows();

    ASSERT_EQ(game.board->stack->count, static_cast<int>(above.size()));
    for (const Placed &p : above) {
        EXPECT_EQ(p.block->x, p.x);
        EXPECT_EQ(p.block->y, p.y + 20);
    }
    EXPECT_EQ(playCount(blockKilled), 1);
    EXPECT_EQ(game.board->fallDelay, 79);
    EXPECT_EQ(game.board->score->points, 6);
}

TEST(TetrisKill, RowsSeventeenAndNineteenGoAndRowEighteenDropsIntoNineteen)
{
    Board game(0);
    for (int column : {0, 3, 4, 9, 15})
        game.at(column, 18, 2);
    game.fullRow(19);
    game.fullRow(17, -1);
    for (int column : {1, 3})
        game.at(column, 16, 3);
    game.at(7, 10, 3);

    game.killRows();

    std::vector<std::vector<int>> expected;
    for (int column : {0, 3, 4, 9, 15})
        expected.push_back({column, 19, 2});
    for (int column : {1, 3})
        expected.push_back({column, 18, 3});
    expected.push_back({7, 12, 3});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(game.cells(), expected);
    EXPECT_EQ(playCount(blockKilled), 2);
    EXPECT_EQ(game.board->fallDelay, 78);
    EXPECT_EQ(game.board->score->points, 16);
}

TEST(TetrisKill, FifteenBlocksAreNotARow)
{
    Board game(0);
    game.fullRow(19, 7);
    game.fullRow(18, 0);
    game.at(4, 17, 1);
    auto before = game.cells();

    game.killRows();

    EXPECT_EQ(game.cells(), before);
    EXPECT_EQ(playCount(blockKilled), 0);
    EXPECT_EQ(game.board->fallDelay, 80);
    EXPECT_EQ(game.board->score->points, 0);
}

TEST(TetrisKill, FourRowsAtOnceScoreFortyAndSpeedUpByFour)
{
    Board game(0);
    for (int row = 16; row < 20; row++)
        game.fullRow(row);
    game.at(2, 15, 3);
    game.at(2, 14, 1);

    game.killRows();

    std::vector<std::vector<int>> expected = {{2, 18, 1}, {2, 19, 3}};
    EXPECT_EQ(game.cells(), expected);
    EXPECT_EQ(playCount(blockKilled), 4);
    EXPECT_EQ(game.board->fallDelay, 76);
    EXPECT_EQ(game.board->score->points, 40);
}

TEST(TetrisKill, RowWidthTopAndFloorComeFromTheBoard)
{
    // A board of 8 columns and 10 rows at (0, 0): 8 blocks make a row.
    Board game(0, 0, 0, 160, 200);
    game.fullRow(9);
    game.fullRow(0);
    game.at(1, 8, 3);

    game.killRows();

    std::vector<std::vector<int>> expected = {{1, 9, 3}};
    EXPECT_EQ(game.cells(), expected);
    EXPECT_EQ(game.board->score->points, 16);
}

TEST(TetrisKill, RemovalLooksAgainAtTheSlotTheLastBlockMovedInto)
{
    Board game(0);
    game.at(0, 5);
    Block *other = game.at(0, 6);
    game.at(1, 5);
    game.at(2, 5);

    collisionTetrisKillBlocks(game.board, game.board->y + 5 * 20);

    ASSERT_EQ(game.board->stack->count, 1);
    EXPECT_EQ(game.board->stack->blocks[0], other);
}

TEST(ColorKill, LineOfFourAcrossOrDownVanishes)
{
    Board across(1);
    across.fill({{3, 19}, {4, 19}, {5, 19}, {6, 19}}, 2);
    across.fill({{2, 19}, {7, 19}, {4, 18}}, 1);
    across.at(7, 18, 2); // touches the line's end only diagonally
    across.killColors();
    std::vector<std::vector<int>> survivors = {{2, 19, 1}, {4, 18, 1}, {7, 18, 2}, {7, 19, 1}};
    EXPECT_EQ(across.cells(), survivors);
    EXPECT_EQ(across.board->score->points, 6);
    EXPECT_EQ(playCount(blockKilled), 1);
    EXPECT_EQ(across.board->fallDelay, 79);

    Board down(1);
    down.fill({{10, 16}, {10, 17}, {10, 18}, {10, 19}}, 0);
    down.at(11, 19, 1);
    down.killColors();
    survivors = {{11, 19, 1}};
    EXPECT_EQ(down.cells(), survivors);
    EXPECT_EQ(down.board->score->points, 6);
}

TEST(ColorKill, DiagonalsSquaresAndShortLinesSurvive)
{
    const std::vector<std::pair<const char *, Cells>> shapes = {
        {"diagonal of four", {{0, 16}, {1, 17}, {2, 18}, {3, 19}}},
        {"2 x 2 square", {{4, 18}, {5, 18}, {4, 19}, {5, 19}}},
        {"square with a fifth in line", {{4, 18}, {5, 18}, {4, 19}, {5, 19}, {6, 19}}},
        {"3 x 3 square",
         {{0, 17}, {1, 17}, {2, 17}, {0, 18}, {1, 18}, {2, 18}, {0, 19}, {1, 19}, {2, 19}}},
        {"L with arms of three", {{8, 17}, {8, 18}, {8, 19}, {9, 19}, {10, 19}}},
        {"line of four broken by a gap", {{0, 19}, {1, 19}, {3, 19}, {4, 19}, {2, 18}}},
    };
    for (const auto &[name, cells] : shapes) {
        Board game(1);
        game.fill(cells, 3);
        // A fourth cell in line, but of another colour.
        game.fill({{12, 19}, {13, 19}, {14, 19}}, 0);
        game.at(15, 19, 1);
        auto before = game.cells();

        game.killColors();

        EXPECT_EQ(game.cells(), before) << name;
        EXPECT_EQ(game.board->score->points, 0) << name;
        EXPECT_EQ(game.board->fallDelay, 80) << name;
        EXPECT_EQ(playCount(blockKilled), 0) << name;
    }
}

TEST(ColorKill, TheWholeConnectedGroupGoes)
{
    Board tee(1);
    tee.fill({{2, 18}, {3, 18}, {4, 18}, {5, 18}, {3, 19}}, 1);
    tee.at(4, 19, 0);
    tee.killColors();
    std::vector<std::vector<int>> survivors = {{4, 19, 0}};
    EXPECT_EQ(tee.cells(), survivors);
    EXPECT_EQ(tee.board->score->points, 10);

    Board six(1);
    six.fill({{4, 19}, {5, 19}, {6, 19}, {7, 19}, {4, 18}, {7, 18}}, 2);
    six.at(8, 17, 2);
    six.at(5, 18, 3);
    six.killColors();
    survivors = {{5, 18, 3}, {8, 17, 2}};
    EXPECT_EQ(six.cells(), survivors);
    EXPECT_EQ(six.board->score->points, 14);
    EXPECT_EQ(playCount(blockKilled), 1);
    EXPECT_EQ(six.board->fallDelay, 79);
}

TEST(ColorKill, TwoGroupsInOneCheckScoreAsOne)
{
    Board game(1);
    game.fill({{0, 19}, {1, 19}, {2, 19}, {3, 19}}, 0);
    game.fill({{10, 16}, {10, 17}, {10, 18}, {10, 19}}, 1);
    game.at(5, 19, 0);

    game.killColors();

    std::vector<std::vector<int>> survivors = {{5, 19, 0}};
    EXPECT_EQ(game.cells(), survivors);
    EXPECT_EQ(playCount(blockKilled), 2);
    EXPECT_EQ(game.board->fallDelay, 78);
    EXPECT_EQ(game.board->score->points, 25) << "8 blocks together, not 6 + 6";
}

TEST(ColorKill, BlocksAboveARemovedGroupStayFloating)
{
    Board game(1);
    game.fill({{5, 19}, {6, 19}, {7, 19}, {8, 19}}, 2);
    game.at(6, 18, 0);
    game.at(7, 17, 1);

    game.killColors();

    std::vector<std::vector<int>> survivors = {{6, 18, 0}, {7, 17, 1}};
    EXPECT_EQ(game.cells(), survivors);
}

TEST(ColorDeadBlock, TheEndOfALineFirstInSlotOrder)
{
    Board game(1);
    EXPECT_EQ(collisionGetColorDeadBlock(game.board), nullptr);

    game.at(2, 19, 1);
    game.at(0, 19, 1);
    Block *rightEnd = game.at(3, 19, 1);
    EXPECT_EQ(collisionGetColorDeadBlock(game.board), nullptr) << "three are not a line";
    game.at(1, 19, 1);
    EXPECT_EQ(collisionGetColorDeadBlock(game.board), rightEnd);

    Board standing(1);
    Block *bottomEnd = standing.at(9, 18, 2);
    standing.fill({{9, 15}, {9, 16}, {9, 17}}, 2);
    standing.at(9, 19, 0);
    EXPECT_EQ(collisionGetColorDeadBlock(standing.board), bottomEnd);

    // In a line of five the fourth and fifth both qualify: the lower slot wins.
    Board five(1);
    five.fill({{0, 19}, {1, 19}, {2, 19}}, 3);
    Block *fifth = five.at(4, 19, 3);
    five.at(3, 19, 3);
    EXPECT_EQ(collisionGetColorDeadBlock(five.board), fifth);
}

TEST(ColorKillBlocks, FloodFillsThroughTurnsAndCountsOnTop)
{
    Board game(1);
    // A winding group added out of order, so the fill must rescan after each branch.
    Block *start = game.at(6, 19, 1);
    game.fill({{3, 16}, {5, 18}, {3, 17}, {4, 17}, {5, 19}, {4, 18}, {2, 16}, {7, 19}}, 1);
    game.at(6, 18, 2);
    game.at(8, 18, 1); // diagonal to the group only
    int counter = 3;

    collisionColorKillBlocks(game.board, start, &counter);

    EXPECT_EQ(counter, 3 + 9);
    std::vector<std::vector<int>> survivors = {{6, 18, 2}, {8, 18, 1}};
    EXPECT_EQ(game.cells(), survivors);
}

TEST(BlockNeighbours, OnlyTheFourSidesCount)
{
    installTestTheme();
    Block *a = newBlock(nullptr, 200, 200, 0);
    const std::vector<std::pair<std::pair<int, int>, int>> cases = {
        {{220, 200}, 1}, {{180, 200}, 1}, {{200, 220}, 1}, {{200, 180}, 1},
        {{220, 220}, 0}, {{180, 180}, 0}, {{200, 200}, 0}, {{240, 200}, 0}, {{200, 160}, 0},
    };
    for (const auto &[cell, near] : cases) {
        Block *b = newBlock(nullptr, cell.first, cell.second, 0);
        EXPECT_EQ(blockIsNear(a, b), near) << cell.first << ", " << cell.second;
        destroyBlock(b);
    }
    destroyBlock(a);
}
