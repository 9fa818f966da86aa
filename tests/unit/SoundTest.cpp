// The sound effects: what loading reports, and which play requests reach the
// library with the player's sound switch on and off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "Sound.h"
#include "TestAllegro.h"

namespace {

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureAllegro();
        resetPlayCounts();
        soundOn = 1;
    }
    void TearDown() override
    {
        soundExit();
        soundOn = 1;
    }

    // Runs soundInit from the given directory and returns what it reported.
    std::string initFrom(const std::string &directory)
    {
        char previous[4096];
        EXPECT_NE(getcwd(previous, sizeof previous), nullptr);
        EXPECT_EQ(chdir(directory.c_str()), 0);
        testing::internal::CaptureStdout();
        soundInit();
        std::string reported = testing::internal::GetCapturedStdout();
        EXPECT_EQ(chdir(previous), 0);
        return reported;
    }
};

TEST_F(SoundTest, BuiltSoundsLoadWithoutComplaint)
{
    EXPECT_EQ(initFrom(VOK_RUN_DIR), "");
    EXPECT_NE(fallBlock, nullptr);
    EXPECT_NE(blockKilled, nullptr);
}

TEST_F(SoundTest, MissingSoundsAreReportedInOrderAndNeverPlayed)
{
    char empty[] = "/tmp/vokSoundXXXXXX";
    ASSERT_NE(mkdtemp(empty), nullptr);
    std::string reported = initFrom(empty);
    rmdir(empty);

    size_t fall = reported.find("Error, blockFall.wav file could not be found. Reinstall the game to have proper sounds.");
    size_t killed = reported.find("Error, blockKilled.wav file could not be found. Reinstall the game to have proper sounds.");
    ASSERT_NE(fall, std::string::npos) << reported;
    ASSERT_NE(killed, std::string::npos) << reported;
    EXPECT_LT(fall, killed);

    playBlockFall();
    playBlockKilled();
    EXPECT_EQ(playCount(nullptr), 0);
}

TEST_F(SoundTest, SwitchOffSilencesBothEffectsAndSwitchOnBringsThemBack)
{
    fallBlock = create_sample(8, 0, 22050, 100);
    blockKilled = create_sample(8, 0, 22050, 100);

    soundOn = 0;
    playBlockFall();
    playBlockKilled();
    EXPECT_EQ(playCount(fallBlock), 0);
    EXPECT_EQ(playCount(blockKilled), 0);

    soundOn = 1;
    playBlockFall();
    playBlockKilled();
    playBlockKilled();
    EXPECT_EQ(playCount(fallBlock), 1);
    EXPECT_EQ(playCount(blockKilled), 2);
}

} // namespace
