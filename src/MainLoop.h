// Start-up, shutdown and the loop of one game, with the program-wide globals
// every screen shares.
#pragma once

#include <atomic>

#include <allegro.h>

#include "CollisionSystem.h"

extern BITMAP *dblbuffer;
extern DATAFILE *vessaData;
extern DATAFILE *korrinData;
extern DATAFILE *allData;
extern DATAFILE *fontData;
extern FONT *comicSmall;
extern FONT *comicMedium;
extern FONT *comicBig;
extern std::atomic<int> timeControl;
extern std::atomic<int> fallingBlockTimer;
extern CollisionSystem *mainCollision;
extern int endGame;
extern int run;

void init();
void shutdown();
void gameInit(int theme, int gameType);
void mainLoop();
void gameLoop();
void gameCycle();
void drawFrame();
void timerControl();
void pauseGame(const char *message);
void gameQuit();
