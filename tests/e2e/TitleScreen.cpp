// Reading the title screen from its pixels; the markers are compared with the
// built theme files themselves, loaded through Allegro without a display.
#include "TitleScreen.h"

#include "ScreenText.h"

#include <X11/keysym.h>
#include <allegro.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

const int centre = 640 / 2;
const char *labels[menuItems] = {"Start.Game", "Options", "Highscores", "Exit"};

struct Marker {
    const char *theme;
    int object;
    int x;
    int y;
};

// The first theme's image on the left, the second theme's on the right.
const Marker markers[menuItems][2] = {
    {{"DataVessa.dat", 2, centre - 125, 175}, {"DataKorrin.dat", 3, centre + 105, 175}},
    {{"DataVessa.dat", 0, centre - 105, 255}, {"DataKorrin.dat", 0, centre + 85, 255}},
    {{"DataVessa.dat", 1, centre - 125, 335}, {"DataKorrin.dat", 1, centre + 105, 335}},
    {{"DataVessa.dat", 3, centre - 75, 415}, {"DataKorrin.dat", 2, centre + 55, 415}},
};

// Inside the menu panel's frame and above the credit bar that covers its foot.
const int panelLeft = 171;
const int panelRight = 469;
const int panelLowest = 449;
// A label is tens of pixels of its colour; a stray pixel or two is not one.
const int labelPixels = 10;

// A block image as the game draws it onto the black panel.
const Image &blockImage(const std::string &theme, int object)
{
    static std::map<std::string, Image> images;
    std::string key = theme + "#" + std::to_string(object);
    auto known = images.find(key);
    if (known != images.end())
        return known->second;
    useAllegroWithoutDisplay();
    Image image;
    std::string path = (std::filesystem::path(VOK_GAME_PROGRAM).parent_path() / "Gfx" / theme).string();
    DATAFILE *data = load_datafile(path.c_str());
    if (data && data[object].type == DAT_RLE_SPRITE) {
        BITMAP *cell = create_bitmap(20, 20);
        clear_to_color(cell, makecol(0, 0, 0));
        draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(data[object].dat), 0, 0);
        image = Image(20, 20);
        for (int y = 0; y < 20; y++) {
            for (int x = 0; x < 20; x++) {
                int colour = getpixel(cell, x, y);
                image.setPixel(x, y, Rgb{uint8_t(getr(colour)), uint8_t(getg(colour)), uint8_t(getb(colour))});
            }
        }
        destroy_bitmap(cell);
    } else {
        ADD_FAILURE() << "no block image " << object << " in " << path;
    }
    if (data)
        unload_datafile(data);
    return images[key] = image;
}

std::string describe(const char *what, int item, int x, int y, Rgb seen)
{
    std::stringstream text;
    text << what << " of \"" << labels[item] << "\" at (" << x << ", " << y << ") shows ";
    PrintTo(seen, &text);
    return text.str();
}

} // namespace

int highlightedItem(const Image &screen)
{
    int found = -1;
    for (int item = 0; item < menuItems; item++) {
        int top = 160 + 80 * item;
        int bottom = std::min(top + 79, panelLowest);
        if (screen.count(highlightColour, panelLeft, top, panelRight, bottom) >= labelPixels) {
            if (found >= 0)
                return -1;
            found = item;
        }
    }
    return found;
}

bool markersShown(const Image &screen, int item, std::string *why)
{
    for (const Marker &marker : markers[item]) {
        const Image &block = blockImage(marker.theme, marker.object);
        if (block.empty())
            return false;
        for (int y = 0; y < 20; y++) {
            for (int x = 0; x < 20; x++) {
                Rgb seen = screen.pixel(marker.x + x, marker.y + y);
                // The label is drawn after the markers and may reach over them.
                if (seen != block.pixel(x, y) && seen != highlightColour) {
                    if (why)
                        *why = describe("the marker", item, marker.x + x, marker.y + y, seen);
                    return false;
                }
            }
        }
    }
    return true;
}

bool markersAbsent(const Image &screen, int item, std::string *why)
{
    for (const Marker &marker : markers[item]) {
        for (int y = marker.y; y < marker.y + 20; y++) {
            for (int x = marker.x; x < marker.x + 20; x++) {
                Rgb seen = screen.pixel(x, y);
                if (seen != black && seen != itemColour) {
                    if (why)
                        *why = describe("the marker place", item, x, y, seen);
                    return false;
                }
            }
        }
    }
    return true;
}

Image waitForHighlight(GameRun &game, int item)
{
    auto showsItem = [item](const Image &screen) {
        if (highlightedItem(screen) != item || !markersShown(screen, item))
            return false;
        for (int other = 0; other < menuItems; other++)
            if (other != item && !markersAbsent(screen, other))
                return false;
        return true;
    };
    Image screen = game.waitForScreen(showsItem, std::string("the menu with \"") + labels[item] + "\" highlighted");
    if (screen.empty() && !game.lastScreen().empty()) {
        const Image &last = game.lastScreen();
        std::string why = "no marker is off";
        for (int other = 0; other < menuItems; other++)
            if (other == item ? !markersShown(last, other, &why) : !markersAbsent(last, other, &why))
                break;
        ADD_FAILURE() << "the last screen highlights item " << highlightedItem(last) << "; " << why;
    }
    return screen;
}

Image waitForSteadyHighlight(GameRun &game, int item, const Image &unlike)
{
    Image previous;
    return game.waitForScreen(
        [&](const Image &now) {
            bool steady = now == previous && !(now == unlike) && highlightedItem(now) == item &&
                          markersShown(now, item);
            previous = now;
            return steady;
        },
        "a steady title screen with item " + std::to_string(item) + " highlighted");
}

void viewHighScores(GameRun &game)
{
    game.holdKey(XK_Return);
    auto table = [](const Image &s) { return showsText(s, "High Scores:", GameFont::small, 320, 125, white); };
    if (game.waitForScreen(table, "the high-score table").empty())
        return;
    game.pressUntil(XK_a, [](const Image &s) { return highlightedItem(s) == 2; }, "the menu after the table");
}

void takeExit(GameRun &game, int highlighted)
{
    while (highlighted != menuItems - 1) {
        game.holdKey(XK_Up);
        highlighted = (highlighted + menuItems - 1) % menuItems;
        if (waitForHighlight(game, highlighted).empty())
            return;
    }
    game.holdKey(XK_Return);
}
