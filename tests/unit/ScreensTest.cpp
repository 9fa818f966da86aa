// What the player sees and does, played with scripted keys onto a memory screen: the
// menus, the playfield, the keys of a game, its pause and its end.
#include <cstdint>

#include "Support.h"

static const int white = makecol24(255, 255, 255), lit = makecol24(4, 217, 158), dim = makecol24(223, 36, 134);
static const size_t noneLit = SIZE_MAX;

static bool showsText(BITMAP *bitmap, FONT *font, const std::string &text, int x, int y, int color)
{
    BITMAP *expected = create_bitmap(640, 480);
    clear_bitmap(expected);
    textout_centre_ex(expected, font, text.c_str(), x, y, color, -1);
    const int width = text_length(font, text.c_str()), left = x - width / 2;
    bool same = true;
    for (int py = y; py < y + text_height(font); py++)
        for (int px = left; px < left + width; px++)
            same = same && getpixel(bitmap, px, py) == getpixel(expected, px, py);
    destroy_bitmap(expected);
    return same;
}

// The 20 x 20 cell at (x, y) all of that colour.
static bool cellIs(BITMAP *bitmap, int x, int y, int color)
{
    for (int i = 0; i < 400; i++)
        if (getpixel(bitmap, x + i % 20, y + i / 20) != color)
            return false;
    return true;
}

// Rows from `top`, `step` apart, centred on the screen; the highlighted one lit.
static void expectRows(BITMAP *shot, FONT *font, const std::vector<std::string> &rows, int top, int step,
                       size_t highlighted, int color = dim)
{
    for (size_t i = 0; i < rows.size(); i++)
        EXPECT_TRUE(showsText(shot, font, rows[i], 320, top + step * i, i == highlighted ? lit : color)) << rows[i];
}

TEST(Session, ThroughEveryMenuToAGameAndExit)
{
    TempDir folder;
    resetGame();
    const std::vector<int> scores = {90210, 4711, 256, 40, 6, 3, 1, -3, -45, -2147483647};
    std::ofstream("highscore.dat", std::ios::binary).write(reinterpret_cast<const char *>(scores.data()), 40);
    timeControl = 1;
    // The presses 0 to 29, phase by phase; shot n is the screen that press n met.
    auto shots = playKeys({
        // 0-3 title: Down to "Options", then keys that change nothing: Up and Down at once, keypad Enter, Escape
        {KEY_DOWN}, {KEY_UP, KEY_DOWN}, {KEY_ENTER_PAD}, {KEY_ESC},
        // 4-12 options: open, sound off, Down, A for "Move.Left", Up twice to "Back", Escape that stays, "Back"
        {KEY_ENTER}, {KEY_ENTER}, {KEY_DOWN}, {KEY_ENTER}, {KEY_A}, {KEY_UP}, {KEY_UP}, {KEY_ESC}, {KEY_ENTER},
        // 13-15 high scores: Down, open, any key closes
        {KEY_DOWN}, {KEY_ENTER}, {KEY_ESC},
        // 16-22 game types: Up twice to "Start.Game", open, Up, Down, Up, "Cancel"
        {KEY_UP}, {KEY_UP}, {KEY_ENTER}, {KEY_UP}, {KEY_DOWN}, {KEY_UP}, {KEY_ENTER},
        // 23-25 game: open the game types, "Color", Escape held as it starts, so it ends at its first tick
        {KEY_ENTER}, {KEY_DOWN}, {KEY_ENTER, KEY_ESC},
        // 26-27 its end: "Game Over!", the congratulation
        {KEY_SPACE}, {KEY_SPACE},
        // 28-29 exit: Up to "Exit", take it
        {KEY_UP}, {KEY_ENTER}}, startScreen);
    // (shot, item lit): the flow itself shows that other keys and the sub-screens leave the highlight be.
    const int titles[][2] = {{0, 0}, {1, 1}, {2, 1}, {17, 1}, {29, 3}};
    for (auto [shot, item] : titles) {
        SCOPED_TRACE(testing::Message() << "title " << shot);
        expectRows(shots[shot], comicMedium, {"Start.Game", "Options", "Highscores", "Exit"}, 160, 80, item);
    }
    // Once Move.Left took A, each row shows its own key.
    std::vector<std::string> options = {"Sound: Off"};
    for (auto [label, code] : {std::pair{"Move.Left: ", KEY_A}, {"Move.Right: ", KEY_RIGHT}, {"Rotate.Left: ", KEY_Z},
                               {"Rotate.Right: ", KEY_X}, {"Fall.Down: ", KEY_DOWN}, {"Pause.Game: ", KEY_SPACE}})
        options.push_back(label + std::string(scancode_to_name(code)));
    expectRows(shots[9], comicSmall, options, 165, 30, 1);
    std::vector<std::string> rows;
    for (int score : scores)
        rows.push_back(std::to_string(score));
    expectRows(shots[15], comicSmall, rows, 160, 25, noneLit, white);
    const int choices[][2] = {{20, 2}, {21, 0}, {24, 0}, {25, 1}}; // (shot, choice lit)
    for (auto [shot, choice] : choices) {
        SCOPED_TRACE(testing::Message() << "game types " << shot);
        expectRows(shots[shot], comicMedium, {"Tetris", "Color", "Cancel"}, 165, 50, choice);
    }
    EXPECT_TRUE(showsText(shots[26], comicSmall, "Game Over!", 320, 220, white));
    EXPECT_EQ(getpixel(shots[26], 159, 39), white) << "the game's frame";
    EXPECT_TRUE(showsText(shots[27], comicSmall, "Congratulations, you have HighScored!", 320, 220, white));
    EXPECT_EQ(std::tuple(run, selection, inputMoveLeft, soundOn), std::tuple(0, 3, int(KEY_A), 0));
    EXPECT_TRUE(timers.empty() && !mainCollision);
    int answer = 9;
    playKeys({{KEY_DOWN}, {KEY_ENTER}}, [&] { answer = queryGameType(); });
    EXPECT_EQ(answer, 1) << "\"Color\" is game type 1";
}

