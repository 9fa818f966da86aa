// What the game reads and writes: "highscore.dat" as found on disk, the datafiles
// whole, cut or garbled, the built artwork, and the two sounds.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DatafileCheck.h"
#include "Support.h"

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

static Bytes scoresFile(std::vector<int> scores, size_t size = 40)
{
    scores.resize(12);
    Bytes bytes(reinterpret_cast<char *>(scores.data()), reinterpret_cast<char *>(scores.data()) + 48);
    bytes.resize(size);
    return bytes;
}

// What stands at `path`: a file's bytes, "/" for a folder, "|" for a FIFO, or none.
static Bytes readFile(const std::string &path)
{
    if (!fs::is_regular_file(path))
        return fs::is_directory(path) ? Bytes{'/'} : fs::is_fifo(path) ? Bytes{'|'} : Bytes{};
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

static void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// Saves as the player `saver` (0: whoever runs the tests) in group 4300, with files
// limited to `limit` bytes (0: no limit), in a process of its own given ten seconds: the place taken.
static int saveAs(uid_t saver, long limit, int offered)
{
    if (pid_t child = fork()) {
        int status = 0;
        waitpid(child, &status, 0);
        return WEXITSTATUS(status);
    }
    const gid_t group = 4300;
    const rlimit bytes = {rlim_t(limit), rlim_t(limit)};
    signal(SIGXFSZ, SIG_IGN);
    Score score{offered};
    alarm(10);
    _exit((saver && (setgroups(1, &group) || setgid(saver) || setuid(saver))) || (limit && setrlimit(RLIMIT_FSIZE, &bytes))
              ? 99 : highScoreSaveToDisk(&score));
}

TEST(HighScoreFile, AScoreEntersAboveTheFirstSmallerEntryAndIsWrittenOverTheFileInPlace)
{
    const Bytes full = scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 50}), some = scoresFile({30, 20, 10});
    const Bytes long44 = scoresFile({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 9}, 44), folder = {'/'}, fifo = {'|'};
    const Bytes negative = scoresFile({-5, -10, -20, -30, -40, -50, -60, -70, -80, INT_MIN});
    struct Case {
        Bytes before; // none, or "/" for a folder in its place, "|" for a FIFO
        mode_t mode, folderMode;
        uid_t owner, saver; // group 4300; 0 is whoever runs the tests
        long limit;
        char linked; // 'h': a hard link other.dat; 's': a symbolic link to other.dat, the saver's
        int offered, place;
        Bytes after;
    };
    const Case cases[] = {
        {{}, 0, 0755, 0, 0, 0, 0, 0, 0, {}},
        {{}, 0, 0755, 0, 0, 0, 0, 40, 1, scoresFile({40})},
        {scoresFile({100, 90, 90, 80}), 0644, 0755, 0, 0, 0, 0, 90, 4, scoresFile({100, 90, 90, 90, 80})},
        {full, 0644, 0755, 0, 0, 0, 0, 50, 0, full},
        {full, 0644, 0755, 0, 0, 0, 0, 51, 10, scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 51})},
        {scoresFile({10, 300, 5, 70, 0, 900, 2, 2, 1, 40}), 0644, 0755, 0, 0, 0, 0, 6, 3, scoresFile({10, 300, 6, 5, 70, 0, 900, 2, 2, 1})},
        {scoresFile({77, -2, 5}, 10), 0644, 0755, 0, 0, 0, 0, 3, 2, scoresFile({77, 3, -2})},
        {long44, 0644, 0755, 0, 0, 0, 0, 55, 5, scoresFile({90, 80, 70, 60, 55, 50, 40, 30, 20, 10})},
        {negative, 0644, 0755, 0, 0, 0, 0, -7, 2, scoresFile({-5, -7, -10, -20, -30, -40, -50, -60, -70, -80})},
        {folder, 0755, 0755, 0, 0, 0, 0, 40, 1, folder},
        {fifo, 0644, 0755, 0, 4243, 0, 0, 40, 1, fifo},
        // Players sharing a folder through a group, a sticky folder, a linked file.
        {some, 0664, 0775, 4242, 4243, 0, 0, 25, 2, scoresFile({30, 25, 20, 10})},
        {some, 0666, 01777, 4242, 4243, 0, 0, 25, 2, scoresFile({30, 25, 20, 10})},
        {some, 0666, 0755, 4242, 4243, 0, 'h', 25, 2, scoresFile({30, 25, 20, 10})},
        // A link the player made is followed; one another player planted is not.
        {some, 0644, 0775, 4243, 4243, 0, 's', 25, 2, scoresFile({30, 25, 20, 10})},
        {some, 0644, 0775, 4242, 4243, 0, 's', 25, 1, some},
        // Read-only for the player; write-only, so unread but written; a folder closed to
        // files; a full disk.
        {some, 0444, 0777, 4242, 4243, 0, 0, 25, 2, some},
        {some, 0222, 0777, 4242, 4243, 0, 0, 25, 1, scoresFile({25})},
        {{}, 0, 0555, 0, 4243, 0, 0, 40, 1, {}},
        {{}, 0, 0755, 0, 0, 12, 0, 40, 1, {}},
        {scoresFile({77, -2, 5}, 10), 0644, 0755, 0, 0, 12, 0, 3, 2, scoresFile({77, -2, 5}, 10)},
    };
    umask(022);
    for (const auto &c : cases) {
        if ((c.owner || c.saver) && getuid() != 0)
            continue;
        TempDir folder;
        if (c.before == Bytes{'/'})
            fs::create_directory("highscore.dat");
        else if (c.before == Bytes{'|'})
            mkfifo("highscore.dat", 0644);
        else if (!c.before.empty())
            writeFile(c.linked == 's' ? "other.dat" : "highscore.dat", c.before);
        struct stat was = {}, is = {};
        if (c.linked == 's' && (symlink("other.dat", "highscore.dat") || chown("other.dat", c.saver, 4300)))
            FAIL();
        if (c.mode && (chmod("highscore.dat", c.mode) || lchown("highscore.dat", c.owner, 4300) ||
                       (c.linked == 'h' && link("highscore.dat", "other.dat")) || stat("highscore.dat", &was)))
            FAIL();
        if (chown(".", 0, 4300) || chmod(".", c.folderMode))
            FAIL();
        SCOPED_TRACE(testing::Message() << c.offered << " offered by " << c.saver);
        EXPECT_EQ(saveAs(c.saver, c.limit, c.offered), c.place);
        EXPECT_EQ(readFile("highscore.dat"), c.after);
        // A shared file stays what it was; a new one has the player's usual permissions.
        if (stat("highscore.dat", &is) == 0) {
            EXPECT_EQ(std::tuple(is.st_ino, is.st_uid, is.st_gid, is.st_mode, is.st_nlink),
                      c.mode ? std::tuple(was.st_ino, was.st_uid, was.st_gid, was.st_mode, was.st_nlink)
                             : std::tuple(is.st_ino, is.st_uid, is.st_gid, S_IFREG | 0644u, nlink_t(1)));
        }
        EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), !c.after.empty() + !!c.linked) << "a stray file";
    }
    // Eight games saving at once, best scores first so that none lost is made up later: the best ten stay.
    TempDir together;
    std::vector<std::thread> games;
    for (int game = 0; game < 8; game++)
        games.emplace_back([game] {
            for (Score score{792 + game}; score.points > 0; score.points -= 8)
                highScoreSaveToDisk(&score);
        });
    for (std::thread &game : games)
        game.join();
    EXPECT_EQ(readFile("highscore.dat"), scoresFile({799, 798, 797, 796, 795, 794, 793, 792, 791, 790}));
}

