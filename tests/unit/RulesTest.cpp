// The rules of play on a real board: what the board allows a piece, what a landing
// does, gravity, the kill rules and their points, the pieces' turns, block arrays.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <utility>

#include "Support.h"

TEST(BoardRuling, RefusedMovesAndTurnsChangeNothing)
{
    using Ruling = int (*)(CollisionSystem *);
    const Ruling left = collisionTetraBlockMoveLeft, right = collisionTetraBlockMoveRight;
    const Ruling turnRight = collisionTetraBlockRotateRight, turnLeft = collisionTetraBlockRotateLeft;
    // Type 6 is a row of four, stood on end by a right turn about b1; type 0 a bar of
    // three over one cell at its right end. `dx` is the step the ruling makes, 0 if refused.
    struct Case {
        const char *stack;
        int type, column, row;
        bool standing;
        Ruling ruling;
        int dx;
    };
    const Case cases[] = {
        {"", 6, 0, 19, false, left, 0},
        {"", 6, 1, 19, false, left, -20},
        {"", 6, 12, 19, false, right, 0},
        {"", 6, 11, 19, false, right, 20},
        {".......0", 0, 4, 18, false, right, 0},
        {".....0", 0, 4, 18, false, left, 0},
        {"/.......0", 0, 4, 17, false, right, 20},
        {"", 6, 14, 10, true, turnRight, 0},
        {"", 6, -1, 10, true, turnLeft, 0},
        {"", 6, 5, 19, false, turnRight, 0},
        {"......0/", 6, 5, 17, false, turnLeft, 0},
    };
    for (const auto &[stack, type, column, row, standing, ruling, dx] : cases) {
        TestBoard game;
        game.stack(stack);
        game.setPiece(type, column, row);
        if (standing)
            tetraBlockRotateRight(game.board->tetraBlock);
        const Cells before = cellsOf(game.board->tetraBlock);
        const int state = game.board->tetraBlock->rotation;
        SCOPED_TRACE(testing::Message() << "type " << type << " at " << column << ", " << row);
        EXPECT_EQ(ruling(game.board), dx != 0);
        EXPECT_EQ(cellsOf(game.board->tetraBlock, -dx, 0), before);
        EXPECT_EQ(game.board->tetraBlock->rotation, state);
    }
    // At the spawn a turn may lift cells above the top edge, whatever lies further down its column.
    TestBoard game;
    game.stack(".........0");
    game.setPiece(6, 8, 0);
    EXPECT_EQ(collisionTetraBlockRotateRight(game.board), 1);
    EXPECT_EQ(game.board->tetraBlock->blocks[0]->y, 20);
}

// The piece the seed's next draws make: shape first, then a colour per block.
static void expectFreshPiece(const TestBoard &game, unsigned seed)
{
    srand(seed);
    TetraBlock *expected = newTetraBlock(rand() % 7, 320, 40);
    EXPECT_EQ(game.board->tetraBlock->type, expected->type);
    EXPECT_EQ(cellsOf(game.board->tetraBlock), cellsOf(expected));
    for (int i = 0; i < 4; i++) {
        const Block *block = game.board->tetraBlock->blocks[i];
        EXPECT_EQ(std::pair(block->color, static_cast<void *>(block->image)), std::pair(expected->blocks[i]->color, allData[block->color].dat));
    }
    destroyTetraBlock(expected);
}

TEST(BoardLanding, BlocksJoinTheStackInOrderWithTheirSoundThenTheNextPieceSpawns)
{
    srand(4242);
    TestBoard game;
    expectFreshPiece(game, 4242);
    game.stack(".....1//");
    game.setPiece(2, 5, 15);
    const Cells start = cellsOf(game.board->tetraBlock);
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(cellsOf(game.board->tetraBlock, 0, -20), start) << "a free step only moves down";
    EXPECT_EQ(game.board->stack->count + downControl + plays.size(), 1u);
    const std::vector<Block *> landing(game.board->tetraBlock->blocks, game.board->tetraBlock->blocks + 4);
    srand(99);
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(std::vector<Block *>(game.board->stack->blocks + 1, game.board->stack->blocks + 5), landing);
    EXPECT_EQ(plays, std::vector<const SAMPLE *>{fallBlock});
    EXPECT_EQ(std::pair(downControl, endGame), std::pair(1, 0));
    expectFreshPiece(game, 99);
}

