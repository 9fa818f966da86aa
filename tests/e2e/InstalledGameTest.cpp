// The installed game as a player meets it: started by its command from any
// folder, it keeps each player's scores in that player's own data folder.
// Runs when VOK_INSTALLED_COMMAND names the command (and, as root,
// VOK_INSTALLED_USER the player); skipped otherwise.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "GameRun.h"
#include "Playfield.h"
#include "TestFiles.h"
#include "TitleScreen.h"

namespace fs = std::filesystem;

namespace {

// A new folder in the bench's own, which goes when the tests end.
std::string temporaryFolder(const char *name)
{
    std::string pattern = virtualDisplay().workDirectory() + "/" + name;
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "no temporary folder " << pattern;
    return pattern;
}

std::vector<uint8_t> scoresFile(std::int32_t first, std::int32_t rest)
{
    std::vector<int32_t> scores(10, rest);
    scores[0] = first;
    return scoreFileBytes(scores);
}

std::string hex(const std::vector<uint8_t> &bytes)
{
    std::string text;
    char digits[4];
    for (uint8_t byte : bytes) {
        snprintf(digits, sizeof digits, " %02x", byte);
        text += digits;
    }
    return text;
}

// Who plays: the named user (the tests run as root) or whoever runs the tests,
// then in a home of the test's making.
class Player {
public:
    Player()
    {
        const char *user = getenv("VOK_INSTALLED_USER");
        if (user && *user) {
            user_ = user;
            const passwd *entry = getpwnam(user);
            if (!entry) {
                ADD_FAILURE() << "no user " << user;
                return;
            }
            uid_ = entry->pw_uid;
            gid_ = entry->pw_gid;
            home_ = entry->pw_dir;
        } else {
            home_ = temporaryFolder("home-XXXXXX");
        }
    }

    const std::string &user() const { return user_; }
    const fs::path &home() const { return home_; }
    uid_t uid() const { return user_.empty() ? getuid() : uid_; }

    // Makes the folder and any missing parents, the player's own.
    void makeFolder(const fs::path &folder)
    {
        if (folder == home_ || fs::exists(folder))
            return;
        makeFolder(folder.parent_path());
        fs::create_directory(folder);
        own(folder);
    }
    void writeFile(const fs::path &path, const std::vector<uint8_t> &bytes)
    {
        writeFileBytes(path, bytes);
        own(path);
    }
    void link(const fs::path &path, const fs::path &target)
    {
        fs::create_symlink(target, path);
        own(path);
    }

private:
    void own(const fs::path &path)
    {
        if (!user_.empty() && lchown(path.c_str(), uid_, gid_) != 0)
            ADD_FAILURE() << "cannot hand " << path << " to " << user_;
    }

    std::string user_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    fs::path home_;
};

// Starts the installed command as the player from `folder` with the player's
// environment (XDG_DATA_HOME unset when `dataHome` is empty), plays a game that
// Escape ends at once with 0 points, and leaves through "Exit".
void playOneGame(const Player &player, const std::string &command, const std::string &folder,
                 const std::string &dataHome, bool entersTable)
{
    GameLaunch launch;
    launch.command = command;
    launch.directory = folder;
    launch.environment = {"HOME=" + player.home().string(),
                          dataHome.empty() ? "XDG_DATA_HOME" : "XDG_DATA_HOME=" + dataHome};
    launch.user = player.user();
    GameRun game(launch);
    game.start();
    ASSERT_FALSE(startGame(game, 0).empty());
    endGame(game, entersTable);
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
}

class InstalledGame : public testing::Test {
protected:
    void SetUp() override
    {
        const char *installed = getenv("VOK_INSTALLED_COMMAND");
        if (!installed || !*installed)
            GTEST_SKIP() << "VOK_INSTALLED_COMMAND names no installed game";
        command = installed;
        playerSlot.emplace();
        ASSERT_FALSE(HasFailure());
    }

    std::string command;
    std::optional<Player> playerSlot;
};

} // namespace

TEST_F(InstalledGame, EachPlayerKeepsTheirOwnScoresInTheirDataFolder)
{
    Player &player = *playerSlot;

    // Started from a folder anyone may write to, the game still keeps nothing there.
    std::string elsewhere = temporaryFolder("elsewhere-XXXXXX");
    chmod(elsewhere.c_str(), 0777);

    // The default folder, with a table of lower scores and links left by an
    // install that is gone: the game must follow the links made anew.
    fs::path first = player.home() / ".local/share/vessa-or-korrin";
    player.makeFolder(first);
    player.writeFile(first / "highscore.dat", scoresFile(-5, -5));
    for (const char *name : {"Gfx", "Sfx"})
        player.link(first / name, fs::path("/nonexistent/vessa-or-korrin") / name);
    {
        SCOPED_TRACE("the default data folder");
        playOneGame(player, command, elsewhere, "", true);
    }
    std::vector<uint8_t> firstScores = scoresFile(0, -5);
    EXPECT_EQ(hex(readFileBytes(first / "highscore.dat")), hex(firstScores));
    struct stat written {};
    ASSERT_EQ(stat((first / "highscore.dat").c_str(), &written), 0);
    EXPECT_EQ(written.st_uid, player.uid()) << "the player's game wrote the scores";

    // A folder not made yet, through XDG_DATA_HOME: its empty table takes no
    // 0 points, where the first folder's would have taken them at place 2.
    fs::path dataHome = player.home() / "other-data";
    player.makeFolder(dataHome);
    fs::path second = dataHome / "vessa-or-korrin";
    {
        SCOPED_TRACE("a new folder in XDG_DATA_HOME");
        playOneGame(player, command, elsewhere, dataHome.string(), false);
    }
    struct stat made {};
    ASSERT_EQ(stat(second.c_str(), &made), 0) << second << " was not made";
    EXPECT_EQ(made.st_uid, player.uid());
    for (const char *file : {"Gfx/DataFont.dat", "Sfx/blockFall.wav"})
        EXPECT_TRUE(fs::is_regular_file(second / file)) << file << " is not reached from " << second;
    EXPECT_FALSE(fs::exists(second / "highscore.dat"));
    EXPECT_EQ(hex(readFileBytes(first / "highscore.dat")), hex(firstScores)) << "the first table is left alone";

    EXPECT_TRUE(fs::is_empty(elsewhere)) << elsewhere << " is where the game was started, not where it keeps things";
}

// Started from a desktop menu, a launcher that cannot make the player's folder
// says why in a box, since nobody reads its stderr there.
TEST_F(InstalledGame, AFolderThatCannotBeMadeIsReportedInABox)
{
    Player &player = *playerSlot;
    // A file where the data folder's parent should be: no one can make a folder in it.
    fs::path notAFolder = player.home() / "not-a-folder";
    player.writeFile(notAFolder, {'x'});

    GameLaunch launch;
    launch.command = command;
    launch.directory = player.home().string();
    launch.environment = {"HOME=" + player.home().string(), "XDG_DATA_HOME=" + notAFolder.string()};
    launch.user = player.user();
    GameRun game(launch);
    game.start();
    EXPECT_EQ(game.waitForExit(), 1);
    std::vector<std::string> expected = {"vessa-or-korrin: cannot set up the game's folder " + notAFolder.string() +
                                         "/vessa-or-korrin: it cannot be made"};
    EXPECT_EQ(game.messages(), expected);
    EXPECT_EQ(hex(readFileBytes(notAFolder)), hex({'x'})) << "the file in the way is left as it was";
}
