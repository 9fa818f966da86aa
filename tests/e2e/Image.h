// A captured window as plain RGB pixels: what the end-to-end tests look at, and
// what they save as a PPM when a scenario fails.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    bool operator==(const Rgb &other) const { return r == other.r && g == other.g && b == other.b; }
    bool operator!=(const Rgb &other) const { return !(*this == other); }
};

static_assert(sizeof(Rgb) == 3, "pixels are written out as packed RGB triples");

// GoogleTest prints colours in failure messages through this.
void PrintTo(const Rgb &colour, std::ostream *out);

const Rgb black{0, 0, 0};
const Rgb white{255, 255, 255};

class Image {
public:
    Image() = default;
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }

    Rgb pixel(int x, int y) const;
    void setPixel(int x, int y, Rgb colour);

    // How many pixels of this colour lie in the rectangle from (left, top) to
    // (right, bottom), both corners included.
    int count(Rgb colour, int left, int top, int right, int bottom) const;

    // Binary PPM (P6); `convert file.ppm file.png` makes it viewable.
    bool savePpm(const std::string &path) const;

    bool operator==(const Image &other) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};
