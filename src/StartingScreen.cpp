// The front-end screens: the title screen with its main menu, and the game-type,
// options and high-score panels drawn over it. Menus wait for keys by polling.
#include "StartingScreen.h"

#include <cstdlib>
#include <cstring>

#include <allegro.h>

#include "FontData.h"
#include "HighScores.h"
#include "Input.h"
#include "MainLoop.h"
#include "Sound.h"
#include "ThemeData.h"

int selection = 0;

struct MenuItem {
    const char *label;
    int y;
    int leftObject;
    int leftX;
    int rightObject;
    int rightX;
};

// Marker x positions are offsets from the centre column; the left marker always
// comes from the first theme and the right one from the second.
static const MenuItem menuItems[4] = {
    {"Start.Game", 160, BLOCK2_GREEN, -125, BLOCK3_YELLOW, 105},
    {"Options", 240, BLOCK0_RED, -105, BLOCK0_RED, 85},
    {"Highscores", 320, BLOCK1_BLUE, -125, BLOCK1_BLUE, 105},
    {"Exit", 400, BLOCK3_YELLOW, -75, BLOCK2_GREEN, 55},
};

static const char *creditLine = "Made by the Vessa Or Korrin crew - for everyone still waiting for the long piece";

static int highlightColor();
static int normalColor();
static void drawPanel(BITMAP *target, int x1, int y1, int x2, int y2);
static void waitForKey();
static RLE_SPRITE *themeSprite(DATAFILE *theme, int object);

void startScreen()
{
    while (run) {
        drawStartScreen();
        selectInput();
    }
}

