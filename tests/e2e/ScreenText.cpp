// Renders the game's texts with its own built fonts and compares them with what
// the window shows, pixel for pixel.
#include "ScreenText.h"

#include <allegro.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sstream>

namespace {

DATAFILE *builtFonts()
{
    static DATAFILE *fonts = nullptr;
    if (!fonts) {
        useAllegroWithoutDisplay();
        std::string path = (std::filesystem::path(VOK_GAME_PROGRAM).parent_path() / "Gfx" / "DataFont.dat").string();
        fonts = load_datafile(path.c_str());
        if (!fonts)
            ADD_FAILURE() << "cannot read the built fonts in " << path;
    }
    return fonts;
}

} // namespace

void useAllegroWithoutDisplay()
{
    static bool ready = false;
    if (!ready) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        set_color_depth(24);
        ready = true;
    }
}

bool showsText(const Image &screen, const std::string &text, GameFont font, int centreX, int top, Rgb colour,
               Rgb background, std::string *why)
{
    DATAFILE *fonts = builtFonts();
    if (!fonts || screen.empty())
        return false;
    FONT *face = static_cast<FONT *>(fonts[static_cast<int>(font)].dat);
    int width = text_length(face, text.c_str());
    int height = text_height(face);
    BITMAP *drawn = create_bitmap(width, height);
    clear_to_color(drawn, makecol(0, 0, 0));
    textout_ex(drawn, face, text.c_str(), 0, 0, makecol(255, 255, 255), -1);
    // Where textout_centre_ex puts the text's left edge.
    int left = centreX - width / 2;
    bool same = true;
    for (int y = 0; same && y < height; y++) {
        for (int x = 0; same && x < width; x++) {
            Rgb wanted = getpixel(drawn, x, y) == makecol(255, 255, 255) ? colour : background;
            Rgb seen = screen.pixel(left + x, top + y);
            if (seen != wanted) {
                same = false;
                if (why) {
                    std::ostringstream what;
                    what << "\"" << text << "\" at (" << left + x << ", " << top + y << ") shows ";
                    PrintTo(seen, &what);
                    *why = what.str();
                }
            }
        }
    }
    destroy_bitmap(drawn);
    return same;
}
