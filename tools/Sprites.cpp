// Block art of the two themes and the application icon. Every pixel is shaded
// from a small model of the block and supersampled, so one drawing serves any size.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <zlib.h>

#include "AssetTool.h"

struct SpriteColour {
    double r, g, b;
};

// Colour plus coverage, so a gem's rounded corners can be laid on a dark
// socket in the game and left clear in the icon.
struct SpriteSample {
    SpriteColour colour;
    double cover;
};

static const int spriteCell = 20;
static const int spriteSubsamples = 4;

static const char *const spriteFileNames[4] = {"block0_red.bmp", "block1_blue.bmp", "block2_green.bmp",
                                               "block3_yellow.bmp"};

// Vessa's gems are saturated; Korrin's stone is duller, like painted metal.
// Within a theme the colours also part in lightness, which every kind of sight sees.
static const SpriteColour spriteBase[2][4] = {
    {{0.84, 0.07, 0.10}, {0.12, 0.38, 0.96}, {0.10, 0.76, 0.24}, {1.00, 0.80, 0.06}},
    {{0.66, 0.19, 0.14}, {0.24, 0.38, 0.70}, {0.30, 0.64, 0.32}, {0.86, 0.72, 0.24}},
};

static SpriteColour spriteScale(SpriteColour c, double factor)
{
    return {c.r * factor, c.g * factor, c.b * factor};
}

static SpriteColour spriteMix(SpriteColour a, SpriteColour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

static double spriteSmoothstep(double edge0, double edge1, double x)
{
    double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Signed distance from a point (relative to the centre) to a rectangle with
// rounded corners.
static double spriteRoundedRectDistance(double x, double y, double halfX, double halfY, double radius)
{
    double qx = std::fabs(x) - (halfX - radius);
    double qy = std::fabs(y) - (halfY - radius);
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

static double spriteRoundedBoxDistance(double x, double y, double half, double radius)
{
    return spriteRoundedRectDistance(x, y, half, half, radius);
}

// Repeatable grain for the stone, in [-1, 1].
static double spriteHash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffff) / 32767.5 - 1.0;
}

static double spriteValueNoise(double x, double y, int seed)
{
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    double fx = spriteSmoothstep(0, 1, x - x0);
    double fy = spriteSmoothstep(0, 1, y - y0);
    double top = spriteHash(x0, y0, seed) * (1 - fx) + spriteHash(x0 + 1, y0, seed) * fx;
    double bottom = spriteHash(x0, y0 + 1, seed) * (1 - fx) + spriteHash(x0 + 1, y0 + 1, seed) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Each colour's own mark, the same in both themes, so that colours a
// colour-blind player sees alike still differ in shape: red a triangle, blue a
// disc, green a square frame, yellow a plus. Green is the colour each of the
// others is mistaken for, so its mark alone is light and the others dark.
static const bool spriteMarkLight[4] = {false, false, true, false};

// Signed distance from a point (relative to the centre) to the colour's mark.
static double spriteMarkDistance(int colour, double x, double y)
{
    switch (colour) {
    case 0: {
        // An upright triangle 14 wide, its box on the centre: the farthest of its three sides.
        const double halfHeight = 3.5 * std::sqrt(3.0);
        return std::max(y - halfHeight, (std::sqrt(3.0) * std::fabs(x) - y - halfHeight) / 2);
    }
    case 1:
        return std::hypot(x, y) - 5.5;
    case 2:
        return std::fabs(spriteRoundedBoxDistance(x, y, 6, 0.5)) - 1.4;
    default:
        return std::min(spriteRoundedRectDistance(x, y, 7, 1.5, 0.5), spriteRoundedRectDistance(x, y, 1.5, 7, 0.5));
    }
}

// A rounded gem lit from the top left: a pillow-shaped body, a dark rim and a
// glossy highlight.
static SpriteSample spriteShadeVessa(SpriteColour base, int colour, double x, double y)
{
    const double half = 9.3, radius = 5.0;
    double cx = x - 10, cy = y - 10;
    double d = spriteRoundedBoxDistance(cx, cy, half, radius);
    if (d > 0)
        return {{0, 0, 0}, 0};

    const double eps = 0.01;
    double gx = (spriteRoundedBoxDistance(cx + eps, cy, half, radius) -
                 spriteRoundedBoxDistance(cx - eps, cy, half, radius)) / (2 * eps);
    double gy = (spriteRoundedBoxDistance(cx, cy + eps, half, radius) -
                 spriteRoundedBoxDistance(cx, cy - eps, half, radius)) / (2 * eps);
    double flat = spriteSmoothstep(0, 4.5, -d);
    double nx = gx * (1 - flat) * 0.85 + cx / 45;
    double ny = gy * (1 - flat) * 0.85 + cy / 45;
    double nz = std::sqrt(std::max(0.05, 1 - nx * nx - ny * ny));
    double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= len, ny /= len, nz /= len;

    const double lx = -0.48, ly = -0.58, lz = 0.66;
    double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
    double hx = lx, hy = ly, hz = lz + 1;
    double hlen = std::sqrt(hx * hx + hy * hy + hz * hz);
    double specular = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hlen), 30);

    const SpriteColour white = {1, 1, 1};
    SpriteColour c = spriteScale(base, 0.30 + 0.80 * diffuse);
    // Light passing through the gem brightens the rim opposite the light.
    double glow = (1 - flat) * std::max(0.0, (cx + cy) / 16);
    c = spriteMix(c, spriteScale(base, 1.25), std::min(1.0, glow));
    // The mark is etched into the gem, dark or frosted, under its gloss.
    if (spriteMarkDistance(colour, cx, cy) < 0)
        c = spriteMarkLight[colour] ? spriteMix(c, white, 0.75) : spriteScale(c, 0.2);
    c = spriteMix(c, white, specular * 0.6);

    double ex = (cx + 3.4) / 4.4, ey = (cy + 4.6) / 2.3;
    double gloss = spriteSmoothstep(0.0, 0.6, 1 - (ex * ex + ey * ey));
    c = spriteMix(c, white, gloss * 0.7);

    if (d > -0.9)
        c = spriteScale(base, 0.38);
    return {c, 1};
}

