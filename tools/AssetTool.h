// The asset generator's parts: block art, font sheets and sound effects, each
// written as a file that Allegro's dat utility or load_wav can read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the four 20 x 20 block sprites of a theme (0 Vessa, 1 Korrin) as
// 24-bit BMPs named block0_red.bmp, block1_blue.bmp, block2_green.bmp and
// block3_yellow.bmp in dir.
bool spriteWriteTheme(int theme, const std::string &dir);

// Writes a size x size RGBA PNG of blocks from both themes.
bool spriteWriteIcon(int size, const std::string &path);

// Renders ASCII 32..126 of an outline font at pixelSize, without smoothing,
// into the 8-bit glyph grid that dat imports as a mono font.
bool fontWriteSheet(const std::string &fontPath, int pixelSize, const std::string &path);

// Synthesizes the landing thud and the kill chime as 16-bit mono WAVs.
bool soundWriteBlockFall(const std::string &path);
bool soundWriteBlockKilled(const std::string &path);

// Writes the bytes as the whole file; false, with the reason on stderr, if it
// cannot be written.
bool assetWriteFile(const std::string &path, const std::vector<uint8_t> &bytes);
