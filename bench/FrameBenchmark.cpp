// Times the game's frame against a bare frame in the real window: a busy board
// drawn into the buffer, copied to the screen and cleared, against copy and clear.
// A third frame draws only the board's sprites from a flat list: the least any
// frame showing this board can cost, so it tells the drawing calls' own price
// from what the game adds around them.
// Needs a display (Xvfb does); run from the directory that holds Gfx/.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <allegro.h>

#include "CollisionSystem.h"
#include "MainLoop.h"

namespace {

using Clock = std::chrono::steady_clock;

const int framesPerRound = 200;
const int rounds = 15;
const int landedBlocks = 210;

struct Sprite {
    RLE_SPRITE *image;
    int x, y;
};

std::vector<Sprite> boardSprites;

void bareFrame()
{
    blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    clear_bitmap(dblbuffer);
}

void spritesOnlyFrame()
{
    for (const Sprite &sprite : boardSprites)
        draw_rle_sprite(dblbuffer, sprite.image, sprite.x, sprite.y);
    bareFrame();
}

void listSprites(CollisionSystem *board)
{
    for (int slot = 0; slot < board->stack->count; slot++) {
        Block *block = board->stack->blocks[slot];
        boardSprites.push_back({block->image, block->x, block->y});
    }
    for (int i = 0; i < 4; i++) {
        Block *block = board->tetraBlock->blocks[i];
        boardSprites.push_back({block->image, block->x, block->y});
    }
}

double framesPerSecond(void (*frame)())
{
    Clock::time_point start = Clock::now();
    for (int i = 0; i < framesPerRound; i++)
        frame();
    std::chrono::duration<double> spent = Clock::now() - start;
    return framesPerRound / spent.count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Fills the playfield from the bottom row up, leaving one cell of each row open.
void fillBoard(CollisionSystem *board)
{
    for (int i = 0, placed = 0; placed < landedBlocks; i++) {
        int row = 19 - i / 16;
        int column = i % 16;
        if (column == row % 16)
            continue;
        collisionStackAddBlock(board, newBlockDefault(160 + 20 * column, 40 + 20 * row));
        placed++;
    }
}

} // namespace

int main()
{
    allegro_init();
    set_color_depth(24);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) < 0) {
        fprintf(stderr, "no window: %s\n", allegro_error);
        return 2;
    }
    vessaData = load_datafile("Gfx/DataVessa.dat");
    fontData = load_datafile("Gfx/DataFont.dat");
    if (!vessaData || !fontData) {
        fprintf(stderr, "run me from the directory that holds Gfx/\n");
        return 2;
    }
    allData = vessaData;
    comicSmall = static_cast<FONT *>(fontData[0].dat);
    dblbuffer = create_bitmap(SCREEN_W, SCREEN_H);
    clear_bitmap(dblbuffer);
    mainCollision = newCollisionSystem(0, 160, 40, 320, 400);
    fillBoard(mainCollision);
    listSprites(mainCollision);

    // Rounds alternate so that a drift in the machine's speed hits all kinds alike.
    std::vector<double> game, bare, ratio, spritesRatio;
    for (int round = 0; round < rounds; round++) {
        game.push_back(framesPerSecond(drawFrame));
        double sprites = framesPerSecond(spritesOnlyFrame);
        bare.push_back(framesPerSecond(bareFrame));
        ratio.push_back(game.back() / bare.back());
        spritesRatio.push_back(sprites / bare.back());
    }
    printf("landed blocks: %d\n", mainCollision->stack->count);
    printf("game frames per second (median of %d rounds): %.0f\n", rounds, median(game));
    printf("bare frames per second (median of %d rounds): %.0f\n", rounds, median(bare));
    printf("game / bare: %.3f (median per round; min %.3f, max %.3f)\n", median(ratio),
           *std::min_element(ratio.begin(), ratio.end()), *std::max_element(ratio.begin(), ratio.end()));
    printf("sprites only / bare: %.3f (the %zu sprites alone, median per round)\n", median(spritesRatio),
           boardSprites.size());

    destroyCollision(mainCollision);
    destroy_bitmap(dblbuffer);
    unload_datafile(vessaData);
    unload_datafile(fontData);
    return median(ratio) >= 0.85 ? 0 : 1;
}
END_OF_MAIN()