TEST(Playfield, FrameOpenAtTheTopMiddleThenStackPieceAndScore)
{
    TestBoard game;
    game.stack("...............0" + std::string(13, '/') + "....1..2..3" + std::string(6, '/'));
    game.setPiece(4, 9, 12, 1);
    BITMAP *target = create_bitmap(640, 480);
    clear_bitmap(target);
    collisionDrawAll(target, game.board);
    // The frame goes on the buffer: a wall, the top's left part, its open middle.
    EXPECT_EQ(std::tuple(getpixel(dblbuffer, 159, 300), getpixel(dblbuffer, 240, 40), getpixel(dblbuffer, 320, 40)), std::tuple(white, white, 0));
    // (x, y, colour seen there): blocks, one over the frame, the piece over a block, an empty cell.
    const int none = -1;
    const int cells[][3] = {{240, 300, 1}, {300, 300, 2}, {460, 40, 0}, {360, 300, 1}, {260, 320, none}};
    for (auto [x, y, color] : cells)
        EXPECT_TRUE(cellIs(target, x, y, color == none ? 0 : blockColor(0, color))) << x << ", " << y;
    EXPECT_TRUE(showsText(target, comicSmall, "Score: 0", 320, 20, white));
    destroy_bitmap(target);
}

static void holding(const Press &keys, const std::function<void()> &play)
{
    for (int code : keys)
        key[code] = 1;
    play();
    for (int code : keys)
        key[code] = 0;
}

