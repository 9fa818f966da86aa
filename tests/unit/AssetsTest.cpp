// Checks the datafiles, sounds and icons that the build generates, loaded the
// way the game loads them: block order and looks, fonts, sample shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FontData.h"
#include "TestAllegro.h"
#include "ThemeData.h"

namespace {

struct DatafileCloser {
    void operator()(DATAFILE *data) const { unload_datafile(data); }
};
using Datafile = std::unique_ptr<DATAFILE, DatafileCloser>;

Datafile loadGfx(const char *name)
{
    ensureAllegro();
    return Datafile(load_datafile((std::string(VOK_RUN_DIR "/Gfx/") + name).c_str()));
}

int countObjects(const DATAFILE *data)
{
    int count = 0;
    while (data[count].type != DAT_END)
        count++;
    return count;
}

// The block drawn over the mask colour, so a see-through pixel shows up as one.
BITMAP *drawBlock(const DATAFILE &object)
{
    BITMAP *cell = create_bitmap_ex(24, 20, 20);
    clear_to_color(cell, bitmap_mask_color(cell));
    draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(object.dat), 0, 0);
    return cell;
}

// Which of red, blue, green, yellow the average colour of a block is nearest in hue.
int nearestBlockHue(BITMAP *cell)
{
    double r = 0, g = 0, b = 0;
    for (int y = 0; y < 20; y++) {
        for (int x = 0; x < 20; x++) {
            int c = getpixel(cell, x, y);
            r += getr24(c), g += getg24(c), b += getb24(c);
        }
    }
    double hue = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
    const double blockHues[4] = {0, 225, 120, 50};
    int nearest = 0;
    double best = 360;
    for (int i = 0; i < 4; i++) {
        double distance = std::fabs(std::remainder(hue - blockHues[i], 360.0));
        if (distance < best)
            best = distance, nearest = i;
    }
    return nearest;
}

struct Span {
    int left = 10000, right = -1, top = 10000, bottom = -1;
};

// The ink of text drawn centred at x with its top at y, as a game screen draws it.
Span inkOf(FONT *font, const char *text, int x, int y)
{
    BITMAP *canvas = create_bitmap_ex(24, 640, 480);
    clear_to_color(canvas, makecol24(0, 0, 0));
    textout_centre_ex(canvas, font, text, x, y, makecol24(255, 255, 255), -1);
    Span ink;
    for (int py = 0; py < canvas->h; py++) {
        for (int px = 0; px < canvas->w; px++) {
            if (getpixel(canvas, px, py) != makecol24(0, 0, 0)) {
                ink.left = std::min(ink.left, px), ink.right = std::max(ink.right, px);
                ink.top = std::min(ink.top, py), ink.bottom = std::max(ink.bottom, py);
            }
        }
    }
    destroy_bitmap(canvas);
    return ink;
}

// Zero crossings per second, about the unsigned midpoint Allegro stores samples around.
double crossingRate(const SAMPLE *sample)
{
    const int middle = sample->bits == 16 ? 0x8000 : 0x80;
    int crossings = 0;
    bool above = false;
    for (unsigned long i = 0; i < sample->len; i++) {
        int value = sample->bits == 16 ? static_cast<const uint16_t *>(sample->data)[i]
                                       : static_cast<const uint8_t *>(sample->data)[i];
        if ((value > middle) != above && value != middle) {
            above = !above;
            crossings++;
        }
    }
    return crossings * static_cast<double>(sample->freq) / sample->len;
}

double energy(const SAMPLE *sample, unsigned long from, unsigned long to)
{
    double sum = 0;
    for (unsigned long i = from; i < to; i++) {
        double v = sample->bits == 16 ? static_cast<const uint16_t *>(sample->data)[i] - 32768.0
                                      : static_cast<const uint8_t *>(sample->data)[i] - 128.0;
        sum += v * v;
    }
    return sum;
}

} // namespace

