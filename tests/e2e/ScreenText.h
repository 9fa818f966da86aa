// Text as the game draws it, rendered here from the built font file, so that a
// scenario reads words off the screen by comparing pixels.
#pragma once

#include <string>

#include "Image.h"

enum class GameFont { small = 0, medium = 1 };

// Whether the screen shows exactly this text in this colour, centred on x with
// its top at y, over the background: every pixel of the text's box is text or
// background as the font says. `why` gets the first pixel that is off.
bool showsText(const Image &screen, const std::string &text, GameFont font, int centreX, int top, Rgb colour,
               Rgb background = black, std::string *why = nullptr);

// Allegro in this test program, without a display, for reading the built files.
void useAllegroWithoutDisplay();
