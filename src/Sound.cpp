// The two sound effects: loaded once at start-up, played on request while the
// player has sound switched on, freed at shutdown.
#include "Sound.h"

SAMPLE *fallBlock = nullptr;
SAMPLE *blockKilled = nullptr;
int soundOn = 1;

static void playEffect(SAMPLE *sample)
{
    if (soundOn && sample)
        play_sample(sample, 200, 128, 1000, 0);
}

void soundInit()
{
    fallBlock = load_wav("Sfx/blockFall.wav");
    blockKilled = load_wav("Sfx/blockKilled.wav");
    // Both files are tried before either complaint, so a player sees every missing one.
    if (!fallBlock)
        allegro_message("Error, blockFall.wav file could not be found. Reinstall the game to have proper sounds.");
    if (!blockKilled)
        allegro_message("Error, blockKilled.wav file could not be found. Reinstall the game to have proper sounds.");
}

void playBlockFall()
{
    playEffect(fallBlock);
}

void playBlockKilled()
{
    playEffect(blockKilled);
}

void soundExit()
{
    if (fallBlock)
        destroy_sample(fallBlock);
    if (blockKilled)
        destroy_sample(blockKilled);
    fallBlock = nullptr;
    blockKilled = nullptr;
}