TEST(ThemeDatafile, FourOpaqueShadedBlocksInColourOrder)
{
    const int blocks[4] = {BLOCK_RED, BLOCK_BLUE, BLOCK_GREEN, BLOCK_YELLOW};
    for (const char *name : {"DataVessa.dat", "DataKorrin.dat"}) {
        SCOPED_TRACE(name);
        Datafile theme = loadGfx(name);
        ASSERT_NE(theme, nullptr);
        ASSERT_EQ(countObjects(theme.get()), 4);
        for (int colour = 0; colour < 4; colour++) {
            SCOPED_TRACE(colour);
            // A block takes the object numbered by its colour.
            ASSERT_EQ(blocks[colour], colour);
            const DATAFILE &object = theme.get()[colour];
            ASSERT_EQ(object.type, DAT_RLE_SPRITE);
            const RLE_SPRITE *sprite = static_cast<RLE_SPRITE *>(object.dat);
            EXPECT_EQ(sprite->w, 20);
            EXPECT_EQ(sprite->h, 20);
            EXPECT_EQ(sprite->color_depth, 24);

            BITMAP *cell = drawBlock(object);
            std::set<int> shades;
            int holes = 0;
            for (int y = 0; y < 20; y++) {
                for (int x = 0; x < 20; x++) {
                    holes += getpixel(cell, x, y) == bitmap_mask_color(cell);
                    shades.insert(getpixel(cell, x, y));
                }
            }
            EXPECT_EQ(holes, 0);
            EXPECT_GE(shades.size(), 12u) << "a flat block";
            EXPECT_EQ(nearestBlockHue(cell), colour);
            destroy_bitmap(cell);
        }
    }
}

TEST(ThemeDatafile, ThemesDrawEachColourDifferently)
{
    Datafile vessa = loadGfx("DataVessa.dat");
    Datafile korrin = loadGfx("DataKorrin.dat");
    ASSERT_TRUE(vessa && korrin);
    for (int colour = 0; colour < 4; colour++) {
        BITMAP *a = drawBlock(vessa.get()[colour]);
        BITMAP *b = drawBlock(korrin.get()[colour]);
        long difference = 0;
        for (int y = 0; y < 20; y++) {
            for (int x = 0; x < 20; x++) {
                int p = getpixel(a, x, y), q = getpixel(b, x, y);
                difference += std::abs(getr24(p) - getr24(q)) + std::abs(getg24(p) - getg24(q)) +
                              std::abs(getb24(p) - getb24(q));
            }
        }
        EXPECT_GT(difference / 400, 40) << "colour " << colour;
        destroy_bitmap(a);
        destroy_bitmap(b);
    }
}

TEST(FontDatafile, FourColourableFontsOfGrowingSize)
{
    Datafile fonts = loadGfx("DataFont.dat");
    ASSERT_NE(fonts, nullptr);
    ASSERT_EQ(countObjects(fonts.get()), 4);
    FONT *font[4];
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        ASSERT_EQ(fonts.get()[i].type, DAT_FONT);
        font[i] = static_cast<FONT *>(fonts.get()[i].dat);
        // Only a mono font takes the colour it is drawn in.
        EXPECT_TRUE(is_mono_font(font[i]));
        EXPECT_EQ(get_font_range_begin(font[i], -1), ' ');
        EXPECT_EQ(get_font_range_end(font[i], -1), '~');
        EXPECT_GT(text_length(font[i], "W"), text_length(font[i], "i")) << "not proportional";

        BITMAP *canvas = create_bitmap_ex(24, 300, 60);
        clear_to_color(canvas, makecol24(10, 20, 30));
        textout_ex(canvas, font[i], "Score: 1234", 0, 0, makecol24(4, 217, 158), -1);
        int ink = 0, other = 0;
        for (int y = 0; y < canvas->h; y++) {
            for (int x = 0; x < canvas->w; x++) {
                int c = getpixel(canvas, x, y);
                ink += c == makecol24(4, 217, 158);
                other += c != makecol24(4, 217, 158) && c != makecol24(10, 20, 30);
            }
        }
        EXPECT_GT(ink, 20);
        EXPECT_EQ(other, 0);
        destroy_bitmap(canvas);
    }
    // Rows of the high-score and options screens are 25 and 30 px apart, main
    // menu items 80; the credit line sits in the last 25 px of the screen.
    EXPECT_LE(text_height(font[SMALL_FONT]), 25);
    EXPECT_LT(text_height(font[SMALL_FONT]), text_height(font[MEDIUM_FONT]));
    EXPECT_LE(text_height(font[MEDIUM_FONT]), 50);
    EXPECT_LT(text_height(font[MEDIUM_FONT]), text_height(font[BIG_FONT]));
    EXPECT_LE(text_height(font[CREDIT_FONT]), 25);
}

