// Test support: Allegro without a display, and stand-ins for the datafiles the
// game loads at start-up.
#include "TestAllegro.h"

#include <cerrno>
#include <map>
#include <string>

#include "MainLoop.h"

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
    static bool made = false;
    if (!made) {
        for (int i = 0; i < 4; i++) {
            BITMAP *cell = create_bitmap(20, 20);
            clear_to_color(cell, testThemeColor(i));
            theme[i].dat = get_rle_sprite(cell);
            theme[i].type = DAT_RLE_SPRITE;
            theme[i].size = 0;
            theme[i].prop = nullptr;
            destroy_bitmap(cell);
        }
        theme[4].dat = nullptr;
        theme[4].type = DAT_END;
        made = true;
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
    auto found = playCounts.find(sample);
    return found == playCounts.end() ? 0 : found->second;
}

void resetPlayCounts()
{
    playCounts.clear();
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
    static bool loaded = false;
    if (!loaded) {
        std::string gfx = std::string(VOK_RUN_DIR) + "/Gfx/";
        vessaData = loadGameDatafile((gfx + "DataVessa.dat").c_str(), DAT_RLE_SPRITE);
        korrinData = loadGameDatafile((gfx + "DataKorrin.dat").c_str(), DAT_RLE_SPRITE);
        fontData = loadGameDatafile((gfx + "DataFont.dat").c_str(), DAT_FONT);
        loaded = true;
    }
    allData = vessaData;
    comicSmall = static_cast<FONT *>(fontData[0].dat);
    comicMedium = static_cast<FONT *>(fontData[1].dat);
    comicBig = static_cast<FONT *>(fontData[2].dat);
}