// A chiselled stone block: dark outline, light top-left and dark bottom-right
// bevels, a grained face and the colour's mark carved in, or for a light mark
// raised from it.
static SpriteSample spriteShadeKorrin(SpriteColour base, int colour, double x, double y)
{
    const SpriteColour white = {1, 1, 1};
    double top = y, left = x, bottom = spriteCell - y, right = spriteCell - x;
    double edge = std::min({top, left, bottom, right});
    if (edge < 1)
        return {spriteScale(base, 0.25), 1};
    if (edge < 3) {
        if (edge == top)
            return {spriteMix(spriteScale(base, 1.3), white, 0.18), 1};
        if (edge == left)
            return {spriteMix(spriteScale(base, 1.12), white, 0.08), 1};
        if (edge == right)
            return {spriteScale(base, 0.68), 1};
        return {spriteScale(base, 0.48), 1};
    }

    const int seed = colour * 31 + 5;
    double grain = 0.07 * spriteValueNoise(x / 2.5, y / 2.5, seed) +
                   0.04 * spriteHash(static_cast<int>(x), static_cast<int>(y), seed + 7);
    double ix = x - 10, iy = y - 10;
    double mark = spriteMarkDistance(colour, ix, iy);
    if (mark >= 0)
        return {spriteScale(base, 1.0 + grain), 1};
    bool light = spriteMarkLight[colour];
    if (mark > -0.7) {
        // The mark's wall: lit where it faces the top left, raised or carved.
        const double eps = 0.01;
        double gx = spriteMarkDistance(colour, ix + eps, iy) - spriteMarkDistance(colour, ix - eps, iy);
        double gy = spriteMarkDistance(colour, ix, iy + eps) - spriteMarkDistance(colour, ix, iy - eps);
        bool lit = (gx + gy < 0) == light;
        if (light)
            return {lit ? spriteMix(base, white, 0.9) : spriteMix(spriteScale(base, 0.7), white, 0.3), 1};
        return {spriteScale(base, lit ? 0.7 : 0.12), 1};
    }
    return {light ? spriteMix(base, white, 0.8) : spriteScale(base, 0.2 + grain), 1};
}

static SpriteSample spriteShade(int theme, int colour, double x, double y)
{
    if (theme == 0)
        return spriteShadeVessa(spriteBase[0][colour], colour, x, y);
    return spriteShadeKorrin(spriteBase[1][colour], colour, x, y);
}

// Averages subsamples of one block drawn size pixels wide: the colour weighted
// by coverage, and the coverage itself.
static SpriteSample spriteRenderPixel(int theme, int colour, int size, int px, int py)
{
    SpriteSample sum = {{0, 0, 0}, 0};
    double unit = static_cast<double>(spriteCell) / size;
    for (int j = 0; j < spriteSubsamples; j++) {
        for (int i = 0; i < spriteSubsamples; i++) {
            double x = (px + (i + 0.5) / spriteSubsamples) * unit;
            double y = (py + (j + 0.5) / spriteSubsamples) * unit;
            SpriteSample s = spriteShade(theme, colour, x, y);
            sum.colour.r += s.colour.r * s.cover;
            sum.colour.g += s.colour.g * s.cover;
            sum.colour.b += s.colour.b * s.cover;
            sum.cover += s.cover;
        }
    }
    const double n = spriteSubsamples * spriteSubsamples;
    return {spriteScale(sum.colour, 1 / n), sum.cover / n};
}

