// Tells whether Allegro's loader can take a datafile without reading past what it
// holds, and whether objects 0 to 3 are of the kind the game uses.
#pragma once

// objectType: DAT_RLE_SPRITE for the themes, DAT_FONT for the fonts.
bool datafileCheck(const char *path, int objectType);
