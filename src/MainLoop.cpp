// Start-up and shutdown of the program, and the loop of one game: logic at a
// fixed 60 ticks a second, frames as fast as the machine draws them.
#include "MainLoop.h"

#include <cstdlib>
#include <ctime>

#include "DatafileCheck.h"
#include "HighScores.h"
#include "Input.h"
#include "Platform.h"
#include "Sound.h"

BITMAP *dblbuffer = nullptr;
DATAFILE *vessaData = nullptr;
DATAFILE *korrinData = nullptr;
DATAFILE *allData = nullptr;
DATAFILE *fontData = nullptr;
FONT *comicSmall = nullptr;
FONT *comicMedium = nullptr;
FONT *comicBig = nullptr;
std::atomic<int> timeControl{0};
std::atomic<int> fallingBlockTimer{0};
CollisionSystem *mainCollision = nullptr;
int endGame = 0;
int run = 1;

static const int ticksPerSecond = 60;

static void dieWithLibraryError();
static DATAFILE *loadDatafileOrDie(const char *path, int objectType, const char *message);

void init()
{
    // Without a display or a keyboard there is no game; say so rather than crash. A settings
    // file may ask for no system at all, whose timer Allegro would call through a null pointer.
    if (allegro_init() != 0 || system_driver->id == SYSTEM_NONE || install_timer() != 0 || install_keyboard() != 0)
        dieWithLibraryError();
    if (install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT, nullptr) < 0) {
        allegro_message("Sound Error: %s\n", allegro_error);
        allegro_message("Game will keep running");
    }
    fallingBlockTimer = 0;
    timeControl = 0;
    endGame = 0;

    set_color_depth(24);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0) < 0)
        dieWithLibraryError();
    set_window_title("Vessa Or Korrin");
    if (const char *warning = platformFolderWarning())
        allegro_message("%s", warning);
    srand(time(nullptr));

    korrinData = loadDatafileOrDie("Gfx/DataKorrin.dat", DAT_RLE_SPRITE,
                                   "Error, DataKorrin.dat file could not be found. Reinstall the game.");
    vessaData = loadDatafileOrDie("Gfx/DataVessa.dat", DAT_RLE_SPRITE,
                                  "Error, DataVessa.dat file could not be found. Reinstall the game.");
    dblbuffer = create_bitmap(SCREEN_W, SCREEN_H);
    if (!dblbuffer)
        dieWithLibraryError();
    clear_bitmap(dblbuffer);
    soundInit();
    fontData = loadDatafileOrDie("Gfx/DataFont.dat", DAT_FONT,
                                 "Error, DataFont.dat file could not be found. Please reinstall the game.");
    comicSmall = static_cast<FONT *>(fontData[0].dat);
    comicMedium = static_cast<FONT *>(fontData[1].dat);
    comicBig = static_cast<FONT *>(fontData[2].dat);
}

void shutdown()
{
    soundExit();
    unload_datafile(korrinData);
    unload_datafile(vessaData);
    unload_datafile(fontData);
    destroy_bitmap(dblbuffer);
    allegro_exit();
    exit(0);
}

void gameInit(int theme, int gameType)
{
    allData = theme == 0 ? vessaData : korrinData;
    mainCollision = newCollisionSystem(gameType, 160, 40, 320, 400);
    install_int_ex(timerControl, BPS_TO_TIMER(ticksPerSecond));
    install_int_ex(increaseFallingBlockTimer, BPS_TO_TIMER(ticksPerSecond));
    mainLoop();
}

void mainLoop()
{
    gameLoop();
    pauseGame("Game Over!");
    gameQuit();
}

void gameLoop()
{
    while (!endGame) {
        // Every due tick runs before the next frame, however many piled up.
        while (timeControl > 0) {
            input();
            gameCycle();
            timeControl--;
        }
        drawFrame();
    }
    endGame = 0;
}

void gameCycle()
{
    updateCollision(mainCollision);
}

void drawFrame()
{
    collisionDrawAll(dblbuffer, mainCollision);
    blit(dblbuffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    clear_bitmap(dblbuffer);
}

void timerControl()
{
    timeControl++;
}

void pauseGame(const char *message)
{
    remove_int(timerControl);
    while (keypressed()) {
        clear_keybuf();
        rest(10);
    }
    rest(140);
    textprintf_centre_ex(screen, comicSmall, SCREEN_W / 2, SCREEN_H / 2 - 20, makecol(255, 255, 255),
                         makecol(0, 0, 0), "%s", message);
    while (!keypressed())
        rest(10);
    rest(400);
    clear_keybuf();
    install_int_ex(timerControl, BPS_TO_TIMER(ticksPerSecond));
}

void gameQuit()
{
    remove_int(timerControl);
    remove_int(increaseFallingBlockTimer);
    if (highScoreSaveToDisk(mainCollision->score)) {
        pauseGame("Congratulations, you have HighScored!");
        remove_int(timerControl);
    }
    destroyCollision(mainCollision);
    mainCollision = nullptr;
}

static void dieWithLibraryError()
{
    // Allegro gives no reason when it finds no display at all.
    allegro_message("Error: %s\n", allegro_error[0] ? allegro_error : "no display or keyboard to play on");
    exit(1);
}

static DATAFILE *loadDatafileOrDie(const char *path, int objectType, const char *message)
{
    DATAFILE *data = datafileLoad(path, objectType);
    if (!data) {
        allegro_message("%s", message);
        exit(1);
    }
    return data;
}
