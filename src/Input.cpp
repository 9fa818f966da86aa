// In-game keys, read from the live key table once per logic tick. Two countdowns
// give held keys a fixed repeat rate; downControl makes the fall key be released
// before it drops the next piece.
#include "Input.h"

#include <allegro.h>

#include "CollisionSystem.h"
#include "MainLoop.h"

int inputFallDown = KEY_DOWN;
int inputMoveLeft = KEY_LEFT;
int inputMoveRight = KEY_RIGHT;
int inputRotateRight = KEY_X;
int inputRotateLeft = KEY_Z;
int inputPause = KEY_SPACE;
int movingTimer = 0;
int rotatingTimer = 0;
int downControl = 0;

static const int moveRepeatTicks = 5;
static const int turnRepeatTicks = 10;

// A binding may hold any code the options screen was given; only valid ones index the table.
static bool keyDown(int code)
{
    return code > 0 && code < KEY_MAX && key[code];
}

void input()
{
    if (movingTimer > 0)
        movingTimer--;
    if (rotatingTimer > 0)
        rotatingTimer--;

    if (keyDown(inputMoveRight) && movingTimer == 0 && collisionTetraBlockMoveRight(mainCollision))
        movingTimer = moveRepeatTicks;
    if (keyDown(inputMoveLeft) && movingTimer == 0 && collisionTetraBlockMoveLeft(mainCollision))
        movingTimer = moveRepeatTicks;

    if (keyDown(inputFallDown)) {
        if (downControl == 0)
            collisionTetraBlockFallDown(mainCollision);
    } else {
        downControl = 0;
    }

    if (keyDown(inputRotateRight) && rotatingTimer == 0 && collisionTetraBlockRotateRight(mainCollision))
        rotatingTimer = turnRepeatTicks;
    if (keyDown(inputRotateLeft) && rotatingTimer == 0 && collisionTetraBlockRotateLeft(mainCollision))
        rotatingTimer = turnRepeatTicks;

    if (key[KEY_ESC])
        endGame++;

    if (keyDown(inputPause))
        pauseGame("Game Paused");
}
