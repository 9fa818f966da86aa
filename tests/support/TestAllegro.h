// What unit tests need to run the real modules without a window: Allegro under
// SYSTEM_NONE at 24-bit colour, and a small stand-in theme and font set.
#pragma once

#include <allegro.h>

// Installs Allegro once for the whole test program (SYSTEM_NONE, 24-bit colour).
void ensureAllegro();

// A theme datafile of four solid 20 x 20 RLE sprites, colour i filled with
// testThemeColor(i); set as allData, vessaData and korrinData.
void installTestTheme();
int testThemeColor(int index);

// Allegro's built-in font as comicSmall, comicMedium and comicBig.
void installTestFonts();

// How many times play_sample was asked to play this sample since the last reset;
// the test programs are linked with play_sample wrapped to count.
int playCount(const SAMPLE *sample);
void resetPlayCounts();

// A 640 x 480 memory bitmap standing in for the screen, so screens that blit to
// it can be composed and read back; removeTestScreen puts Allegro back as it was.
void installTestScreen();
void removeTestScreen();

// The game's own built datafiles, loaded from the run directory into the globals.
void installBuiltData();
