// The two sound effects: a piece landing and blocks vanishing.
#pragma once

#include <allegro.h>

extern SAMPLE *fallBlock;
extern SAMPLE *blockKilled;
extern int soundOn;

void soundInit();
void playBlockFall();
void playBlockKilled();
void soundExit();