void drawStartScreen()
{
    const int centre = SCREEN_W / 2;
    clear_bitmap(dblbuffer);

    for (int i = 0; i < SCREEN_W * SCREEN_H / 400; i++) {
        DATAFILE *theme = rand() % 2 ? vessaData : korrinData;
        RLE_SPRITE *sprite = themeSprite(theme, rand() % 4);
        int x = rand() % (SCREEN_W - 20);
        int y = rand() % (SCREEN_H - 20);
        draw_rle_sprite(dblbuffer, sprite, x, y);
    }

    drawPanel(dblbuffer, centre - 180, 10, centre + 180, 100);
    textout_centre_ex(dblbuffer, comicBig, "Vessa", centre - 90, 20, makecol(255, 0, 0), -1);
    textout_centre_ex(dblbuffer, comicBig, "Korrin", centre + 75, 20, makecol(100, 100, 100), -1);
    textout_centre_ex(dblbuffer, comicBig, "or", centre - 15, 20, makecol(255, 255, 255), -1);

    drawPanel(dblbuffer, centre - 150, 145, centre + 150, 460);
    for (int i = 0; i < 4; i++) {
        const MenuItem &item = menuItems[i];
        int color = normalColor();
        if (i == selection) {
            draw_rle_sprite(dblbuffer, themeSprite(vessaData, item.leftObject), centre + item.leftX, item.y + 15);
            draw_rle_sprite(dblbuffer, themeSprite(korrinData, item.rightObject), centre + item.rightX, item.y + 15);
            color = highlightColor();
        }
        textout_centre_ex(dblbuffer, comicMedium, item.label, centre, item.y, color, -1);
    }

    drawPanel(dblbuffer, 30, SCREEN_H - 30, SCREEN_W - 30, SCREEN_H);
    FONT *creditFont = static_cast<FONT *>(fontData[FONT3_CREDIT].dat);
    textout_centre_ex(dblbuffer, creditFont, creditLine, centre, SCREEN_H - 25, makecol(255, 255, 255), -1);

    blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

void selectInput()
{
    clear_keybuf();
    waitForKey();
    if (key[KEY_ENTER]) {
        switch (selection) {
        case 0: {
            int gameType = queryGameType();
            if (gameType >= 0)
                gameInit(rand() % 2, gameType);
            rest(100);
            clear_keybuf();
            break;
        }
        case 1:
            optionScreen();
            break;
        case 2:
            drawStartScreenHighScores();
            break;
        case 3:
            run = 0;
            break;
        }
    }
    // Arrows count even after an action returns, so a held arrow moves the highlight then.
    if (key[KEY_DOWN])
        selection += 1;
    if (key[KEY_UP])
        selection += 3;
    selection %= 4;
    clear_keybuf();
}

int queryGameType()
{
    static const char *labels[3] = {"Tetris", "Color", "Cancel"};
    static const int results[3] = {0, 1, -1};
    const int centreX = SCREEN_W / 2;
    const int centreY = SCREEN_H / 2;

    rest(100);
    clear_keybuf();
    drawPanel(dblbuffer, centreX - 140, centreY - 130, centreX + 140, centreY + 85);
    textout_centre_ex(dblbuffer, comicSmall, "Select Game Type:", centreX, centreY - 115, makecol(255, 255, 255), -1);

    int choice = 0;
    while (true) {
        for (int i = 0; i < 3; i++) {
            int color = i == choice ? highlightColor() : normalColor();
            textout_centre_ex(dblbuffer, comicMedium, labels[i], centreX, centreY - 75 + 50 * i, color, -1);
        }
        blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        waitForKey();
        if (key[KEY_ENTER])
            return results[choice];
        if (key[KEY_DOWN])
            choice += 1;
        if (key[KEY_UP])
            choice += 2;
        choice %= 3;
        clear_keybuf();
    }
}

struct OptionRow {
    const char *label;
    int *binding;
};

static const OptionRow optionRows[8] = {
    {"Sound: ", nullptr},
    {"Move.Left: ", &inputMoveLeft},
    {"Move.Right: ", &inputMoveRight},
    {"Rotate.Left: ", &inputRotateLeft},
    {"Rotate.Right: ", &inputRotateRight},
    {"Fall.Down: ", &inputFallDown},
    {"Pause.Game: ", &inputPause},
    {"Back", nullptr},
};

static const int optionRowY[8] = {-75, -45, -15, 15, 45, 75, 105, 145};

void optionScreen()
{
    static char rowText[8][1024];
    const int centreX = SCREEN_W / 2;
    const int centreY = SCREEN_H / 2;

    rest(100);
    clear_keybuf();
    int row = 0;
    while (true) {
        for (int i = 0; i < 8; i++) {
            strcpy(rowText[i], optionRows[i].label);
            if (i == 0)
                strcat(rowText[i], soundOn ? "On" : "Off");
            else if (optionRows[i].binding)
                strcat(rowText[i], scancode_to_name(*optionRows[i].binding));
        }
        drawPanel(dblbuffer, centreX - 180, centreY - 130, centreX + 180, centreY + 190);
        textout_centre_ex(dblbuffer, comicMedium, "Options:", centreX, centreY - 125, makecol(255, 255, 255), -1);
        for (int i = 0; i < 8; i++) {
            int color = i == row ? highlightColor() : normalColor();
            textout_centre_ex(dblbuffer, comicSmall, rowText[i], centreX, centreY + optionRowY[i], color, -1);
        }
        blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        waitForKey();

        if (key[KEY_ENTER]) {
            if (row == 0) {
                soundOn = (soundOn + 1) % 2;
                clear_keybuf();
                rest(200);
            } else if (row == 7) {
                return;
            } else {
                textout_centre_ex(screen, comicMedium, "Press the desired key", centreX, centreY - 70,
                                  highlightColor(), makecol(0, 0, 0));
                clear_keybuf();
                rest(200);
                clear_keybuf();
                *optionRows[row].binding = readkey() >> 8;
                clear_keybuf();
                rest(200);
            }
        }
        if (key[KEY_DOWN])
            row += 1;
        if (key[KEY_UP])
            row += 7;
        row %= 8;
        clear_keybuf();
    }
}

void drawStartScreenHighScores()
{
    const int centreX = SCREEN_W / 2;
    const int centreY = SCREEN_H / 2;
    const int white = makecol(255, 255, 255);

    HighScore *table = newHighScore();
    drawPanel(dblbuffer, centreX - 100, centreY - 130, centreX + 100, centreY + 190);
    textout_centre_ex(dblbuffer, comicSmall, "High Scores:", centreX, centreY - 115, white, -1);
    for (int i = 0; i < 10; i++)
        textprintf_centre_ex(dblbuffer, comicSmall, centreX, centreY - 80 + 25 * i, white, -1, "%i",
                             table->scores[i]->points);
    blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    destroyHighScore(table);

    rest(100);
    clear_keybuf();
    waitForKey();
    clear_keybuf();
}

static int highlightColor()
{
    return makecol(4, 217, 158);
}

static int normalColor()
{
    return makecol(223, 36, 134);
}

static void drawPanel(BITMAP *target, int x1, int y1, int x2, int y2)
{
    rectfill(target, x1, y1, x2, y2, makecol(0, 0, 0));
    rect(target, x1, y1, x2, y2, makecol(255, 255, 255));
}

// Sleeps between polls so a waiting menu costs next to nothing.
static void waitForKey()
{
    while (!keypressed())
        rest(10);
}

static RLE_SPRITE *themeSprite(DATAFILE *theme, int object)
{
    return static_cast<RLE_SPRITE *>(theme[object].dat);
}
