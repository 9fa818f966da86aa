// The rules of play on a real board: what the board allows a piece, what a landing
// does, gravity, the kill rules and their points, the pieces' turns.
#include <optional>

#include "Support.h"

// A step as the board rules on it, and as the piece takes it on its own once allowed.
struct Step {
    int (*ruled)(CollisionSystem *);
    void (*bare)(TetraBlock *);
};
static const Step left = {collisionTetraBlockMoveLeft, tetraBlockMoveLeft}, right = {collisionTetraBlockMoveRight, tetraBlockMoveRight};
static const Step turnRight = {collisionTetraBlockRotateRight, tetraBlockRotateRight};
static const Step turnLeft = {collisionTetraBlockRotateLeft, tetraBlockRotateLeft};

TEST(BoardRuling, AStepIsTakenWholeOrRefusedWithNothingChanged)
{
    // Type 6 is a row of four, stood on end by a right turn about its second block; type 0
    // a bar of three over one cell at its right end; type 3 two cells over the two left of them.
    struct Case {
        const char *stack = "";
        int type = 6, column, row;
        bool standing = false;
        Step step;
        bool taken;
    };
    const Case cases[] = {
        {.column = 0, .row = 19, .step = left, .taken = false},
        {.column = 1, .row = 19, .step = left, .taken = true},
        {.column = 12, .row = 19, .step = right, .taken = false},
        {.column = 11, .row = 19, .step = right, .taken = true},
        {.stack = ".......0", .type = 0, .column = 4, .row = 18, .step = right, .taken = false},
        {.stack = ".....0", .type = 0, .column = 4, .row = 18, .step = left, .taken = false},
        {.stack = "/.......0", .type = 0, .column = 4, .row = 17, .step = right, .taken = true},
        {.column = 14, .row = 10, .standing = true, .step = turnRight, .taken = false},
        {.column = -1, .row = 10, .standing = true, .step = turnLeft, .taken = false},
        {.stack = "......0/", .column = 5, .row = 17, .step = turnLeft, .taken = false},
        // A turn may end on the bottom row, and not below it.
        {.column = 5, .row = 17, .step = turnRight, .taken = true},
        {.column = 5, .row = 18, .step = turnRight, .taken = false},
        {.type = 3, .column = 5, .row = 17, .step = turnLeft, .taken = true},
        {.type = 3, .column = 5, .row = 18, .step = turnLeft, .taken = false},
        // At the spawn a turn may lift cells above the top edge, whatever lies further down its column.
        {.stack = ".........0", .column = 8, .row = 0, .step = turnRight, .taken = true},
    };
    for (const Case &c : cases) {
        TestBoard game;
        game.stack(c.stack);
        game.setPiece(c.type, c.column, c.row);
        TetraBlock *alone = newTetraBlock(c.type, 160 + 20 * c.column, 40 + 20 * c.row);
        for (TetraBlock *piece : {game.board->tetraBlock, alone})
            if (c.standing)
                tetraBlockRotateRight(piece);
        if (c.taken)
            c.step.bare(alone);
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        EXPECT_EQ(c.step.ruled(game.board), c.taken);
        EXPECT_EQ(std::pair(game.board->tetraBlock->rotation, cellsOf(game.board->tetraBlock)), std::pair(alone->rotation, cellsOf(alone)));
        destroyTetraBlock(alone);
    }
}

// The piece the seed's next draws make at the spawn: shape first, then a colour per block, each with its image.
static void expectFreshPiece(const TestBoard &game, unsigned seed)
{
    srand(seed);
    TetraBlock *expected = newTetraBlock(rand() % 7, 320, 40);
    for (int i = 0; i < 4; i++) {
        const Block *block = game.board->tetraBlock->blocks[i], *drawn = expected->blocks[i];
        EXPECT_EQ(std::tuple(block->x, block->y, block->color, static_cast<void *>(block->image)),
                  std::tuple(drawn->x, drawn->y, drawn->color, allData[drawn->color].dat));
    }
    destroyTetraBlock(expected);
}

