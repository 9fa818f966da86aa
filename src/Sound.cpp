// The two sound effects: loaded once at start-up, played on request while the
// player has sound switched on, freed at shutdown.
#include "Sound.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "SafeFile.h"

SAMPLE *fallBlock = nullptr;
SAMPLE *blockKilled = nullptr;
int soundOn = 1;

// Minutes of sound; the game's own effects take well under a second.
static const long maxSoundBytes = 16L << 20;

// A sound file read whole, which Allegro then reads as it would the file: the file
// is opened once, so that whatever stands in its place cannot hold up the start.
struct SoundBytes {
    std::vector<unsigned char> bytes;
    size_t at;

    long read(void *to, long count)
    {
        const long taken = std::min<long>(count, bytes.size() - at);
        memcpy(to, bytes.data() + at, taken);
        at += taken;
        return taken;
    }
    int skip(int count)
    {
        const bool within = count >= 0 && static_cast<size_t>(count) <= bytes.size() - at;
        at += within ? count : 0;
        return within ? 0 : -1;
    }
};

static SoundBytes &soundBytes(void *file)
{
    return *static_cast<SoundBytes *>(file);
}

// Read-only: closing, getting, putting back, reading, writing, skipping, at the end, failed.
static const PACKFILE_VTABLE soundBytesVtable = {
    [](void *) { return 0; },
    [](void *file) {
        unsigned char c;
        return soundBytes(file).read(&c, 1) ? int(c) : EOF;
    },
    [](int c, void *file) { return soundBytes(file).at > 0 ? (soundBytes(file).at--, c) : EOF; },
    [](void *to, long count, void *file) { return soundBytes(file).read(to, count); },
    [](int, void *) { return EOF; },
    [](const void *, long, void *) { return 0L; },
    [](void *file, int count) { return soundBytes(file).skip(count); },
    [](void *file) { return int(soundBytes(file).at == soundBytes(file).bytes.size()); },
    [](void *) { return 0; },
};

static SAMPLE *soundLoad(const char *path)
{
    SoundBytes file = {{}, 0};
    PACKFILE *packfile =
        safeFileRead(path, maxSoundBytes, file.bytes) ? pack_fopen_vtable(&soundBytesVtable, &file) : nullptr;
    SAMPLE *sample = packfile ? load_wav_pf(packfile) : nullptr;
    if (packfile)
        pack_fclose(packfile);
    return sample;
}

static void playEffect(SAMPLE *sample)
{
    if (soundOn && sample)
        play_sample(sample, 200, 128, 1000, 0);
}

void soundInit()
{
    fallBlock = soundLoad("Sfx/blockFall.wav");
    blockKilled = soundLoad("Sfx/blockKilled.wav");
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
