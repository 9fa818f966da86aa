// High-score table and "highscore.dat", each case in a fresh temporary folder: the
// insertion rules, the file bytes, and a file missing, short, long or protected.
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <functional>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

#include "HighScores.h"
#include "TestFiles.h"
#include "TestAllegro.h"

namespace fs = std::filesystem;

using Bytes = std::vector<unsigned char>;

static Bytes readFile(const char *path)
{
    return fs::is_regular_file(path) ? readFileBytes(path) : Bytes{};
}

static struct stat statOf(const char *path)
{
    struct stat info = {};
    stat(path, &info);
    return info;
}

TEST(HighScoreSave, ScoreEntersAboveTheFirstSmallerEntryAndOnlyThenIsWritten)
{
    struct Case {
        const char *name;
        Bytes before;
        std::function<void()> prepare;
        int offered;
        int place;
        Bytes after;
        bool inPlace;
        mode_t mode = 0;
    };
    Bytes forty(40, 0);
    forty[0] = 0x28;
    Bytes shortFile = scoreFileBytes({77, -2, 5});
    shortFile.resize(10);
    const Bytes full = scoreFileBytes({500, 400, 300, 200, 100, 90, 80, 70, 60, 50});
    const Bytes some = scoreFileBytes({30, 20, 10, 0, 0, 0, 0, 0, 0, 0});
    const Bytes someWith25 = scoreFileBytes({30, 25, 20, 10, 0, 0, 0, 0, 0, 0});
    // The file-size limit makes a write fail part-way, as a full disk would.
    struct rlimit usual;
    getrlimit(RLIMIT_FSIZE, &usual);
    struct rlimit tight = {12, usual.rlim_max};
    const Case cases[] = {
        {"no file and no points", {}, {}, 0, 0, {}, true},
        {"no file and 40 points: the usual permissions", {}, {}, 40, 1, forty, false, 0664},
        {"a tie goes below", scoreFileBytes({100, 90, 90, 80, 0, 0, 0, 0, 0, 0}), {}, 90, 4,
         scoreFileBytes({100, 90, 90, 90, 80, 0, 0, 0, 0, 0}), false},
        {"equal to the tenth", full, {}, 50, 0, full, true},
        {"just above the tenth", full, {}, 51, 10, scoreFileBytes({500, 400, 300, 200, 100, 90, 80, 70, 60, 51}), false},
        {"a new best keeps the player's permissions", scoreFileBytes({90, 80, 70, 60, 50, 40, 30, 20, 10, 5}),
         [] { chmod("highscore.dat", 0640); }, 1000, 1, scoreFileBytes({1000, 90, 80, 70, 60, 50, 40, 30, 20, 10}), false,
         0640},
        {"an unsorted file as it stands", scoreFileBytes({10, 300, 5, 70, 0, 900, 2, 2, 1, 40}), {}, 6, 3,
         scoreFileBytes({10, 300, 6, 5, 70, 0, 900, 2, 2, 1}), false},
        {"a short file", shortFile, {}, 3, 2, scoreFileBytes({77, 3, -2, 0, 0, 0, 0, 0, 0, 0}), false},
        {"a long file", scoreFileBytes({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 999, 999, 999}), {}, 55, 5,
         scoreFileBytes({90, 80, 70, 60, 55, 50, 40, 30, 20, 10}), false},
        {"negative scores", scoreFileBytes({-5, -10, -20, -30, -40, -50, -60, -70, -80, INT_MIN}), {}, -7, 2,
         scoreFileBytes({-5, -7, -10, -20, -30, -40, -50, -60, -70, -80}), false},
        {"a read-only file is never replaced", some, [] { chmod("highscore.dat", 0444); }, 25, 2, some, true},
        {"a read-only folder gets no temporary file", some, [] { chmod(".", 0555); }, 25, 2, someWith25, true},
        {"a failed write keeps the old table", some, [&] { setrlimit(RLIMIT_FSIZE, &tight); }, 25, 2, some, true},
        {"a folder of that name is left alone", {}, [] { fs::create_directory("highscore.dat"); }, 40, 1, {}, true},
        {"a link stays a link to its rewritten target", {},
         [] {
             writeFileBytes("scores", scoreFileBytes({20, 10, 0, 0, 0, 0, 0, 0, 0, 0}));
             fs::create_symlink("scores", "highscore.dat");
         },
         15, 2, scoreFileBytes({20, 15, 10, 0, 0, 0, 0, 0, 0, 0}), true},
    };
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    mode_t mask = umask(002);
    for (const Case &c : cases) {
        TempDir folder;
        if (!c.before.empty())
            writeFileBytes("highscore.dat", c.before);
        if (c.prepare)
            c.prepare();
        auto kind = fs::symlink_status("highscore.dat").type();
        ino_t inode = statOf("highscore.dat").st_ino;

        Score score{c.offered};
        EXPECT_EQ(highScoreSaveToDisk(&score), c.place) << c.name;
        setrlimit(RLIMIT_FSIZE, &usual);

        EXPECT_EQ(readFile("highscore.dat"), c.after) << c.name;
        // Whatever stood there stays what it was.
        bool made = kind == fs::file_type::not_found && !c.after.empty();
        EXPECT_EQ(fs::symlink_status("highscore.dat").type(), made ? fs::file_type::regular : kind) << c.name;
        if (c.inPlace) {
            EXPECT_EQ(statOf("highscore.dat").st_ino, inode) << c.name;
        }
        if (c.mode) {
            EXPECT_EQ(statOf("highscore.dat").st_mode & 07777, c.mode) << c.name;
        }
        for (const auto &entry : fs::directory_iterator("."))
            EXPECT_TRUE(entry.path() == "./highscore.dat" || entry.path() == "./scores") << c.name << ": " << entry;
    }
    signal(SIGXFSZ, oldHandler);
    umask(mask);
}

// A short file fills only the entries it has whole values for.
TEST(HighScoreLoad, ShortFileLeavesTheOtherEntriesAsTheyWere)
{
    TempDir folder;
    HighScore *table = newHighScore();
    for (int i = 0; i < 10; i++)
        table->scores[i]->points = 1000 - i;
    Bytes bytes = scoreFileBytes({77, -2, 5});
    bytes.resize(10);
    writeFileBytes("highscore.dat", bytes);
    highScoreLoad(table);
    writeFileBytes("highscore.dat", {});
    highScoreLoad(table);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(table->scores[i]->points, i == 0 ? 77 : i == 1 ? -2 : 1000 - i) << "entry " << i;
    destroyHighScore(table);
}