TEST(BoardLanding, TheNextPieceIsTriedBeforeTheGameTypesKill)
{
    // A row of four spawns in the top row only, onto two blockers; they would have
    // dropped out of its way had the full row gone first.
    unsigned seed = 1;
    for (srand(seed); rand() % 7 != 6; srand(++seed))
        ;
    for (int gameType : {0, 1, 2}) {
        TestBoard game(gameType);
        game.stack("........23" + std::string(19, '/') + "....010101010101");
        game.setPiece(6, 0, 19, 3);
        srand(seed);
        collisionTetraBlockFallDown(game.board);
        // "Color" (1) takes the bar of one colour; any other type the full row.
        const bool color = gameType == 1;
        EXPECT_EQ(game.picture(20, 16).substr(0, 33), color ? "........23....../................" : "................/........23......");
        EXPECT_EQ(game.picture(1, 16), color ? "....010101010101" : "................");
        EXPECT_EQ(std::tuple(endGame, game.board->score->points, std::count(plays.begin(), plays.end(), blockKilled)), std::tuple(1, 6, 1));
    }
}

TEST(BoardGravity, FallsOnlyPastTheDelayAndOneStepAtATime)
{
    TestBoard game;
    EXPECT_EQ(game.board->fallDelay, 80);
    game.setPiece(4, 7, 3);
    const Cells start = cellsOf(game.board->tetraBlock);
    // (counter at the tick, fall delay, counter after it, rows fallen by then)
    const int ticks[][4] = {
        {80, 80, 80, 0},
        {81, 80, 0, 1},
        {5000, 80, 0, 2},
        {0, -1, 0, 3},
    };
    for (const auto &[counter, delay, after, rows] : ticks) {
        fallingBlockTimer = counter;
        game.board->fallDelay = delay;
        updateCollision(game.board);
        EXPECT_EQ(cellsOf(game.board->tetraBlock, 0, -20 * rows), start) << counter << " ticks, delay " << delay;
        EXPECT_EQ(fallingBlockTimer, after) << counter << " ticks, delay " << delay;
    }
}

TEST(KillRules, FullRowsGoWithAllAboveAndColourLinesOfFourTakeTheirGroup)
{
    // The stack before and after one kill check of the game type, its kill sounds and points.
    struct Kill {
        int gameType;
        const char *before, *after;
        int sounds, points;
    };
    const Kill kills[] = {
        {0, "..3...../......../3..3..../01010101", "......../..3...../......../3..3....", 1, 6},
        {0, ".3.3...3/01010101/2..22..2/01010101", "......../......../.3.3...3/2..22..2", 2, 16},
        {0, "01010101/01010101/..1...../01010101", "......../......../......../..1.....", 3, 26},
        {0, "..1...../01010101/01010101/01010101/01010101", "......../......../......../......../..1.....", 4, 40},
        {0, "....1.../.1010101/0101.010", "....1.../.1010101/0101.010", 0, 0},
        {1, ".2....2./.122221./.2....2.", ".2....2./.1....1./.2....2.", 1, 6},
        {1, "30/31/30/31", ".0/.1/.0/.1", 1, 6},
        {1, "....2./23.2../2222..", "....2./.3..../......", 1, 14},
        {1, "..1111/..12.1/1111.1", "....../...2../......", 1, 48},
        {1, "1...../1...../1...../1.0000", "....../....../....../......", 2, 25},
        {1, "3.......2/.3...222./..3..222./...3.222.", "3.......2/.3...222./..3..222./...3.222.", 0, 0},
        {1, "..1...0001/11.11.2223/1..333....", "..1...0001/11.11.2223/1..333....", 0, 0},
    };
    for (const auto &[gameType, before, after, sounds, points] : kills) {
        const int columns = std::string(before).find('/');
        TestBoard game(gameType, 20 * columns);
        game.stack(before);
        game.board->score->points = 1000;
        (gameType == 1 ? collisionColorCheckForKill : collisionTetrisCheckForKill)(game.board, game.board->score);
        SCOPED_TRACE(before);
        EXPECT_EQ(game.picture(std::count(after, after + strlen(after), '/') + 1, columns), after);
        EXPECT_EQ(std::count(plays.begin(), plays.end(), blockKilled), sounds);
        EXPECT_EQ(std::pair(game.board->fallDelay, game.board->score->points), std::pair(80 - sounds, 1000 + points));
    }
    // Counts no kill above gives: (count, "Tetris" points, "Color" points).
    const int counts[][3] = {
        {0, 0, 0},
        {5, 5, 10},
    };
    for (auto [count, rows, blocks] : counts)
        EXPECT_EQ(std::pair(scoreCalculateTetrisPoints(count), scoreCalculateColorPoints(count)), std::pair(rows, blocks));
}