TEST(FontDatafile, TitleWordsFitTheirPanelApart)
{
    Datafile fonts = loadGfx("DataFont.dat");
    ASSERT_NE(fonts, nullptr);
    FONT *big = static_cast<FONT *>(fonts.get()[BIG_FONT].dat);
    // The title panel spans x 140..500, y 10..100; words are drawn from top y 20.
    Span vessa = inkOf(big, "Vessa", 230, 20);
    Span orWord = inkOf(big, "or", 305, 20);
    Span korrin = inkOf(big, "Korrin", 395, 20);
    EXPECT_GT(vessa.left, 141);
    EXPECT_LT(korrin.right, 499);
    // Closer than half a space, the three words run together.
    const int apart = text_length(big, " ") / 2;
    EXPECT_GE(orWord.left - vessa.right - 1, apart);
    EXPECT_GE(korrin.left - orWord.right - 1, apart);
    EXPECT_LT(std::max({vessa.bottom, orWord.bottom, korrin.bottom}), 99);
    // Capitals this tall read as a title, not as a menu line.
    EXPECT_GE(vessa.bottom - vessa.top, 24);
}

TEST(SoundFiles, ShortLowThudAndLongerBrightChime)
{
    ensureAllegro();
    SAMPLE *thud = load_wav(VOK_RUN_DIR "/Sfx/blockFall.wav");
    SAMPLE *chime = load_wav(VOK_RUN_DIR "/Sfx/blockKilled.wav");
    ASSERT_NE(thud, nullptr);
    ASSERT_NE(chime, nullptr);
    for (SAMPLE *sample : {thud, chime}) {
        EXPECT_FALSE(sample->stereo);
        EXPECT_TRUE(sample->bits == 8 || sample->bits == 16);
        EXPECT_TRUE(sample->freq == 22050 || sample->freq == 44100);
        // Both die away rather than stop short.
        EXPECT_LT(energy(sample, sample->len * 3 / 4, sample->len), energy(sample, 0, sample->len / 4) / 10);
    }
    double thudSeconds = static_cast<double>(thud->len) / thud->freq;
    double chimeSeconds = static_cast<double>(chime->len) / chime->freq;
    EXPECT_GE(thudSeconds, 0.05);
    EXPECT_LE(thudSeconds, 0.25);
    EXPECT_GE(chimeSeconds, 0.25);
    EXPECT_LE(chimeSeconds, 0.6);
    EXPECT_LT(crossingRate(thud) * 4, crossingRate(chime));
    destroy_sample(thud);
    destroy_sample(chime);
}

TEST(IconFiles, PngOfEachSize)
{
    // The build puts the icons beside the run directory.
    for (int size : {48, 128}) {
        std::string path = VOK_RUN_DIR "/../icons/" + std::to_string(size) + "x" + std::to_string(size) +
                           "/vessa-or-korrin.png";
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << path;
        std::vector<unsigned char> png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_GT(png.size(), 33u);
        const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
        auto word = [&png](int at) { return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
        EXPECT_EQ(word(16), size);
        EXPECT_EQ(word(20), size);
    }
}
