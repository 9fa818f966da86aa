// What the game reads and writes: "highscore.dat" as found on disk, the datafiles whole,
// cut or garbled, the built artwork, and the two sounds.
#include <array>
#include <cstdarg>
#include <climits>
#include <cmath>
#include <csignal>
#include <numeric>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DatafileCheck.h"
#include "Support.h"

// Puts at `path` what readFile then reads there.
static void writeFile(const std::string &path, const Bytes &bytes)
{
    if (bytes == Bytes{'/'})
        fs::create_directory(path);
    else if (bytes == Bytes{'|'})
        mkfifo(path.c_str(), 0644);
    else
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// What another player or game does right after the saver's first open of "highscore.dat".
static std::function<void()> meanwhile;
static std::atomic<int> lockWaiters; // threads refused a lock, each counted once

extern "C" int __real_open(const char *path, int flags, ...);
extern "C" int __wrap_open(const char *path, int flags, ...)
{
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = __OPEN_NEEDS_MODE(flags) ? va_arg(rest, mode_t) : 0;
    va_end(rest);
    const int file = __real_open(path, flags, mode), error = errno;
    if (meanwhile && strcmp(path, "highscore.dat") == 0)
        std::exchange(meanwhile, nullptr)();
    errno = error;
    return file;
}

extern "C" int __real_flock(int file, int how);
extern "C" int __wrap_flock(int file, int how)
{
    static thread_local bool refused;
    const int result = __real_flock(file, how);
    if (result && errno == EWOULDBLOCK && !std::exchange(refused, true))
        lockWaiters++;
    return result;
}

// Saves as the player `saver` (0: whoever runs the tests) in group 4300, with files limited to
// `limit` bytes (0: no limit), in a process of its own given ten seconds: "place N", or its end.
static std::string saveAs(uid_t saver, long limit, int offered, const std::function<void()> &then)
{
    if (pid_t child = fork()) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? "place " + std::to_string(WEXITSTATUS(status)) : strsignal(WTERMSIG(status));
    }
    const gid_t group = 4300;
    const rlimit bytes = {rlim_t(limit), rlim_t(limit)};
    signal(SIGXFSZ, SIG_IGN);
    alarm(10);
    if ((saver && (setgroups(1, &group) || setgid(saver) || setuid(saver))) || (limit && setrlimit(RLIMIT_FSIZE, &bytes)))
        abort();
    meanwhile = then;
    Score score{offered};
    _exit(highScoreSaveToDisk(&score));
}

static bool linkAs(const char *target, const char *name, uid_t owner)
{
    return symlink(target, name) == 0 && lchown(name, owner, 4300) == 0;
}

