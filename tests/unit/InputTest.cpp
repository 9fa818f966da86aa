// In-game keys over a real board: the live key table in, piece moves out, with the
// repeat countdowns and the fall key's release rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CollisionSystem.h"
#include "Input.h"
#include "MainLoop.h"
#include "TestAllegro.h"

namespace {

struct Hold {
    std::vector<int> keys;
    // One letter a tick for what the piece did: Left, Right, Turned, Down, landed (X), or '.'.
    std::string trace;
};

struct Case {
    const char *name;
    int column, row;
    std::vector<Hold> holds;
};

std::string play(TestBoard &game, const Hold &hold)
{
    for (int code : hold.keys)
        key[code] = 1;
    std::string trace;
    for (size_t tick = 0; tick < hold.trace.size(); tick++) {
        const Cells before = game.pieceCells();
        const int rotation = game.board->tetraBlock->rotation, landed = game.board->stack->count;
        input();
        const std::pair<Cells, char> moves[] = {{before, '.'}, {shifted(before, -20, 0), 'L'},
                                                {shifted(before, 20, 0), 'R'}, {shifted(before, 0, 20), 'D'}};
        char what = game.board->stack->count != landed ? 'X' : rotation != game.board->tetraBlock->rotation ? 'T' : '?';
        for (const auto &[cells, letter] : moves)
            what = what == '?' && game.pieceCells() == cells ? letter : what;
        trace += what;
    }
    for (int code : hold.keys)
        key[code] = 0;
    return trace;
}

} // namespace

TEST(InputKeys, RepeatCountdownsAndTheFallKeysRelease)
{
    // A row of four (type 6) anchored at the cell.
    const Case cases[] = {
        {"held sideways: at once, then every fifth tick", 6, 5,
         {{{KEY_LEFT}, "L....L....L"}, {{KEY_RIGHT}, "....R....R"}}},
        {"both sideways keys: right wins", 6, 5, {{{KEY_LEFT, KEY_RIGHT}, "R"}}},
        {"the other way within the countdown waits for it", 6, 5, {{{KEY_RIGHT}, "R"}, {{KEY_LEFT}, "....L"}}},
        {"blocked at the wall: tried every tick, no countdown", 0, 5, {{{KEY_LEFT}, "..."}, {{KEY_RIGHT}, "R"}}},
        {"held turn key: every tenth tick", 6, 5, {{{KEY_X}, "T.........T.........T"}, {{KEY_Z}, ".........T"}}},
        {"held fall key: every tick, not into the next piece", 6, 17,
         {{{KEY_DOWN}, "DDX.."}, {{}, "."}, {{KEY_DOWN}, "D"}}},
    };
    for (const Case &c : cases) {
        TestBoard game;
        game.setPiece(6, c.column, c.row);
        for (const Hold &hold : c.holds)
            EXPECT_EQ(play(game, hold), hold.trace) << c.name;
    }
}

TEST(InputKeys, ReboundKeyReplacesTheDefaultAndEscapeEndsTheGame)
{
    TestBoard game;
    game.setPiece(6, 6, 5);
    inputMoveLeft = KEY_A;
    EXPECT_EQ(play(game, {{KEY_LEFT}, "."}), ".");
    EXPECT_EQ(play(game, {{KEY_A}, "L"}), "L");
    inputMoveLeft = KEY_LEFT;

    EXPECT_EQ(endGame, 0);
    play(game, {{KEY_ESC}, "."});
    EXPECT_NE(endGame, 0);
}
