// Test support: Allegro without a display, stand-ins for the game's data, boards
// built from pictures, and scratch folders.
#include "TestAllegro.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include <unistd.h>

#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"

void ensureAllegro()
{
    static bool installed = false;
    if (installed)
        return;
    install_allegro(SYSTEM_NONE, &errno, atexit);
    set_color_depth(24);
    installed = true;
}

int testThemeColor(int index)
{
    static const int rgb[4][3] = {{200, 30, 30}, {30, 60, 200}, {30, 170, 60}, {220, 200, 30}};
    return makecol(rgb[index][0], rgb[index][1], rgb[index][2]);
}

void installTestTheme()
{
    ensureAllegro();
    static DATAFILE theme[5];
    if (!theme[0].dat) {
        for (int i = 0; i < 4; i++) {
            BITMAP *cell = create_bitmap(20, 20);
            clear_to_color(cell, testThemeColor(i));
            theme[i] = {get_rle_sprite(cell), DAT_RLE_SPRITE, 0, nullptr};
            destroy_bitmap(cell);
        }
        theme[4] = {nullptr, DAT_END, 0, nullptr};
    }
    allData = vessaData = korrinData = theme;
}

void installTestFonts()
{
    ensureAllegro();
    comicSmall = comicMedium = comicBig = font;
}

static std::map<const SAMPLE *, int> playCounts;

extern "C" int __real_play_sample(const SAMPLE *sample, int volume, int pan, int frequency, int loop);

extern "C" int __wrap_play_sample(const SAMPLE *sample, int volume, int pan, int frequency, int loop)
{
    playCounts[sample]++;
    return __real_play_sample(sample, volume, pan, frequency, loop);
}

int playCount(const SAMPLE *sample)
{
    return playCounts.count(sample) ? playCounts.at(sample) : 0;
}

void resetPlayCounts()
{
    playCounts.clear();
}

void installTestSounds()
{
    ensureAllegro();
    static SAMPLE *fall = create_sample(8, 0, 22050, 100);
    static SAMPLE *killed = create_sample(8, 0, 22050, 100);
    fallBlock = fall;
    blockKilled = killed;
    soundOn = 1;
    resetPlayCounts();
}

static GFX_DRIVER testScreenDriver;

void installTestScreen()
{
    ensureAllegro();
    testScreenDriver.w = 640;
    testScreenDriver.h = 480;
    gfx_driver = &testScreenDriver;
    screen = create_bitmap(640, 480);
    dblbuffer = create_bitmap(640, 480);
    clear_bitmap(screen);
    clear_bitmap(dblbuffer);
}

void removeTestScreen()
{
    destroy_bitmap(screen);
    destroy_bitmap(dblbuffer);
    screen = nullptr;
    dblbuffer = nullptr;
    gfx_driver = nullptr;
}

void installBuiltData()
{
    ensureAllegro();
    static DATAFILE *vessa = loadGameDatafile(VOK_RUN_DIR "/Gfx/DataVessa.dat", DAT_RLE_SPRITE);
    static DATAFILE *korrin = loadGameDatafile(VOK_RUN_DIR "/Gfx/DataKorrin.dat", DAT_RLE_SPRITE);
    static DATAFILE *fonts = loadGameDatafile(VOK_RUN_DIR "/Gfx/DataFont.dat", DAT_FONT);
    allData = vessaData = vessa;
    korrinData = korrin;
    fontData = fonts;
    comicSmall = static_cast<FONT *>(fontData[0].dat);
    comicMedium = static_cast<FONT *>(fontData[1].dat);
    comicBig = static_cast<FONT *>(fontData[2].dat);
}

TestBoard::TestBoard(int gameType, int width)
{
    installTestTheme();
    installTestSounds();
    endGame = 0;
    downControl = movingTimer = rotatingTimer = 0;
    fallingBlockTimer = 0;
    board = mainCollision = newCollisionSystem(gameType, 160, 40, width, 400);
}

TestBoard::~TestBoard()
{
    destroyCollision(board);
    mainCollision = nullptr;
    endGame = 0;
}

Block *TestBoard::put(int column, int row, int color)
{
    Block *block = newBlock(static_cast<RLE_SPRITE *>(allData[color].dat), board->x + 20 * column,
                            board->y + 20 * row, color);
    collisionStackAddBlock(board, block);
    return block;
}

void TestBoard::stack(const std::string &picture)
{
    std::vector<std::string> lines;
    std::istringstream in(picture);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const int top = board->height / 20 - static_cast<int>(lines.size());
    for (size_t row = 0; row < lines.size(); row++)
        for (size_t column = 0; column < lines[row].size(); column++)
            if (lines[row][column] != '.')
                put(column, top + row, lines[row][column] - '0');
}

std::string TestBoard::picture(int rows, int columns) const
{
    if (columns < 0)
        columns = board->width / 20;
    const int top = board->height / 20 - rows;
    std::string text;
    for (int row = 0; row < rows; row++)
        text += std::string(columns, '.') + "\n";
    for (int i = 0; i < board->stack->count; i++) {
        const Block *b = board->stack->blocks[i];
        int row = (b->y - board->y) / 20 - top;
        int column = (b->x - board->x) / 20;
        if (row >= 0 && row < rows && column >= 0 && column < columns) {
            char &cell = text[row * (columns + 1) + column];
            cell = cell == '.' ? static_cast<char>('0' + b->color) : '#';
        }
    }
    return text;
}

void TestBoard::setPiece(int type, int column, int row, int color)
{
    destroyTetraBlock(board->tetraBlock);
    board->tetraBlock = newTetraBlock(type, board->x + 20 * column, board->y + 20 * row);
    for (int i = 0; i < 4 && color >= 0; i++) {
        board->tetraBlock->blocks[i]->color = color;
        board->tetraBlock->blocks[i]->image = static_cast<RLE_SPRITE *>(allData[color].dat);
    }
}

Cells cellsOf(const TetraBlock *piece)
{
    Cells cells;
    for (int i = 0; i < 4; i++)
        cells.emplace_back(piece->blocks[i]->x, piece->blocks[i]->y);
    return cells;
}

Cells shifted(const Cells &cells, int dx, int dy)
{
    Cells moved;
    for (auto [x, y] : cells)
        moved.emplace_back(x + dx, y + dy);
    return moved;
}

namespace fs = std::filesystem;

TempDir::TempDir()
{
    char pattern[] = "/tmp/vokTestXXXXXX";
    path = mkdtemp(pattern);
    previous = fs::current_path();
    fs::current_path(path);
}

// Folders a test made read-only are opened up again so they can go.
TempDir::~TempDir()
{
    fs::current_path(previous);
    fs::permissions(path, fs::perms::owner_all);
    for (const auto &entry : fs::recursive_directory_iterator(path))
        if (entry.is_directory() && !entry.is_symlink())
            fs::permissions(entry.path(), fs::perms::owner_all);
    fs::remove_all(path);
}
