// Start-up and shutdown of the program, and the loop of one game: logic at a
// fixed 60 ticks a second, frames as fast as the machine draws them.
#include "MainLoop.h"

#include <cstdlib>
#include <ctime>
#include <vector>

#include "HighScores.h"
#include "Input.h"
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
    // Without a display or a keyboard there is no game; say so rather than crash.
    if (allegro_init() != 0 || install_timer() != 0 || install_keyboard() != 0)
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

// Allegro's loader trusts every size in a datafile, and a cut or garbled file
// overruns its buffers. So the file is walked first with bounded reads, and only
// a file that holds nothing but well-formed objects of the wanted kind is loaded.
namespace {

const int rleEndOfLine = 0x00FF00FF;
const long maxChunkBytes = 1 << 24;

struct ChunkReader {
    const std::vector<unsigned char> &bytes;
    size_t at = 0;
    bool ok = true;

    bool take(size_t count)
    {
        ok = ok && count <= bytes.size() - at;
        if (ok)
            at += count;
        return ok;
    }
    unsigned readBigEndian(int width)
    {
        unsigned value = 0;
        if (take(width))
            for (int i = 0; i < width; i++)
                value = value << 8 | bytes[at - width + i];
        return value;
    }
    int readLittleEndian32()
    {
        unsigned value = 0;
        if (take(4))
            for (int i = 3; i >= 0; i--)
                value = value << 8 | bytes[at - 4 + i];
        return static_cast<int>(value);
    }
};

// One 24-bit cell sprite, replaying the loader's unpacking: every run must stay
// within the line and every word within the size the loader allocates.
bool rleSpriteIsSound(ChunkReader &chunk)
{
    int bits = static_cast<short>(chunk.readBigEndian(2));
    int width = chunk.readBigEndian(2);
    int height = chunk.readBigEndian(2);
    long memoryBytes = static_cast<int>(chunk.readBigEndian(4));
    if (!chunk.ok || bits != 24 || width != 20 || height != 20 || memoryBytes < 0)
        return false;
    long words = 0;
    for (int line = 0; line < height; line++) {
        int x = 0;
        for (int run = chunk.readLittleEndian32(); chunk.ok && run != rleEndOfLine; run = chunk.readLittleEndian32()) {
            if (run < -width || run > width)
                return false;
            x += run > 0 ? run : -run;
            words += 1 + (run > 0 ? run : 0);
            if (x > width || !chunk.take(3L * (run > 0 ? run : 0)))
                return false;
        }
        words++;
        if (!chunk.ok || words * 4 > memoryBytes)
            return false;
    }
    return chunk.at == chunk.bytes.size();
}

bool fontIsSound(ChunkReader &chunk)
{
    if (chunk.readBigEndian(2) != 0)
        return false;
    int ranges = chunk.readBigEndian(2);
    if (!chunk.ok || ranges < 1 || ranges > 256)
        return false;
    for (int range = 0; range < ranges; range++) {
        int depth = chunk.readBigEndian(1);
        long first = static_cast<int>(chunk.readBigEndian(4));
        long last = static_cast<int>(chunk.readBigEndian(4));
        if (!chunk.ok || (depth != 1 && depth != 8) || first < 0 || last < first || last - first > 0xFFFF)
            return false;
        for (long glyph = first; glyph <= last; glyph++) {
            long width = chunk.readBigEndian(2);
            long height = chunk.readBigEndian(2);
            long rowBytes = depth == 1 ? (width + 7) / 8 : width;
            if (!chunk.ok || width > 1024 || height > 1024 || !chunk.take(rowBytes * height))
                return false;
        }
    }
    return chunk.at == chunk.bytes.size();
}

bool readExactly(PACKFILE *file, std::vector<unsigned char> &bytes, long count)
{
    if (count < 0 || count > maxChunkBytes)
        return false;
    bytes.resize(count);
    return count == 0 || pack_fread(bytes.data(), count, file) == count;
}

bool readBigEndian32(PACKFILE *file, long &value)
{
    std::vector<unsigned char> bytes;
    if (!readExactly(file, bytes, 4))
        return false;
    value = static_cast<int>(static_cast<unsigned>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3]);
    return true;
}

bool objectIsSound(PACKFILE *file, int objectType)
{
    long type = 0;
    std::vector<unsigned char> bytes;
    if (!readBigEndian32(file, type))
        return false;
    while (type == DAT_PROPERTY) {
        long propertyType = 0;
        long size = 0;
        if (!readBigEndian32(file, propertyType) || !readBigEndian32(file, size) || !readExactly(file, bytes, size) ||
            !readBigEndian32(file, type))
            return false;
    }
    long packedSize = 0;
    long size = 0;
    // A negative size marks an object packed on its own; the game's files never are.
    if (type != objectType || !readBigEndian32(file, packedSize) || !readBigEndian32(file, size) ||
        packedSize != size || !readExactly(file, bytes, size))
        return false;
    ChunkReader chunk{bytes};
    return objectType == DAT_RLE_SPRITE ? rleSpriteIsSound(chunk) : fontIsSound(chunk);
}

bool datafileIsSound(const char *path, int objectType)
{
    PACKFILE *file = pack_fopen(path, F_READ_PACKED);
    if (!file)
        return false;
    long magic = 0;
    long objects = 0;
    bool sound = readBigEndian32(file, magic) && magic == DAT_MAGIC && readBigEndian32(file, objects) &&
                 objects >= 4 && objects <= 64;
    for (long i = 0; sound && i < objects; i++)
        sound = objectIsSound(file, objectType);
    pack_fclose(file);
    return sound;
}

} // namespace

DATAFILE *loadGameDatafile(const char *path, int objectType)
{
    return datafileIsSound(path, objectType) ? load_datafile(path) : nullptr;
}

static void dieWithLibraryError()
{
    // Allegro gives no reason when it finds no display at all.
    allegro_message("Error: %s\n", allegro_error[0] ? allegro_error : "no display or keyboard to play on");
    exit(1);
}

static DATAFILE *loadDatafileOrDie(const char *path, int objectType, const char *message)
{
    DATAFILE *data = loadGameDatafile(path, objectType);
    if (!data) {
        allegro_message("%s", message);
        exit(1);
    }
    return data;
}