static uint8_t spriteByte(double value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

static bool spriteWriteBmp(const std::string &path, const std::vector<uint8_t> &rgb, int width, int height)
{
    const int rowBytes = (width * 3 + 3) & ~3;
    const uint32_t dataSize = rowBytes * height;
    std::vector<uint8_t> out(54 + dataSize, 0);
    auto put16 = [&out](int at, uint32_t v) {
        out[at] = v & 0xff;
        out[at + 1] = (v >> 8) & 0xff;
    };
    auto put32 = [&put16](int at, uint32_t v) {
        put16(at, v & 0xffff);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    put16(26, 1);
    put16(28, 24);
    put32(34, dataSize);
    for (int y = 0; y < height; y++) {
        // BMP rows run bottom-up, each pixel blue first.
        uint8_t *row = &out[54 + (height - 1 - y) * rowBytes];
        for (int x = 0; x < width; x++) {
            const uint8_t *p = &rgb[(y * width + x) * 3];
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    return assetWriteFile(path, out);
}

bool spriteWriteTheme(int theme, const std::string &dir)
{
    if (theme != 0 && theme != 1)
        return false;
    for (int colour = 0; colour < 4; colour++) {
        std::vector<uint8_t> rgb;
        // The corners outside a gem show its setting, a dark tint of the gem,
        // so the sprite stays fully opaque.
        SpriteColour socket = spriteScale(spriteBase[theme][colour], 0.16);
        for (int y = 0; y < spriteCell; y++) {
            for (int x = 0; x < spriteCell; x++) {
                SpriteSample s = spriteRenderPixel(theme, colour, spriteCell, x, y);
                SpriteColour c = spriteMix(socket, {0, 0, 0}, s.cover);
                c = {c.r + s.colour.r, c.g + s.colour.g, c.b + s.colour.b};
                uint8_t r = spriteByte(c.r), g = spriteByte(c.g), b = spriteByte(c.b);
                // Magenta is Allegro's mask colour: it would punch a hole in the sprite.
                if (r == 255 && g == 0 && b == 255)
                    g = 1;
                rgb.insert(rgb.end(), {r, g, b});
            }
        }
        if (!spriteWriteBmp(dir + "/" + spriteFileNames[colour], rgb, spriteCell, spriteCell))
            return false;
    }
    return true;
}

static void spritePngChunk(std::vector<uint8_t> &png, const char *type, const std::vector<uint8_t> &data)
{
    auto put32 = [&png](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back((v >> shift) & 0xff);
    };
    put32(static_cast<uint32_t>(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32(crc32(0, &png[start], static_cast<uInt>(png.size() - start)));
}

bool spriteWriteIcon(int size, const std::string &path)
{
    if (size < 8)
        return false;
    // Both themes side by side, like the title screen: a Vessa and a Korrin
    // block on each row, in all four colours.
    const int themeAt[2][2] = {{0, 1}, {1, 0}};
    const int colourAt[2][2] = {{0, 1}, {2, 3}};
    const int cell = size / 2;
    const int margin = (size - 2 * cell) / 2;

    std::vector<uint8_t> raw;
    for (int y = 0; y < size; y++) {
        raw.push_back(0);
        for (int x = 0; x < size; x++) {
            int cx = (x - margin) / cell, cy = (y - margin) / cell;
            if (x < margin || y < margin || cx > 1 || cy > 1) {
                raw.insert(raw.end(), {0, 0, 0, 0});
                continue;
            }
            SpriteSample s = spriteRenderPixel(themeAt[cy][cx], colourAt[cy][cx], cell, x - margin - cx * cell,
                                               y - margin - cy * cell);
            double unweight = s.cover > 0 ? 1 / s.cover : 0;
            raw.insert(raw.end(), {spriteByte(s.colour.r * unweight), spriteByte(s.colour.g * unweight),
                                   spriteByte(s.colour.b * unweight), spriteByte(s.cover)});
        }
    }

    std::vector<uint8_t> header = {0, 0, 0, 0, 0, 0, 0, 0, 8, 6, 0, 0, 0};
    for (int i = 0; i < 4; i++) {
        header[i] = header[4 + i] = (size >> (24 - 8 * i)) & 0xff;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    spritePngChunk(png, "IHDR", header);
    spritePngChunk(png, "IDAT", packed);
    spritePngChunk(png, "IEND", {});

    return assetWriteFile(path, png);
}
