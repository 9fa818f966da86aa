// High-score table and "highscore.dat", each test in a fresh temporary folder: the
// insertion rules, the file bytes, and a file missing, short, long, protected or no file.
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "HighScores.h"

namespace fs = std::filesystem;

using Bytes = std::vector<unsigned char>;

static Bytes bytesOf(const std::vector<int> &values)
{
    Bytes bytes;
    for (int value : values) {
        unsigned int bits = static_cast<unsigned int>(value);
        for (int k = 0; k < 4; k++)
            bytes.push_back((bits >> (8 * k)) & 0xff);
    }
    return bytes;
}

static void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

static Bytes readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static ino_t inodeOf(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 ? info.st_ino : 0;
}

static mode_t modeOf(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 ? info.st_mode & 07777 : 0;
}

static std::vector<int> pointsOf(const HighScore *table)
{
    std::vector<int> points;
    for (int i = 0; i < 10; i++)
        points.push_back(table->scores[i]->points);
    return points;
}

static int offer(int points)
{
    Score score{points};
    int place = highScoreSaveToDisk(&score);
    EXPECT_EQ(score.points, points) << "the offered score must not change";
    return place;
}

class HighScoreFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vokHighScoreXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        home = fs::current_path();
        fs::current_path(folder);
    }

    void TearDown() override
    {
        fs::current_path(home);
        for (const auto &entry : fs::recursive_directory_iterator(folder))
            if (entry.is_directory() && !entry.is_symlink())
                chmod(entry.path().c_str(), 0755);
        chmod(folder.c_str(), 0755);
        fs::remove_all(folder);
    }

    // Names in the folder other than the table itself: a leftover temporary file shows here.
    std::vector<std::string> strayFiles() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(folder))
            if (entry.path().filename() != "highscore.dat")
                names.push_back(entry.path().filename());
        return names;
    }

    fs::path folder;
    fs::path home;
};