// Holds the keys for that many ticks: the piece moved Left or Right, turned l or r, went Down, landed (X) or stayed (.).
static std::string hold(TestBoard &game, const Press &keys, size_t ticks)
{
    std::string trace;
    holding(keys, [&] {
        while (trace.size() < ticks) {
            const Cells before = cellsOf(game.board->tetraBlock);
            const int rotation = game.board->tetraBlock->rotation, landed = game.board->stack->count;
            input();
            const TetraBlock *piece = game.board->tetraBlock;
            const int turn = (piece->rotation - rotation + 4) % 4;
            trace += game.board->stack->count != landed ? 'X'
                     : turn                             ? "?rxl"[turn]
                     : cellsOf(piece, 20, 0) == before  ? 'L'
                     : cellsOf(piece, -20, 0) == before ? 'R'
                     : cellsOf(piece, 0, -20) == before ? 'D'
                                                        : '.';
        }
    });
    return trace;
}

TEST(GameKeys, HeldKeysRepeatOnTheirCountdownsAndTheFallKeyWaitsForRelease)
{
    // The column and row of a row of four, then the keys held and what the piece did; right goes before left.
    const std::tuple<int, int, std::vector<std::pair<Press, std::string>>> cases[] = {
        {6, 5, {{{KEY_LEFT}, "L....L....L"}, {{KEY_RIGHT}, "....R....R"}}},
        {6, 5, {{{KEY_LEFT, KEY_RIGHT}, "R....R"}, {{KEY_Z, KEY_X}, "r.........r"}}},
        {6, 5, {{{KEY_RIGHT}, "R"}, {{KEY_LEFT}, "....L"}, {{KEY_Z}, "l"}}},
        {0, 5, {{{KEY_LEFT}, "..."}, {{KEY_RIGHT}, "R"}}},
        {6, 17, {{{KEY_DOWN}, "DDX.."}, {{}, "."}, {{KEY_DOWN}, "D"}}},
    };
    for (const auto &c : cases) {
        TestBoard game;
        game.setPiece(6, std::get<0>(c), std::get<1>(c));
        for (const auto &[keys, trace] : std::get<2>(c))
            EXPECT_EQ(hold(game, keys, trace.size()), trace) << "row " << &c - cases;
    }
}

TEST(GameKeys, ReboundKeysActInPlaceOfTheGamesOwn)
{
    TestBoard game;
    game.setPiece(6, 6, 5);
    inputMoveLeft = KEY_A;
    inputPause = KEY_P;
    EXPECT_EQ(hold(game, {KEY_LEFT, KEY_SPACE}, 1) + hold(game, {KEY_A}, 1), ".L");
    auto shots = playKeys({{KEY_ENTER}}, [&] { hold(game, {KEY_P}, 1); });
    EXPECT_TRUE(showsText(shots[0], comicSmall, "Game Paused", 320, 220, white));
}

TEST(GameLoop, RunsEveryDueTickKeysFirstThenDrawsOneFrame)
{
    TestBoard game;
    // A row of four on the floor, with gravity due: the left key moves it before it lands.
    game.setPiece(6, 6, 19, 0);
    fallingBlockTimer = 1000;
    timeControl = 3;
    holding({KEY_LEFT, KEY_ESC}, gameLoop);
    EXPECT_EQ(game.picture(1, 16), ".....0000.......");
    EXPECT_EQ(timeControl, 0) << "every due tick runs, though the first ended the game";
    timeControl = 2;
    holding({KEY_ESC}, gameLoop);
    EXPECT_EQ(timeControl, 0) << "the next game runs as well";
    EXPECT_EQ(std::pair(getpixel(screen, 159, 39), getpixel(dblbuffer, 159, 39)), std::pair(white, 0)) << "one frame shown";
}

TEST(GameEnd, GameOverAndNoCongratulationForAScoreThatDoesNotEnter)
{
    TempDir folder;
    resetGame();
    mainCollision = newCollisionSystem(0, 160, 40, 320, 400);
    timers = {timerControl, increaseFallingBlockTimer};
    endGame = 1;
    auto shots = playKeys({{KEY_SPACE}}, mainLoop);
    EXPECT_TRUE(showsText(shots[0], comicSmall, "Game Over!", 320, 220, white));
    EXPECT_TRUE(timers.empty() && !mainCollision && !std::filesystem::exists("highscore.dat"));
}
