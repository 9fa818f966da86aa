// A game played at random with the board's invariants checked after every tick,
// for the property test and the fuzzer alike.
#include "Support.h"

// The faults of a step that landed at most one piece, on a board whose blocks all
// sit on its grid, two rows above the top at most (a turn pivots two cells away).
static std::string check(CollisionSystem *board, int landed, int killed, int gained)
{
    static const int rowPoints[5] = {0, 6, 16, 26, 40};
    std::string fault;
    if (landed > 1 || (killed && !landed) || gained < 0 || (board->gameType != 1 && gained != rowPoints[killed % 5]))
        fault += std::to_string(gained) + " points for " + std::to_string(killed) + " kills; ";
    char cells[22][16] = {};
    int perRow[20] = {};
    for (int i = 0; i < board->stack->count + 4; i++) {
        const bool stacked = i < board->stack->count;
        const Block *b = stacked ? board->stack->blocks[i] : board->tetraBlock->blocks[i - board->stack->count];
        const int column = (b->x - 160) / 20, row = (b->y - 40) / 20;
        if (b->x % 20 || b->y % 20 || column < 0 || b->x >= 160 + board->width || row >= 20 || row < -2)
            fault += "a block off the grid; ";
        else if (cells[row + 2][column]++ && (stacked || !endGame))
            fault += "two blocks in a cell; ";
        else if (stacked && row >= 0 && ++perRow[row] == board->width / 20 && board->gameType != 1)
            fault += "a full row left; ";
    }
    if (landed && board->gameType == 1 && collisionGetColorDeadBlock(board))
        fault += "a line of four left standing; ";
    return fault;
}

std::string playRandomGame(int gameType, int width, const Player &player, int ticks, int &kills)
{
    static const int keys[5] = {KEY_RIGHT, KEY_LEFT, KEY_DOWN, KEY_X, KEY_Z};
    TestBoard game(gameType, width);
    int landings = 0, points = 0;
    std::string fault;
    kills = 0;
    // After the keys and after gravity, which each land a piece at most once.
    auto step = [&] {
        const int landed = playCount(fallBlock) - landings, killed = playCount(blockKilled) - kills;
        fault += check(game.board, landed, killed, game.board->score->points - points);
        landings += landed, kills += killed, points = game.board->score->points;
        if (game.board->fallDelay != 80 - kills)
            fault += "a kill that did not speed the game up; ";
    };
    for (int tick = 0; tick < ticks && !endGame && fault.empty(); tick++) {
        const int held = player(game.board);
        for (int bit = 0; bit < 5; bit++)
            key[keys[bit]] = held >> bit & 1;
        input();
        step();
        // Once a new piece finds no room the game is over; gravity may still set it down.
        fallingBlockTimer = (held & 0xe0) == 0xe0 ? game.board->fallDelay + 1 : 0;
        updateCollision(game.board);
        if (!endGame)
            step();
    }
    for (int code : keys)
        key[code] = 0;
    return fault;
}
