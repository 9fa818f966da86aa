// Stands in for what Allegro has no driver for without a display: the screen, the keyboard
// through its hooks, and, linker-wrapped, the timers, the rests and the sound.
#include "Support.h"

#include <cstdio>

std::vector<const SAMPLE *> plays;
std::vector<void (*)()> timers;
static const std::vector<Press> *script;
static size_t pressed;
static unsigned restedMs;
static std::vector<BITMAP *> &shots = *new std::vector<BITMAP *>; // kept to the end, with the screens

extern "C" int __wrap_play_sample(const SAMPLE *sample, int, int, int, int)
{
    plays.push_back(sample);
    return 0;
}

extern "C" int __wrap_install_int_ex(void (*callback)(), long)
{
    timers.push_back(callback);
    return 0;
}

extern "C" void __wrap_remove_int(void (*callback)())
{
    timers.erase(std::remove(timers.begin(), timers.end(), callback), timers.end());
}

static void pressNext(bool buffered)
{
    if (pressed == script->size()) {
        fprintf(stderr, "the game waits for a key after the test's last\n");
        abort();
    }
    shots.push_back(create_bitmap(640, 480));
    blit(screen, shots.back(), 0, 0, 0, 0, 640, 480);
    for (int code : pressed ? (*script)[pressed - 1] : Press{})
        key[code] = 0;
    for (int code : (*script)[pressed])
        key[code] = 1;
    if (buffered)
        simulate_keypress((*script)[pressed][0] << 8);
    pressed++;
    restedMs = 0;
}

extern "C" void __wrap_rest(unsigned ms)
{
    if (script && (restedMs += ms) >= 1000)
        pressNext(true);
}

const std::vector<BITMAP *> &playKeys(const std::vector<Press> &presses, const std::function<void()> &play)
{
    for (BITMAP *shot : shots)
        destroy_bitmap(shot);
    shots.clear();
    script = &presses;
    pressed = restedMs = 0;
    install_keyboard_hooks(nullptr, [] { return pressNext(false), (*script)[pressed - 1][0] << 8; });
    play();
    for (int code : presses.back())
        key[code] = 0;
    script = nullptr;
    if (pressed < presses.size()) {
        fprintf(stderr, "the game took %zu of the test's %zu presses\n", pressed, presses.size());
        abort();
    }
    return shots;
}

int blockColor(int theme, int color)
{
    return makecol(60 + 60 * color, 200 - 150 * theme, 40 + 50 * theme * color);
}

void resetGame()
{
    static GFX_DRIVER memoryScreen;
    static KEYBOARD_DRIVER noKeys; // Allegro then names keys from its own table
    static DATAFILE themes[2][5];
    static SAMPLE *samples[2];
    if (!screen) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        set_color_depth(24);
        memoryScreen.w = 640;
        memoryScreen.h = 480;
        gfx_driver = &memoryScreen;
        keyboard_driver = &noKeys;
        screen = create_bitmap(640, 480);
        dblbuffer = create_bitmap(640, 480);
        for (int i = 0; i < 8; i++) {
            BITMAP *cell = create_bitmap(20, 20);
            clear_to_color(cell, blockColor(i / 4, i % 4));
            themes[i / 4][i % 4] = {get_rle_sprite(cell), DAT_RLE_SPRITE, 0, nullptr};
            themes[i / 4][4].type = DAT_END;
            destroy_bitmap(cell);
        }
        for (SAMPLE *&sample : samples)
            sample = create_sample(8, 0, 22050, 100);
        fontData = load_datafile(VOK_RUN_DIR "/Gfx/DataFont.dat");
        comicSmall = static_cast<FONT *>(fontData[0].dat);
        comicMedium = static_cast<FONT *>(fontData[1].dat);
        comicBig = static_cast<FONT *>(fontData[2].dat);
    }
    clear_bitmap(screen);
    clear_bitmap(dblbuffer);
    allData = vessaData = themes[0];
    korrinData = themes[1];
    fallBlock = samples[0];
    blockKilled = samples[1];
    plays.clear();
    timers.clear();
    soundOn = run = 1;
    selection = endGame = timeControl = fallingBlockTimer = downControl = movingTimer = rotatingTimer = 0;
    // The game's own keys, as the first test finds them.
    static const std::tuple keys(inputFallDown, inputMoveLeft, inputMoveRight, inputRotateRight, inputRotateLeft, inputPause);
    std::tie(inputFallDown, inputMoveLeft, inputMoveRight, inputRotateRight, inputRotateLeft, inputPause) = keys;
}

Cells cellsOf(const TetraBlock *piece, int dx, int dy)
{
    Cells cells;
    for (int i = 0; i < 4; i++)
        cells.emplace_back(piece->blocks[i]->x + dx, piece->blocks[i]->y + dy);
    return cells;
}

TestBoard::TestBoard(int gameType, int width)
{
    resetGame();
    board = mainCollision = newCollisionSystem(gameType, 160, 40, width, 400);
}

TestBoard::~TestBoard()
{
    destroyCollision(board);
    mainCollision = nullptr;
}

void TestBoard::stack(const std::string &picture)
{
    int row = 19 - std::count(picture.begin(), picture.end(), '/'), column = 0;
    for (char cell : picture) {
        if (cell == '/')
            row++, column = -1;
        else if (cell != '.')
            collisionStackAddBlock(board, newBlock(static_cast<RLE_SPRITE *>(allData[cell - '0'].dat), 160 + 20 * column,
                                                   40 + 20 * row, cell - '0'));
        column++;
    }
}

// The bottom rows; '#' where two blocks share a cell.
std::string TestBoard::picture(int rows, int columns) const
{
    std::string text;
    for (int row = 0; row < rows; row++)
        text += (row ? "/" : "") + std::string(columns, '.');
    for (int i = 0; i < board->stack->count; i++) {
        const Block *b = board->stack->blocks[i];
        int row = (b->y - 40) / 20 - (20 - rows), column = (b->x - 160) / 20;
        if (row >= 0 && column < columns) {
            char &cell = text[row * (columns + 1) + column];
            cell = cell == '.' ? static_cast<char>('0' + b->color) : '#';
        }
    }
    return text;
}

// Anchored at the cell, and all one colour when one is given.
void TestBoard::setPiece(int type, int column, int row, int color)
{
    destroyTetraBlock(board->tetraBlock);
    board->tetraBlock = newTetraBlock(type, 160 + 20 * column, 40 + 20 * row);
    for (int i = 0; i < 4 && color >= 0; i++) {
        board->tetraBlock->blocks[i]->color = color;
        board->tetraBlock->blocks[i]->image = static_cast<RLE_SPRITE *>(allData[color].dat);
    }
}