TEST(BoardLanding, BlocksJoinTheStackWithTheirSoundThenTheNextPieceSpawns)
{
    srand(4242);
    TestBoard game;
    expectFreshPiece(game, 4242);
    game.stack(".....1//");
    game.setPiece(2, 5, 15, 3);
    const Cells start = cellsOf(game.board->tetraBlock);
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(cellsOf(game.board->tetraBlock, 0, -20), start) << "a free step only moves down";
    EXPECT_EQ(std::tuple(game.board->stack->count, downControl, plays.size()), std::tuple(1, 0, 0u));
    srand(99);
    collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(game.picture(4, 8), ".....33./.....133/......../........");
    EXPECT_EQ(plays, std::vector<const SAMPLE *>{fallBlock});
    EXPECT_EQ(std::pair(downControl, endGame), std::pair(1, 0));
    expectFreshPiece(game, 99);
}

TEST(BoardLanding, TheNextPieceIsTriedBeforeTheGameTypesKill)
{
    // A row of four spawns in the top row only, onto two blockers that would have dropped had the full row gone first.
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
        SCOPED_TRACE(testing::Message() << "game type " << gameType);
        EXPECT_EQ(game.picture(20, 16).substr(0, 33), color ? "........23....../................" : "................/........23......");
        EXPECT_EQ(game.picture(1, 16), color ? "....010101010101" : "................");
        EXPECT_EQ(std::tuple(endGame, game.board->score->points, std::count(plays.begin(), plays.end(), blockKilled)), std::tuple(1, 6, 1));
    }
}

TEST(BoardGravity, FallsOnlyPastTheDelayAndOneStepAtATime)
{
    TestBoard game;
    game.setPiece(4, 7, 3);
    const Cells start = cellsOf(game.board->tetraBlock);
    // The counter at a tick, and the delay if not the fresh board's.
    struct Tick {
        int counter;
        std::optional<int> delay = {};
        bool falls;
    };
    const Tick ticks[] = {
        {.counter = 80, .falls = false},
        {.counter = 81, .falls = true},
        {.counter = 5000, .falls = true},
        {.counter = 0, .delay = -1, .falls = true},
    };
    int rows = 0;
    for (const auto &[counter, delay, falls] : ticks) {
        fallingBlockTimer = counter;
        game.board->fallDelay = delay.value_or(game.board->fallDelay);
        updateCollision(game.board);
        rows += falls;
        EXPECT_EQ(cellsOf(game.board->tetraBlock, 0, -20 * rows), start) << counter << " ticks";
        EXPECT_EQ(fallingBlockTimer, falls ? 0 : counter) << counter << " ticks";
    }
}

TEST(KillRules, FullRowsGoWithAllAboveAndColourLinesOfFourTakeTheirGroup)
{
    // One kill check of the game type: the stack before and after, its kill sounds and points.
    struct Kill {
        int gameType = 0;
        const char *before, *after;
        int sounds, points;
    };
    const Kill kills[] = {
        {.before = "..3...../......../3..3..../01010101", .after = "......../..3...../......../3..3....", .sounds = 1, .points = 6},
        {.before = ".3.3...3/01010101/2..22..2/01010101", .after = "......../......../.3.3...3/2..22..2", .sounds = 2, .points = 16},
        {.before = "01010101/01010101/..1...../01010101", .after = "......../......../......../..1.....", .sounds = 3, .points = 26},
        // Four full rows, more blocks than an array first holds.
        {.before = "..1............./0101010101010101/0101010101010101/0101010101010101/0101010101010101", .after = "................/................/................/................/..1.............", .sounds = 4, .points = 40},
        {.before = "....1.../.1010101/0101.010", .after = "....1.../.1010101/0101.010", .sounds = 0, .points = 0},
        {.gameType = 1, .before = ".2....2./.122221./.2....2.", .after = ".2....2./.1....1./.2....2.", .sounds = 1, .points = 6},
        {.gameType = 1, .before = "30/31/30/31", .after = ".0/.1/.0/.1", .sounds = 1, .points = 6},
        {.gameType = 1, .before = "....2./23.2../2222..", .after = "....2./.3..../......", .sounds = 1, .points = 14},
        {.gameType = 1, .before = "..1111/..12.1/1111.1", .after = "....../...2../......", .sounds = 1, .points = 48},
        {.gameType = 1, .before = "1...../1...../1...../1.0000", .after = "....../....../....../......", .sounds = 2, .points = 25},
        {.gameType = 1, .before = "3.......2/.3...222./..3..222./...3.222.", .after = "3.......2/.3...222./..3..222./...3.222.", .sounds = 0, .points = 0},
        {.gameType = 1, .before = "..1...0001/11.11.2223/1..333....", .after = "..1...0001/11.11.2223/1..333....", .sounds = 0, .points = 0},
    };
    for (const Kill &k : kills) {
        const size_t columns = std::string(k.before).find('/');
        ASSERT_NE(columns, std::string::npos) << k.before;
        TestBoard game(k.gameType, 20 * columns);
        game.stack(k.before);
        game.board->score->points = 1000;
        const int delay = game.board->fallDelay;
        (k.gameType == 1 ? collisionColorCheckForKill : collisionTetrisCheckForKill)(game.board, game.board->score);
        SCOPED_TRACE(k.before);
        EXPECT_EQ(game.picture(std::count(k.after, k.after + strlen(k.after), '/') + 1, columns), k.after);
        EXPECT_EQ(std::count(plays.begin(), plays.end(), blockKilled), k.sounds);
        EXPECT_EQ(std::pair(game.board->fallDelay, game.board->score->points), std::pair(delay - k.sounds, 1000 + k.points));
    }
}

