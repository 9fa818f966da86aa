// The title screen as a player sees it at 640 x 480: where its panels and menu
// stand, and how to tell from the pixels which menu item is highlighted.
#pragma once

#include <string>

#include "GameRun.h"
#include "Image.h"

const Rgb highlightColour{4, 217, 158};
const Rgb itemColour{223, 36, 134};
const int menuItems = 4;

// The item whose label shows in the highlight colour; -1 if none or several do.
int highlightedItem(const Image &screen);

// Whether both block images of the item stand beside it, exactly as drawn from
// the built theme files; `why` gets the first pixel that is off.
bool markersShown(const Image &screen, int item, std::string *why = nullptr);
// Whether the item's marker places hold nothing but panel and label.
bool markersAbsent(const Image &screen, int item, std::string *why = nullptr);

// Waits for the title screen with this item highlighted and flanked by its
// markers; an empty image after a failure.
Image waitForHighlight(GameRun &game, int item);

// Like waitForHighlight, but only a capture taken twice alike counts, so the
// screen is not caught halfway through its copy to the window; one equal to
// `unlike` does not count either.
Image waitForSteadyHighlight(GameRun &game, int item, const Image &unlike = Image());

// From the menu on "Highscores": opens the table, and once it shows leaves it with
// a key the menu ignores (again, since the table drops keys while it settles).
void viewHighScores(GameRun &game);

// Moves the highlight up to "Exit" from the given item and takes it.
void takeExit(GameRun &game, int highlighted);
