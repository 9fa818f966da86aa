// Checks the datafiles and sounds that the build generates, loaded the way the
// game loads them: block order and looks, fonts, sample shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FontData.h"
#include "TestAllegro.h"

static DATAFILE *loadGfx(const char *name)
{
    ensureAllegro();
    DATAFILE *data = load_datafile((VOK_RUN_DIR "/Gfx/" + std::string(name)).c_str());
    int count = 0;
    while (data && data[count].type != DAT_END)
        count++;
    EXPECT_EQ(count, 4) << name;
    return data;
}

// The block drawn over the mask colour, so a see-through pixel shows up as one.
static std::vector<int> pixelsOf(const DATAFILE &block)
{
    BITMAP *cell = create_bitmap_ex(24, 20, 20);
    clear_to_color(cell, bitmap_mask_color(cell));
    draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(block.dat), 0, 0);
    std::vector<int> pixels;
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++)
            pixels.push_back(getpixel(cell, x, y));
    destroy_bitmap(cell);
    return pixels;
}

// Which of red, blue, green, yellow the average colour of a block is nearest in hue.
static int nearestBlockHue(const std::vector<int> &pixels)
{
    double r = 0, g = 0, b = 0;
    for (int c : pixels)
        r += getr24(c), g += getg24(c), b += getb24(c);
    double hue = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
    const double blockHues[4] = {0, 225, 120, 50};
    auto distance = [hue, &blockHues](int i) { return std::fabs(std::remainder(hue - blockHues[i], 360.0)); };
    int nearest = 0;
    for (int i = 1; i < 4; i++)
        if (distance(i) < distance(nearest))
            nearest = i;
    return nearest;
}

// The ink's bounding box (left, top, right, bottom) of text drawn centred at x, top at y.
static std::vector<int> inkOf(FONT *font, const char *text, int x, int y)
{
    BITMAP *canvas = create_bitmap_ex(24, 640, 480);
    clear_to_color(canvas, 0);
    textout_centre_ex(canvas, font, text, x, y, makecol24(255, 255, 255), -1);
    std::vector<int> box = {640, 480, -1, -1};
    for (int py = 0; py < canvas->h; py++)
        for (int px = 0; px < canvas->w; px++)
            if (getpixel(canvas, px, py) != 0)
                box = {std::min(box[0], px), std::min(box[1], py), std::max(box[2], px), std::max(box[3], py)};
    destroy_bitmap(canvas);
    return box;
}

TEST(ThemeDatafile, FourOpaqueShadedBlocksInColourOrderDrawnDifferentlyByEachTheme)
{
    DATAFILE *vessa = loadGfx("DataVessa.dat");
    DATAFILE *korrin = loadGfx("DataKorrin.dat");
    ASSERT_TRUE(vessa && korrin);
    for (int colour = 0; colour < 4; colour++) {
        std::vector<int> blocks[2] = {pixelsOf(vessa[colour]), pixelsOf(korrin[colour])};
        for (const std::vector<int> &pixels : blocks) {
            std::set<int> shades(pixels.begin(), pixels.end());
            EXPECT_EQ(shades.count(makecol24(255, 0, 255)), 0u) << "a see-through pixel in colour " << colour;
            EXPECT_GE(shades.size(), 12u) << "a flat block of colour " << colour;
            EXPECT_EQ(nearestBlockHue(pixels), colour);
        }
        long difference = 0;
        for (int i = 0; i < 400; i++) {
            int p = blocks[0][i], q = blocks[1][i];
            difference += std::abs(getr24(p) - getr24(q)) + std::abs(getg24(p) - getg24(q)) +
                          std::abs(getb24(p) - getb24(q));
        }
        EXPECT_GT(difference / 400, 40) << "colour " << colour << " looks the same in both themes";
    }
    unload_datafile(vessa);
    unload_datafile(korrin);
}

