// Plain RGB images captured from the X server, and their PPM form for a person
// looking into a failed scenario.
#include "Image.h"

#include <cstdio>

void PrintTo(const Rgb &colour, std::ostream *out)
{
    *out << "(" << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ")";
}

Image::Image(int width, int height) : width_(width), height_(height), pixels_(size_t(width) * height) {}

Rgb Image::pixel(int x, int y) const
{
    // A point off the image reads as magenta, which nothing in the game draws,
    // so a wrong coordinate fails loudly instead of crashing the test.
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return Rgb{255, 0, 255};
    return pixels_[size_t(y) * width_ + x];
}

void Image::setPixel(int x, int y, Rgb colour)
{
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
        pixels_[size_t(y) * width_ + x] = colour;
}

int Image::count(Rgb colour, int left, int top, int right, int bottom) const
{
    int found = 0;
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            found += pixel(x, y) == colour;
    return found;
}

bool Image::savePpm(const std::string &path) const
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width_, height_);
    bool written = std::fwrite(pixels_.data(), sizeof(Rgb), pixels_.size(), file) == pixels_.size();
    return std::fclose(file) == 0 && written;
}

bool Image::operator==(const Image &other) const
{
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
}
