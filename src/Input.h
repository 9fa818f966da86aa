// In-game keys: the six bindings, the fixed Escape, and the countdowns that give
// held keys their repeat rate.
#pragma once

extern int inputFallDown;
extern int inputMoveLeft;
extern int inputMoveRight;
extern int inputRotateRight;
extern int inputRotateLeft;
extern int inputPause;
extern int movingTimer;
extern int rotatingTimer;
extern int downControl;

void input();