TEST(HighScoreFile, AScoreEntersAboveTheFirstSmallerEntryAndIsWrittenOverTheFileInPlace)
{
    const Bytes full = scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 50}), some = scoresFile({30, 20, 10});
    const Bytes someWith25 = scoresFile({30, 25, 20, 10}), folder = {'/'}, fifo = {'|'};
    const uid_t other = 4242, player = 4243;
    // In the table's place: a hard link with other.dat; the owner's symbolic link to the saver's other.dat; the same
    // to link.dat, another's link to other.dat; the owner's link, swapped for another's to victim.dat once opened.
    enum Link { none, hard, symbolic, chained, swapped };
    struct Save {
        Bytes before = {}; // none, "/" for a folder or "|" for a FIFO in the table's place
        mode_t mode = 0644, folderMode = 0755;
        uid_t owner = 0, saver = 0; // group 4300; 0 is whoever runs the tests
        long limit = 0;             // the bytes a file may hold, 0 for any
        Link link = none;
        Bytes madeMeanwhile = {}; // by another game, once the saver found no table
        int offered = 25, place = 0;
        Bytes after = {};
    };
    const Save saves[] = {
        {.offered = 0, .place = 0},
        {.offered = 40, .place = 1, .after = scoresFile({40})},
        {.before = scoresFile({100, 90, 90, 80}), .offered = 90, .place = 4, .after = scoresFile({100, 90, 90, 90, 80})},
        {.before = full, .offered = 50, .place = 0, .after = full},
        {.before = full, .offered = 51, .place = 10, .after = scoresFile({500, 400, 300, 200, 100, 90, 80, 70, 60, 51})},
        {.before = scoresFile({10, 300, 5, 70, 0, 900, 2, 2, 1, 40}), .offered = 6, .place = 3, .after = scoresFile({10, 300, 6, 5, 70, 0, 900, 2, 2, 1})},
        {.before = scoresFile({77, -2, 5}, 10), .offered = 3, .place = 2, .after = scoresFile({77, 3, -2})},
        {.before = scoresFile({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 9}, 44), .offered = 55, .place = 5, .after = scoresFile({90, 80, 70, 60, 55, 50, 40, 30, 20, 10})},
        {.before = scoresFile({-5, -10, -20, -30, -40, -50, -60, -70, -80, INT_MIN}), .offered = 0, .place = 1, .after = scoresFile({0, -5, -10, -20, -30, -40, -50, -60, -70, -80})},
        {.madeMeanwhile = scoresFile({500}), .place = 2, .after = scoresFile({500, 25})},
        {.before = folder, .place = 1, .after = folder},
        {.before = fifo, .saver = player, .place = 1, .after = fifo},
        // Players sharing a folder through a group, a sticky folder, a linked file.
        {.before = some, .mode = 0664, .folderMode = 0775, .owner = other, .saver = player, .place = 2, .after = someWith25},
        {.before = some, .mode = 0666, .folderMode = 01777, .owner = other, .saver = player, .place = 2, .after = someWith25},
        {.before = some, .mode = 0666, .owner = other, .saver = player, .link = hard, .place = 2, .after = someWith25},
        // A link the player made is followed once, as it was when opened; one another player planted is not.
        {.before = some, .folderMode = 0775, .owner = player, .saver = player, .link = symbolic, .place = 2, .after = someWith25},
        {.before = some, .folderMode = 0775, .owner = other, .saver = player, .link = symbolic, .place = 1, .after = some},
        {.before = some, .folderMode = 0775, .owner = player, .saver = player, .link = chained, .place = 1, .after = some},
        {.before = some, .folderMode = 0775, .owner = player, .saver = player, .link = swapped, .place = 2, .after = someWith25},
        // Read-only for the player; write-only, so unread but written; a folder closed to files; a full disk.
        {.before = some, .mode = 0444, .folderMode = 0777, .owner = other, .saver = player, .place = 2, .after = some},
        {.before = some, .mode = 0222, .folderMode = 0777, .owner = other, .saver = player, .place = 1, .after = scoresFile({25})},
        {.folderMode = 0555, .saver = player, .offered = 40, .place = 1},
        {.limit = 12, .offered = 40, .place = 1},
        {.before = scoresFile({77, -2, 5}, 10), .limit = 12, .offered = 3, .place = 2, .after = scoresFile({77, -2, 5}, 10)},
    };
    umask(022);
    const bool root = getuid() == 0;
    int skipped = 0;
    for (const Save &c : saves) {
        if ((c.owner || c.saver) && !root) {
            skipped++;
            continue;
        }
        SCOPED_TRACE(testing::Message() << "row " << &c - saves);
        TempDir here;
        const char *table = c.link >= symbolic ? "other.dat" : "highscore.dat";
        if (!c.before.empty())
            writeFile(table, c.before);
        bool ready = (!root || chown(".", 0, 4300) == 0) && chmod(".", c.folderMode) == 0;
        if (c.link >= symbolic)
            ready = ready && linkAs(c.link == chained ? "link.dat" : "other.dat", "highscore.dat", c.owner) && chown(table, c.saver, 4300) == 0;
        if (c.link == chained)
            ready = ready && linkAs("other.dat", "link.dat", other);
        if (c.link == swapped)
            ready = ready && linkAs("victim.dat", "planted", other) && (writeFile("victim.dat", full), chown("victim.dat", c.saver, 4300)) == 0;
        if (c.link < symbolic && !c.before.empty())
            ready = ready && (!root || chown(table, c.owner, 4300) == 0) && (c.link != hard || link(table, "other.dat") == 0);
        ASSERT_TRUE(ready && (c.before.empty() || chmod(table, c.mode) == 0));
        struct stat was = {}, is = {};
        const bool existed = stat(table, &was) == 0;
        const auto entries = std::distance(fs::directory_iterator("."), {});
        EXPECT_EQ(saveAs(c.saver, c.limit, c.offered, [&c] {
            if (c.link == swapped)
                rename("planted", "highscore.dat");
            if (!c.madeMeanwhile.empty())
                writeFile("highscore.dat", c.madeMeanwhile);
        }), "place " + std::to_string(c.place));
        EXPECT_EQ(readFile(table), c.after);
        // A shared file stays what it was; a new one has the player's usual permissions.
        if (stat(table, &is) == 0) {
            EXPECT_EQ(std::tuple(is.st_ino, is.st_uid, is.st_gid, is.st_mode, is.st_nlink),
                      existed ? std::tuple(was.st_ino, was.st_uid, was.st_gid, was.st_mode, was.st_nlink)
                              : std::tuple(is.st_ino, getuid(), getgid(), S_IFREG | 0644u, nlink_t(1)));
        }
        // The planted link has taken the place of the table's.
        EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), entries + (!existed && !c.after.empty()) - (c.link == swapped));
        EXPECT_EQ(readFile("victim.dat"), c.link == swapped ? full : Bytes{});
    }
    if (skipped)
        GTEST_SKIP() << skipped << " of " << std::size(saves) << " cases need root";
}