TEST_F(HighScoreFile, TieGoesBelowEqualEntries)
{
    writeFile("highscore.dat", bytesOf({100, 90, 90, 80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(offer(90), 4);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({100, 90, 90, 90, 80, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, ScoreNotAboveTheTenthLeavesTheFileAlone)
{
    std::vector<int> full = {500, 400, 300, 200, 100, 90, 80, 70, 60, 50};
    writeFile("highscore.dat", bytesOf(full));
    ino_t inode = inodeOf("highscore.dat");

    EXPECT_EQ(offer(50), 0);
    EXPECT_EQ(offer(-3), 0);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf(full));
    EXPECT_EQ(inodeOf("highscore.dat"), inode);

    EXPECT_EQ(offer(51), 10);
    full[9] = 51;
    EXPECT_EQ(readFile("highscore.dat"), bytesOf(full));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, NoFileAndNoPointsCreatesNothing)
{
    EXPECT_EQ(offer(0), 0);
    EXPECT_FALSE(fs::exists("highscore.dat"));
    EXPECT_TRUE(strayFiles().empty());

    HighScore *table = newHighScore();
    EXPECT_EQ(pointsOf(table), std::vector<int>(10, 0));
    destroyHighScore(table);
}

TEST_F(HighScoreFile, FirstScoreWritesFortyLittleEndianBytes)
{
    EXPECT_EQ(offer(40), 1);
    Bytes expected(40, 0);
    expected[0] = 0x28;
    EXPECT_EQ(readFile("highscore.dat"), expected);
    mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(modeOf("highscore.dat"), 0666 & ~mask) << "a new table gets the usual permissions";
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, NewBestMovesEveryoneDownAndDropsTheTenth)
{
    writeFile("highscore.dat", bytesOf({90, 80, 70, 60, 50, 40, 30, 20, 10, 5}));
    chmod("highscore.dat", 0640);
    EXPECT_EQ(offer(1000), 1);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({1000, 90, 80, 70, 60, 50, 40, 30, 20, 10}));
    EXPECT_EQ(modeOf("highscore.dat"), 0640u) << "rewriting keeps the player's permissions";
}

TEST_F(HighScoreFile, UnsortedFileIsTakenAsItStands)
{
    std::vector<int> unsorted = {10, 300, 5, 70, 0, 900, 2, 2, 1, 40};
    writeFile("highscore.dat", bytesOf(unsorted));
    HighScore *table = newHighScore();
    EXPECT_EQ(pointsOf(table), unsorted);
    destroyHighScore(table);

    EXPECT_EQ(offer(6), 3);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({10, 300, 6, 5, 70, 0, 900, 2, 2, 1}));
}

TEST_F(HighScoreFile, ShortFileFillsOnlyWholeEntries)
{
    Bytes bytes = bytesOf({77, -2, 5});
    bytes.resize(10);
    writeFile("highscore.dat", bytes);

    HighScore *table = newHighScore();
    EXPECT_EQ(pointsOf(table), std::vector<int>({77, -2, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (int i = 0; i < 10; i++)
        table->scores[i]->points = 1000 - i;
    highScoreLoad(table);
    EXPECT_EQ(pointsOf(table), std::vector<int>({77, -2, 998, 997, 996, 995, 994, 993, 992, 991}));

    writeFile("highscore.dat", Bytes());
    highScoreLoad(table);
    EXPECT_EQ(pointsOf(table), std::vector<int>({77, -2, 998, 997, 996, 995, 994, 993, 992, 991}));
    destroyHighScore(table);

    writeFile("highscore.dat", bytes);
    EXPECT_EQ(offer(3), 2);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({77, 3, -2, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(HighScoreFile, LongFileCountsFortyBytesAndIsCutOnSave)
{
    std::vector<int> values = {90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 999, 999, 999};
    writeFile("highscore.dat", bytesOf(values));
    HighScore *table = newHighScore();
    EXPECT_EQ(pointsOf(table), std::vector<int>(values.begin(), values.begin() + 10));
    destroyHighScore(table);

    EXPECT_EQ(offer(55), 5);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({90, 80, 70, 60, 55, 50, 40, 30, 20, 10}));
}

TEST_F(HighScoreFile, NegativeScoresSurviveTheRoundTrip)
{
    writeFile("highscore.dat", bytesOf({-5, -10, -20, -30, -40, -50, -60, -70, -80, INT_MIN}));
    EXPECT_EQ(offer(-7), 2);
    Bytes expected = bytesOf({-5, -7, -10, -20, -30, -40, -50, -60, -70, -80});
    EXPECT_EQ(readFile("highscore.dat"), expected);
    EXPECT_EQ(expected[4], 0xf9);
    EXPECT_EQ(expected[7], 0xff);

    HighScore *table = newHighScore();
    table->scores[0]->points = INT_MAX;
    table->scores[9]->points = INT_MIN;
    highScoreSave(table);
    destroyHighScore(table);
    table = newHighScore();
    EXPECT_EQ(table->scores[0]->points, INT_MAX);
    EXPECT_EQ(table->scores[1]->points, -7);
    EXPECT_EQ(table->scores[9]->points, INT_MIN);
    destroyHighScore(table);
}

TEST_F(HighScoreFile, FolderNamedLikeTheFileIsLeftAlone)
{
    ASSERT_TRUE(fs::create_directory("highscore.dat"));
    HighScore *table = newHighScore();
    EXPECT_EQ(pointsOf(table), std::vector<int>(10, 0));
    destroyHighScore(table);

    EXPECT_EQ(offer(40), 1);
    EXPECT_TRUE(fs::is_directory("highscore.dat"));
    EXPECT_TRUE(fs::is_empty("highscore.dat"));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, ReadOnlyFileIsNeverReplaced)
{
    std::vector<int> values = {300, 200, 100, 0, 0, 0, 0, 0, 0, 0};
    writeFile("highscore.dat", bytesOf(values));
    chmod("highscore.dat", 0444);
    ino_t inode = inodeOf("highscore.dat");

    EXPECT_EQ(offer(250), 2) << "the place is still reported";
    EXPECT_EQ(readFile("highscore.dat"), bytesOf(values));
    EXPECT_EQ(inodeOf("highscore.dat"), inode);
    EXPECT_EQ(modeOf("highscore.dat"), 0444u);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, ReadOnlyFolderFallsBackToWritingInPlace)
{
    writeFile("highscore.dat", bytesOf({30, 20, 10, 0, 0, 0, 0, 0, 0, 0}));
    ino_t inode = inodeOf("highscore.dat");
    chmod(folder.c_str(), 0555);

    EXPECT_EQ(offer(25), 2);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf({30, 25, 20, 10, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(inodeOf("highscore.dat"), inode) << "no temporary file may be made in a read-only folder";
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, LinkStaysALinkAndItsTargetIsRewritten)
{
    fs::create_directory("kept");
    writeFile("kept/scores", bytesOf({20, 10, 0, 0, 0, 0, 0, 0, 0, 0}));
    fs::create_symlink("kept/scores", "highscore.dat");

    EXPECT_EQ(offer(15), 2);
    EXPECT_TRUE(fs::is_symlink("highscore.dat"));
    EXPECT_EQ(readFile("kept/scores"), bytesOf({20, 15, 10, 0, 0, 0, 0, 0, 0, 0}));
}

// The file-size limit makes the write fail part-way, as a full disk would.
TEST_F(HighScoreFile, FailedWriteKeepsTheOldTable)
{
    std::vector<int> values = {30, 20, 10, 0, 0, 0, 0, 0, 0, 0};
    writeFile("highscore.dat", bytesOf(values));
    ino_t inode = inodeOf("highscore.dat");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = saved;
    tight.rlim_cur = 12;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    Score score{25};
    int place = highScoreSaveToDisk(&score);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(place, 2);
    EXPECT_EQ(readFile("highscore.dat"), bytesOf(values));
    EXPECT_EQ(inodeOf("highscore.dat"), inode);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HighScoreFile, AddStoresACopyAndKeepsTheOrder)
{
    HighScore *table = newHighScore();
    const int seed[] = {100, 90, 90, 80};
    for (int i = 0; i < 4; i++)
        table->scores[i]->points = seed[i];

    Score ninety{90};
    EXPECT_EQ(highScoreAdd(table, &ninety), 4);
    EXPECT_NE(table->scores[3], &ninety);
    ninety.points = 7;
    EXPECT_EQ(pointsOf(table), std::vector<int>({100, 90, 90, 90, 80, 0, 0, 0, 0, 0}));

    Score zero{0};
    EXPECT_EQ(highScoreAdd(table, &zero), 0);
    Score one{1};
    EXPECT_EQ(highScoreAdd(table, &one), 6);
    EXPECT_EQ(pointsOf(table), std::vector<int>({100, 90, 90, 90, 80, 1, 0, 0, 0, 0}));

    Score last{55};
    highScoreAddToPos(table, &last, 9);
    EXPECT_EQ(pointsOf(table), std::vector<int>({100, 90, 90, 90, 80, 1, 0, 0, 0, 55}));
    Score first{-1};
    highScoreAddToPos(table, &first, 0);
    EXPECT_EQ(pointsOf(table), std::vector<int>({-1, 100, 90, 90, 90, 80, 1, 0, 0, 0}));

    EXPECT_FALSE(fs::exists("highscore.dat")) << "adding alone never writes";
    destroyHighScore(table);
}
