// Font sheets: an outline font rendered with FreeType into the glyph grid that
// Allegro's grabber reads, one box per character, sized to its advance.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "AssetTool.h"

// dat makes a mono font (drawn in any colour, transparent background) only
// when the sheet holds exactly one colour besides the background and the grid.
static const uint8_t fontBackground = 0;
static const uint8_t fontInk = 1;
static const uint8_t fontGrid = 255;
static const int fontFirstChar = 32;
static const int fontLastChar = 126;
static const int fontGlyphsPerRow = 16;

struct FontGlyph {
    int width;
    std::vector<uint8_t> pixels;
};

static bool fontRenderGlyphs(FT_Face face, int ascent, int height, std::vector<FontGlyph> &glyphs)
{
    for (int c = fontFirstChar; c <= fontLastChar; c++) {
        // Mono rendering: smoothed edges would need colours a mono font lacks.
        if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO)) {
            std::fprintf(stderr, "no glyph for character %d\n", c);
            return false;
        }
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap &bitmap = slot->bitmap;
        int advance = static_cast<int>((slot->advance.x + 32) >> 6);
        // Allegro cannot draw left of the pen, so an overhanging glyph moves right.
        int shift = std::max(0, -slot->bitmap_left);
        int left = slot->bitmap_left + shift;
        FontGlyph glyph;
        glyph.width = std::max({1, advance + shift, left + static_cast<int>(bitmap.width)});
        glyph.pixels.assign(glyph.width * height, fontBackground);
        for (unsigned row = 0; row < bitmap.rows; row++) {
            int y = ascent - slot->bitmap_top + static_cast<int>(row);
            if (y < 0 || y >= height)
                continue;
            const uint8_t *bits = bitmap.buffer + row * bitmap.pitch;
            for (unsigned col = 0; col < bitmap.width; col++) {
                if (bits[col >> 3] & (0x80 >> (col & 7)))
                    glyph.pixels[y * glyph.width + left + col] = fontInk;
            }
        }
        glyphs.push_back(std::move(glyph));
    }
    return true;
}

// 8-bit PCX, run-length encoded, with its palette at the end.
static bool fontWritePcx(const std::string &path, const std::vector<uint8_t> &pixels, int width, int height)
{
    const int lineBytes = (width + 1) & ~1;
    std::vector<uint8_t> out(128, 0);
    auto put16 = [&out](int at, int v) {
        out[at] = v & 0xff;
        out[at + 1] = (v >> 8) & 0xff;
    };
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    put16(8, width - 1);
    put16(10, height - 1);
    put16(12, 72);
    put16(14, 72);
    out[65] = 1;
    put16(66, lineBytes);
    put16(68, 1);
    for (int y = 0; y < height; y++) {
        std::vector<uint8_t> line(pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
        line.resize(lineBytes, fontBackground);
        for (int x = 0; x < lineBytes;) {
            int run = 1;
            while (x + run < lineBytes && run < 63 && line[x + run] == line[x])
                run++;
            if (run > 1 || line[x] >= 0xc0)
                out.push_back(static_cast<uint8_t>(0xc0 | run));
            out.push_back(line[x]);
            x += run;
        }
    }
    out.push_back(12);
    for (int i = 0; i < 256; i++) {
        uint8_t level = i == fontBackground ? 0 : 255;
        bool grid = i == fontGrid;
        out.insert(out.end(), {level, static_cast<uint8_t>(grid ? 0 : level), level});
    }

    return assetWriteFile(path, out);
}

bool fontWriteSheet(const std::string &fontPath, int pixelSize, const std::string &path)
{
    FT_Library library;
    if (FT_Init_FreeType(&library))
        return false;
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) || FT_Set_Pixel_Sizes(face, 0, pixelSize)) {
        std::fprintf(stderr, "cannot load %s at %d px\n", fontPath.c_str(), pixelSize);
        FT_Done_FreeType(library);
        return false;
    }
    // Every glyph box is one full line high: Allegro takes a font's height
    // from its glyphs.
    int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    int height = ascent + descent;
    std::vector<FontGlyph> glyphs;
    bool rendered = fontRenderGlyphs(face, ascent, height, glyphs);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!rendered)
        return false;

    // Each glyph box sits inside a one-pixel grid line on every side.
    int rows = (static_cast<int>(glyphs.size()) + fontGlyphsPerRow - 1) / fontGlyphsPerRow;
    int sheetWidth = 0;
    for (int r = 0; r < rows; r++) {
        int rowWidth = 1;
        for (int i = r * fontGlyphsPerRow; i < std::min<int>(glyphs.size(), (r + 1) * fontGlyphsPerRow); i++)
            rowWidth += glyphs[i].width + 1;
        sheetWidth = std::max(sheetWidth, rowWidth);
    }
    int sheetHeight = 1 + rows * (height + 1);
    std::vector<uint8_t> sheet(sheetWidth * sheetHeight, fontGrid);
    int x = 1, y = 1;
    for (size_t i = 0; i < glyphs.size(); i++) {
        if (i > 0 && i % fontGlyphsPerRow == 0) {
            x = 1;
            y += height + 1;
        }
        const FontGlyph &glyph = glyphs[i];
        for (int row = 0; row < height; row++)
            std::copy_n(&glyph.pixels[row * glyph.width], glyph.width, &sheet[(y + row) * sheetWidth + x]);
        x += glyph.width + 1;
    }
    return fontWritePcx(path, sheet, sheetWidth, sheetHeight);
}