// Cells of b0 to b3 from the spawn point, column then row, for every shape (one a
// line) and rotation state.
static const int states[7][4][8] = {
    {{0, 0, 1, 0, 2, 0, 2, 1}, {1, -1, 1, 0, 1, 1, 0, 1}, {2, 0, 1, 0, 0, 0, 0, -1}, {1, 1, 1, 0, 1, -1, 2, -1}},
    {{0, 1, 0, 0, 1, 0, 2, 0}, {0, -1, 1, -1, 1, 0, 1, 1}, {2, -1, 2, 0, 1, 0, 0, 0}, {2, 1, 1, 1, 1, 0, 1, -1}},
    {{0, 0, 1, 0, 1, 1, 2, 1}, {1, -1, 1, 0, 0, 0, 0, 1}, {2, 0, 1, 0, 1, -1, 0, -1}, {1, 1, 1, 0, 2, 0, 2, -1}},
    {{0, 1, 1, 1, 1, 0, 2, 0}, {1, 0, 1, 1, 2, 1, 2, 2}, {2, 1, 1, 1, 1, 2, 0, 2}, {1, 2, 1, 1, 0, 1, 0, 0}},
    {{0, 0, 1, 0, 1, 1, 0, 1}, {1, 0, 1, 1, 0, 1, 0, 0}, {1, 1, 0, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 1, 1}},
    {{0, 0, 1, 0, 1, 1, 2, 0}, {1, -1, 1, 0, 0, 0, 1, 1}, {2, 0, 1, 0, 1, -1, 0, 0}, {1, 1, 1, 0, 2, 0, 1, -1}},
    {{0, 0, 1, 0, 2, 0, 3, 0}, {1, -1, 1, 0, 1, 1, 1, 2}, {2, 0, 1, 0, 0, 0, -1, 0}, {1, 1, 1, 0, 1, -1, 1, -2}},
};

TEST(PieceTurns, EveryStateMatchesTheTableAndOppositeTurnsUndoEachOther)
{
    resetGame();
    for (int type = 0; type < 7; type++) {
        TetraBlock *piece = newTetraBlock(type, 320, 40);
        // A move each way and one down: the turns must not lean on the spawn point.
        tetraBlockMoveLeft(piece);
        tetraBlockMoveLeft(piece);
        tetraBlockMoveRight(piece);
        tetraBlockMoveDown(piece);
        auto expectState = [&](int state) {
            Cells cells;
            for (int i = 0; i < 4; i++)
                cells.emplace_back(300 + 20 * states[type][state][2 * i], 60 + 20 * states[type][state][2 * i + 1]);
            EXPECT_EQ(std::pair(piece->rotation, cellsOf(piece)), std::pair(state, cells)) << "type " << type;
        };
        expectState(0);
        for (int state = 0; state < 4; state++) {
            for (auto [turn, next] : {std::pair{&tetraBlockRotateRight, state + 1}, {tetraBlockRotateLeft, state},
                                      {tetraBlockRotateLeft, state + 3}, {tetraBlockRotateRight, state}}) {
                turn(piece);
                expectState(next % 4);
            }
            tetraBlockRotateRight(piece);
        }
        // A state out of range turns nothing either way.
        for (auto turn : {tetraBlockRotateLeft, tetraBlockRotateRight}) {
            piece->rotation = 4;
            turn(piece);
            piece->rotation = piece->rotation == 4 ? 0 : 9;
            expectState(0);
        }
        destroyTetraBlock(piece);
    }
    srand(5);
    const int next = rand();
    srand(5);
    EXPECT_EQ(newTetraBlock(7, 320, 40), nullptr);
    EXPECT_EQ(newTetraBlock(-1, 320, 40), nullptr);
    EXPECT_EQ(rand(), next) << "a refused piece draws no colours";
}

TEST(BlockArray, GrowsByDoublingAndRemovesByMovingTheLastIntoTheFirstMatch)
{
    using Slots = std::vector<Block *>;
    Slots b;
    BlockArray *array = newBlockArray();
    for (auto [count, capacity] : {std::pair{40, 40}, {41, 80}, {81, 160}}) {
        while (int(b.size()) < count) {
            b.push_back(newBlock(nullptr, 0, 0, 0));
            blockArrayAddBlock(array, b.back());
        }
        BlockArray *clone = cloneBlockArray(array);
        for (BlockArray *each : {array, clone})
            EXPECT_EQ(std::pair(each->capacity, Slots(each->blocks, each->blocks + each->count)), std::pair(capacity, b));
        free(clone->blocks);
        free(clone);
    }
    array->count = 6;
    array->blocks[3] = b[0];
    // (block removed, what is left)
    const std::pair<Block *, Slots> steps[] = {
        {b[0], {b[5], b[1], b[2], b[0], b[4]}},
        {b[0], {b[5], b[1], b[2], b[4]}},
        {b[4], {b[5], b[1], b[2]}},
        {b[80], {b[5], b[1], b[2]}},
    };
    for (const auto &[removed, left] : steps) {
        blockArrayRemoveBlock(array, removed);
        EXPECT_EQ(Slots(array->blocks, array->blocks + array->count), left);
        EXPECT_EQ(array->blocks[array->count], nullptr) << "the vacated slot is cleared";
    }
    for (Block *block : b)
        destroyBlock(block);
    free(array->blocks);
    free(array);
}