// Cells of b0 to b3 from the spawn point, column then row, for every shape (one a line) and rotation state.
static const int states[7][4][8] = {
    {{0, 0, 1, 0, 2, 0, 2, 1}, {1, -1, 1, 0, 1, 1, 0, 1}, {2, 0, 1, 0, 0, 0, 0, -1}, {1, 1, 1, 0, 1, -1, 2, -1}},
    {{0, 1, 0, 0, 1, 0, 2, 0}, {0, -1, 1, -1, 1, 0, 1, 1}, {2, -1, 2, 0, 1, 0, 0, 0}, {2, 1, 1, 1, 1, 0, 1, -1}},
    {{0, 0, 1, 0, 1, 1, 2, 1}, {1, -1, 1, 0, 0, 0, 0, 1}, {2, 0, 1, 0, 1, -1, 0, -1}, {1, 1, 1, 0, 2, 0, 2, -1}},
    {{0, 1, 1, 1, 1, 0, 2, 0}, {1, 0, 1, 1, 2, 1, 2, 2}, {2, 1, 1, 1, 1, 2, 0, 2}, {1, 2, 1, 1, 0, 1, 0, 0}},
    {{0, 0, 1, 0, 1, 1, 0, 1}, {1, 0, 1, 1, 0, 1, 0, 0}, {1, 1, 0, 1, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0, 1, 1}},
    {{0, 0, 1, 0, 1, 1, 2, 0}, {1, -1, 1, 0, 0, 0, 1, 1}, {2, 0, 1, 0, 1, -1, 0, 0}, {1, 1, 1, 0, 2, 0, 1, -1}},
    {{0, 0, 1, 0, 2, 0, 3, 0}, {1, -1, 1, 0, 1, 1, 1, 2}, {2, 0, 1, 0, 0, 0, -1, 0}, {1, 1, 1, 0, 1, -1, 1, -2}},
};

TEST(PieceTurns, EveryStateMatchesTheTableTurningEitherWay)
{
    resetGame();
    for (int type = 0; type < 7; type++) {
        TetraBlock *piece = newTetraBlock(type, 320, 40);
        // A move each way and one down: the turns must not lean on the spawn point.
        for (auto move : {tetraBlockMoveLeft, tetraBlockMoveLeft, tetraBlockMoveRight, tetraBlockMoveDown})
            move(piece);
        auto expectState = [&](int state) {
            Cells cells;
            for (int i = 0; i < 4; i++)
                cells.emplace_back(300 + 20 * states[type][state][2 * i], 60 + 20 * states[type][state][2 * i + 1]);
            EXPECT_EQ(std::pair(piece->rotation, cellsOf(piece)), std::pair(state, cells)) << "type " << type;
        };
        expectState(0);
        // Right turns through every state and back to the first, then left ones the other way.
        for (auto [turn, step] : {std::pair{&tetraBlockRotateRight, 1}, {tetraBlockRotateLeft, 3}})
            for (int turns = 1; turns <= 4; turns++) {
                turn(piece);
                expectState(step * turns % 4);
            }
        destroyTetraBlock(piece);
    }
}
