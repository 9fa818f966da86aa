// Loads a datafile only when Allegro's loader can take it without reading past
// what it holds or taking more memory than a budget, and when objects 0 to 3 are
// of the kind the game uses.
#pragma once

#include <allegro.h>

#include <cstddef>

// objectType: DAT_RLE_SPRITE for the themes, DAT_FONT for the fonts.
DATAFILE *datafileLoad(const char *path, int objectType);
DATAFILE *datafileLoadBytes(const unsigned char *bytes, size_t size, int objectType);
bool datafileCheck(const unsigned char *bytes, size_t size, int objectType);