TEST(FontDatafile, FourColourableFontsOfGrowingSizeWithATitleThatFitsItsPanel)
{
    DATAFILE *fonts = loadGfx("DataFont.dat");
    ASSERT_NE(fonts, nullptr);
    FONT *font[4];
    for (int i = 0; i < 4; i++) {
        font[i] = static_cast<FONT *>(fonts[i].dat);
        // Only a mono font takes the colour it is drawn in.
        EXPECT_TRUE(is_mono_font(font[i])) << i;
        EXPECT_EQ(get_font_range_begin(font[i], -1), ' ') << i;
        EXPECT_EQ(get_font_range_end(font[i], -1), '~') << i;
        EXPECT_GT(text_length(font[i], "W"), text_length(font[i], "i")) << i << " is not proportional";
        EXPECT_GT(inkOf(font[i], "Score: 1234", 320, 0)[3], 0) << i << " draws nothing";
    }
    // Rows of the high-score and options screens are 25 and 30 px apart, main
    // menu items 80; the credit line sits in the last 25 px of the screen.
    EXPECT_LE(text_height(font[SMALL_FONT]), 25);
    EXPECT_LT(text_height(font[SMALL_FONT]), text_height(font[MEDIUM_FONT]));
    EXPECT_LE(text_height(font[MEDIUM_FONT]), 50);
    EXPECT_LT(text_height(font[MEDIUM_FONT]), text_height(font[BIG_FONT]));
    EXPECT_LE(text_height(font[CREDIT_FONT]), 25);

    // The title panel spans x 140..500, y 10..100; its words are drawn from top y 20.
    FONT *big = font[BIG_FONT];
    std::vector<int> vessa = inkOf(big, "Vessa", 230, 20);
    std::vector<int> orWord = inkOf(big, "or", 305, 20);
    std::vector<int> korrin = inkOf(big, "Korrin", 395, 20);
    EXPECT_GT(vessa[0], 141);
    EXPECT_LT(korrin[2], 499);
    // Closer than half a space, the three words run together.
    EXPECT_GE(orWord[0] - vessa[2] - 1, text_length(big, " ") / 2);
    EXPECT_GE(korrin[0] - orWord[2] - 1, text_length(big, " ") / 2);
    EXPECT_LT(std::max({vessa[3], orWord[3], korrin[3]}), 99);
    EXPECT_GE(vessa[3] - vessa[1], 24) << "capitals this tall read as a title";
    unload_datafile(fonts);
}

TEST(SoundFiles, ShortThudAndLongerChimeThatBothDieAway)
{
    ensureAllegro();
    const char *const files[2] = {VOK_RUN_DIR "/Sfx/blockFall.wav", VOK_RUN_DIR "/Sfx/blockKilled.wav"};
    const double shortest[2] = {0.05, 0.25}, longest[2] = {0.25, 0.6};
    for (int i = 0; i < 2; i++) {
        SAMPLE *sample = load_wav(files[i]);
        ASSERT_NE(sample, nullptr) << files[i];
        EXPECT_FALSE(sample->stereo);
        // Energy of the first and the last quarter, about the silent midpoint of Allegro's unsigned samples.
        double quarters[2] = {0, 0};
        for (unsigned long k = 0; k < sample->len; k++) {
            double v = sample->bits == 16 ? static_cast<const uint16_t *>(sample->data)[k] - 32768.0
                                          : static_cast<const uint8_t *>(sample->data)[k] - 128.0;
            if (k < sample->len / 4 || k >= sample->len * 3 / 4)
                quarters[k >= sample->len / 2] += v * v;
        }
        EXPECT_LT(quarters[1], quarters[0] / 10) << files[i];
        double seconds = static_cast<double>(sample->len) / sample->freq;
        EXPECT_TRUE(seconds >= shortest[i] && seconds <= longest[i]) << files[i] << ": " << seconds << " s";
        destroy_sample(sample);
    }
}