// Eight games saving while the high-score screen reads the table wait for it, for certain: it lets
// go only once each has been refused the lock, or has saved without it. Then all save, one by one.
TEST(HighScoreFile, GamesSavingAtOnceWaitForAReaderAndAllCount)
{
    TempDir folder;
    writeFile("highscore.dat", scoresFile({}));
    const int reader = open("highscore.dat", O_RDONLY);
    ASSERT_EQ(flock(reader, LOCK_SH), 0);
    lockWaiters = 0;
    std::atomic<int> saved = 0;
    std::vector<std::jthread> games;
    for (int game = 1; game <= 8; game++)
        games.emplace_back([&saved](Score score) { saved += highScoreSaveToDisk(&score) > 0; }, Score{game});
    while (lockWaiters + saved < 8)
        std::this_thread::yield();
    EXPECT_EQ(saved, 0) << "saved while the table was being read";
    close(reader);
    games.clear(); // each joined
    EXPECT_EQ(readFile("highscore.dat"), scoresFile({8, 7, 6, 5, 4, 3, 2, 1}));
}

// Whether the game's loading gave a datafile, which goes again at once.
static bool loads(DATAFILE *data)
{
    if (data)
        unload_datafile(data);
    return data;
}

static bool loads(const Bytes &bytes, int type)
{
    return loads(datafileLoadBytes(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), type));
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
    // A built datafile copied to t.dat (or none), then Allegro's tools on it (dat sorts objects by name), read as `type`.
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
        EXPECT_EQ(loads(datafileLoad("t.dat", m.type)), m.whole) << m.built << ", then " << m.tools;
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
        {.what = "four sprites", .objects = {dot, dot, dot, dot}, .whole = true},
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

// Linear RGB as each vision sees it: normal, then Machado et al. (2009)'s protanopia, deuteranopia and tritanopia at 1.
static const double visions[4][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1},
    {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216, -0.003882, -0.048116, 1.051998},
    {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413, -0.011820, 0.042940, 0.968881},
    {1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602, 0.004733, 0.691367, 0.303900}};

// A pixel as `vision` sees it, in CIELAB.
static std::array<double, 3> seenLab(int pixel, const double *vision)
{
    const double toXyz[9] = {0.4124, 0.3576, 0.1805, 0.2126, 0.7152, 0.0722, 0.0193, 0.1192, 0.9505}, white[3] = {0.95047, 1, 1.08883};
    double linear[3] = {getr(pixel) / 255.0, getg(pixel) / 255.0, getb(pixel) / 255.0}, seen[3] = {}, f[3] = {};
    for (double &c : linear)
        c = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    for (int k = 0; k < 9; k++)
        seen[k / 3] += vision[k] * linear[k % 3];
    for (int k = 0; k < 9; k++)
        f[k / 3] += toXyz[k] * std::clamp(seen[k % 3], 0.0, 1.0) / white[k / 3];
    for (double &t : f)
        t = t > 216 / 24389.0 ? std::cbrt(t) : (24389 / 27.0 * t + 16) / 116;
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

TEST(BuiltArt, BlocksRedBlueGreenYellowThatEveryVisionTellsApartInBothThemes)
{
    resetGame();
    const auto delta = [](const auto &p, const auto &q) { return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]); };
    for (const char *name : {"DataVessa.dat", "DataKorrin.dat"}) {
        DATAFILE *theme = load_datafile((VOK_RUN_DIR "/Gfx/" + std::string(name)).c_str());
        BITMAP *cell = create_bitmap(20, 20);
        std::array<double, 3> seen[4][4][400]; // vision, colour, pixel
        for (int color = 0; color < 4; color++) {
            clear_bitmap(cell);
            draw_rle_sprite(cell, static_cast<RLE_SPRITE *>(theme[color].dat), 0, 0);
            for (int vision = 0; vision < 4; vision++)
                for (int i = 0; i < 400; i++)
                    seen[vision][color][i] = seenLab(getpixel(cell, i % 20, i / 20), visions[vision]);
            // Objects 0 to 3 still read first as red, blue, green and yellow: their mean hue.
            double a = 0, b = 0;
            for (const auto &lab : seen[0][color])
                a += lab[1], b += lab[2];
            EXPECT_LT(std::fabs(std::remainder(std::atan2(b, a) * 180 / M_PI - std::array{30, -70, 140, 90}[color], 360.0)), 25) << name << color;
        }
        // However the player sees them, any two colours differ by a mean CIE76 difference of 30 or more.
        for (const auto &colours : seen)
            for (int one = 0; one < 4; one++)
                for (int other = one + 1; other < 4; other++)
                    EXPECT_GE(std::transform_reduce(colours[one], colours[one] + 400, colours[other], 0.0, std::plus<>(), delta) / 400, 30)
                        << name << ", vision " << &colours - seen << ": " << one << " and " << other;
        destroy_bitmap(cell);
        unload_datafile(theme);
    }
}

TEST(Sounds, AMissingFileIsNeverPlayedAndTheSwitchSilencesTheOther)
{
    TempDir folder;
    resetGame();
    fs::create_directory("Sfx");
    fs::copy(VOK_RUN_DIR "/Sfx/blockFall.wav", "Sfx/blockFall.wav");
    soundInit();
    for (int on : {1, 0}) {
        soundOn = on;
        plays.clear();
        playBlockFall();
        playBlockKilled();
        EXPECT_EQ(plays, on ? std::vector<const SAMPLE *>{fallBlock} : std::vector<const SAMPLE *>{}) << "sound " << on;
    }
    soundExit();
}
