// The front-end screens: title screen with its main menu, game-type menu,
// options screen and high-score screen.
#pragma once

extern int selection;

void startScreen();
void drawStartScreen();
void selectInput();
int queryGameType();
void optionScreen();
void drawStartScreenHighScores();