// Whether the game's loading gave a datafile, which goes again at once.
static bool loaded(DATAFILE *data)
{
    if (data)
        unload_datafile(data);
    return data;
}

static bool loads(const Bytes &bytes, int type)
{
    return loaded(datafileLoadBytes(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), type));
}

static Bytes operator+(Bytes bytes, const Bytes &more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

// A number as datafiles hold it, most significant byte first.
static Bytes word(long value, int width = 4)
{
    Bytes bytes;
    for (int shift = 8 * width - 8; shift >= 0; shift -= 8)
        bytes.push_back(char(value >> shift));
    return bytes;
}

// An object of `type` holding `body`, stored as it is or, given `packed`, as those bytes.
static Bytes object(const char *type, const Bytes &body, const Bytes &packed = {})
{
    const long size = body.size();
    return Bytes(type, type + 4) + (packed.empty() ? word(size) + word(size) + body
                                                   : word(packed.size()) + word(-size) + packed);
}

static Bytes times(int count, const Bytes &bytes)
{
    Bytes all;
    while (count-- > 0)
        all.insert(all.end(), bytes.begin(), bytes.end());
    return all;
}

// A sprite of one pixel whose one line holds `runs`.
static Bytes sprite(const Bytes &runs = {1, 0, 0}, int depth = 8)
{
    return object("RLE ", word(depth, 2) + word(1, 2) + word(1, 2) + word(runs.size()) + runs);
}

TEST(Datafiles, WhateverAllegrosToolsWriteLoadsAndWhatCouldCrashTheLoaderIsRefused)
{
    resetGame();
    TempDir folder;
    const std::string add = "dat -a -t ", art = " " VOK_ART_DIR "/Korrin/block?_*.bmp";
    // Bitmaps, compiled and 32-bit sprites, one with alpha, a datafile inside and a sample, all after the game's objects.
    const std::string others = "cp t.dat in.dat && cp " VOK_RUN_DIR "/Sfx/blockFall.wav z.wav && " + add + "BMP t.dat" +
                               art + " && " + add + "CMP t.dat" + art + " && " + add + "RLE -bpp 32 t.dat" + art +
                               " && convert -size 20x20 xc:'rgba(9,9,9,0.5)' TGA:y.tga && " + add + "RLE -bpp 32 t.dat y.tga" +
                               " && dat -a t.dat in.dat z.wav";
    // An empty sprite that packs small and would take the loader 100 MB.
    const std::string big = "convert -size 2048x2048 xc:black -type palette BMP3:z.bmp && " + add + "RLE -bpp 8 t.dat z.bmp";
    // A built datafile copied to t.dat (or none), then Allegro's tools run on it, read as `type`.
    // dat keeps objects sorted by name: those it adds go after the game's, or among them.
    struct Made {
        std::string built = "", tools = "";
        int type = DAT_RLE_SPRITE;
        bool whole = true;
    };
    const Made made[] = {
        {.built = "DataVessa.dat"},
        {.built = "DataFont.dat", .type = DAT_FONT},
        {.built = "DataKorrin.dat", .type = DAT_FONT, .whole = false},
        {.built = "DataFont.dat", .tools = "dat -c2 t.dat", .type = DAT_FONT},
        {.tools = add + "RLE -bpp 16 -c2 t.dat" + art},
        {.tools = add + "RLE -bpp 8 -c1 t.dat" + art},
        {.built = "DataVessa.dat", .tools = others},
        {.built = "DataVessa.dat", .tools = "cp " VOK_ART_DIR "/Vessa/block0_red.bmp block2_z.bmp && " + add + "BMP t.dat block2_z.bmp", .whole = false},
        {.built = "DataKorrin.dat", .tools = big + " && dat -c1 t.dat", .whole = false},
        // Two blocks of data the loader would hold whole, 66 MB, each packed on its own to 4 MB.
        {.built = "DataVessa.dat", .tools = "truncate -s 33M y.bin && ln y.bin z.bin && " + add + "DATA -c1 t.dat y.bin z.bin", .whole = false},
        {.tools = "mkfifo t.dat", .whole = false},
    };
    const size_t cuts = 200;
    for (const Made &m : made) {
        fs::remove("t.dat");
        if (!m.built.empty())
            fs::copy(VOK_RUN_DIR "/Gfx/" + m.built, "t.dat");
        ASSERT_EQ(std::system(("exec >/dev/null; " + m.tools).c_str()), 0) << m.tools;
        const Bytes bytes = readFile("t.dat");
        EXPECT_EQ(loaded(datafileLoad("t.dat", m.type)), m.whole) << m.built << ", then " << m.tools;
        for (size_t length = 0; m.whole && length < bytes.size(); length += 1 + bytes.size() / cuts)
            EXPECT_FALSE(loads(Bytes(bytes.begin(), bytes.begin() + length), m.type)) << m.built << ", then " << m.tools << ", cut at " << length;
    }
    // Datafiles made byte by byte; any that could crash the loader, or make it take more than 64 MB, is refused.
    const Bytes dot = sprite(), glyph = word(1, 2) + word(1, 2) + Bytes{1}, after = object("ABCD", {'x'});
    const Bytes mono = Bytes{1} + word(' ') + word(' '), colour = Bytes{8} + word('!') + word('!');
    const Bytes font = object("FONT", word(1, 4) + colour + glyph), tall = object("FONT", word(-1, 2) + word(1, 2) + word(4096, 2) + Bytes(4096));
    const Bytes midi = object("MIDI", word(0, 2) + times(32, word(1) + Bytes{'x'}));
    struct Crafted {
        const char *what;
        std::vector<Bytes> objects;
        int type = DAT_RLE_SPRITE;
        bool whole = false;
    };
    const Crafted crafted[] = {
        {.what = "one sprite", .objects = {dot}},
        {.what = "two sprites", .objects = {dot, dot}},
        {.what = "three sprites", .objects = {dot, dot, dot}},
        {.what = "an 8-bit sprite with alpha", .objects = {sprite({1, 0, 0}, -8), dot, dot, dot}},
        {.what = "runs wider than the sprite", .objects = {sprite({2, 0, 0, 0}), dot, dot, dot}},
        {.what = "more runs than the sprite's memory", .objects = {sprite({1, 0, 0, 0, 0, 0, 0, -1, 0, -1, 0}, 32), dot, dot, dot}},
        // Allegro marks a property's end before its memory, and ends a list at a property of type DAT_END.
        {.what = "a property of -1 bytes", .objects = {Bytes{'p', 'r', 'o', 'p'} + word('X') + word(-1) + dot, dot, dot, dot}},
        {.what = "a property of type DAT_END", .objects = {Bytes{'p', 'r', 'o', 'p'} + word(DAT_END) + word(1) + Bytes{'x'} + dot, dot, dot, dot}},
        {.what = "an object of type DAT_END", .objects = {dot, dot, dot, dot, object("\xff\xff\xff\xff", {})}},
        {.what = "a packed object that copies bytes never set", .objects = {dot, dot, dot, dot, object("DATA", Bytes(3), {0, -6, -16})}},
        // Proportional fonts, packed so that the loader, which finds no end after a back-reference, reads on into the next object.
        {.what = "a packed font whose last copy runs past its end", .objects = {dot, dot, dot, dot, object("FONT", Bytes(7), Bytes{-65} + word(-1, 2) + word(1, 2) + word(1, 2) + Bytes{0, 15}), after}},
        {.what = "a packed font that ends on a copy", .objects = {dot, dot, dot, dot, object("FONT", Bytes(7), Bytes{15} + word(-1, 2) + word(1, 2) + Bytes{-16, -16}), after}},
        {.what = "a font of no ranges", .objects = {object("FONT", word(0, 4)), font, font, font}, .type = DAT_FONT},
        {.what = "a font of mono and colour ranges", .objects = {object("FONT", word(2, 4) + mono + glyph + colour + glyph), font, font, font}, .type = DAT_FONT},
        {.what = "a mono glyph of no width", .objects = {object("FONT", word(1, 4) + mono + word(0, 2) + word(1, 2)), font, font, font}, .type = DAT_FONT},
        // Allegro pads each to 224 glyphs as tall as its tallest: 70 MB.
        {.what = "five fonts of one glyph 4096 pixels tall", .objects = {tall, tall, tall, tall, tall}, .type = DAT_FONT},
        // Small records the loader allocates apart, 70 MB of them.
        {.what = "400,000 one-pixel glyphs", .objects = {object("FONT", word(1, 4) + Bytes{8} + word(0) + word(399999) + times(400000, glyph)), font, font, font}, .type = DAT_FONT},
        {.what = "40,000 MIDI tunes of 32 tracks", .objects = {dot, dot, dot, dot, object("FILE", word(40000) + times(40000, midi))}},
    };
    for (const Crafted &c : crafted) {
        Bytes bytes = Bytes{'s', 'l', 'h', '.', 'A', 'L', 'L', '.'} + word(c.objects.size());
        for (const Bytes &object : c.objects)
            bytes = bytes + object;
        EXPECT_EQ(loads(bytes, c.type), c.whole) << c.what;
    }
}

TEST(BuiltArt, BlocksRedBlueGreenYellowInBothThemesAndFontsGrowingInSize)
{
    resetGame();
    for (const char *name : {"DataVessa.dat", "DataKorrin.dat"}) {
        DATAFILE *theme = load_datafile((VOK_RUN_DIR "/Gfx/" + std::string(name)).c_str());
        for (int color = 0; color < 4; color++) {
            BITMAP *cell = create_bitmap(20, 20);
            draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(theme[color].dat), 0, 0);
            double r = 0, g = 0, b = 0;
            for (int i = 0; i < 400; i++)
                r += getr(getpixel(cell, i % 20, i / 20)), g += getg(getpixel(cell, i % 20, i / 20)),
                    b += getb(getpixel(cell, i % 20, i / 20));
            destroy_bitmap(cell);
            const double hue = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
            EXPECT_LT(std::fabs(std::remainder(hue - std::array{0, -135, 120, 50}[color], 360.0)), 30) << name << color;
        }
        unload_datafile(theme);
    }
    EXPECT_LT(text_height(comicSmall), text_height(comicMedium));
    EXPECT_LT(text_height(comicMedium), text_height(comicBig));
}

TEST(Sounds, AMissingFileIsReportedAndNeverPlayedAndTheSwitchSilencesTheOther)
{
    TempDir folder;
    resetGame();
    fs::create_directory("Sfx");
    fs::copy(VOK_RUN_DIR "/Sfx/blockFall.wav", "Sfx/blockFall.wav");
    testing::internal::CaptureStdout();
    soundInit();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error, blockKilled.wav file could not be found. Reinstall the game to have proper sounds.");
    for (int on : {1, 0, 1}) {
        soundOn = on;
        plays.clear();
        playBlockFall();
        playBlockKilled();
        EXPECT_EQ(plays.size(), size_t(on)) << "sound " << on;
    }
    EXPECT_TRUE(fallBlock && plays[0] == fallBlock);
    soundExit();
}
