// The sound effects: what loading reports, and which play requests reach the
// library with the player's sound switch on and off.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CollisionSystem.h"
#include "Sound.h"
#include "TestAllegro.h"

TEST(SoundInit, MissingFilesAreReportedInOrderAndNeverPlayed)
{
    ensureAllegro();
    const std::string ending = ".wav file could not be found. Reinstall the game to have proper sounds.";
    const std::string fall = "Error, blockFall" + ending, killed = "Error, blockKilled" + ending;
    for (bool built : {true, false}) {
        TempDir folder;
        if (built)
            std::filesystem::create_directory_symlink(VOK_RUN_DIR "/Sfx", "Sfx");
        resetPlayCounts();
        soundOn = 1;
        testing::internal::CaptureStdout();
        soundInit();
        std::string reported = testing::internal::GetCapturedStdout();
        playBlockFall();
        playBlockKilled();

        if (built) {
            EXPECT_EQ(reported, "");
            EXPECT_EQ(playCount(fallBlock), 1);
            EXPECT_EQ(playCount(blockKilled), 1);
        } else {
            EXPECT_LT(reported.find(fall), reported.find(killed)) << reported;
            EXPECT_NE(reported.find(killed), std::string::npos) << reported;
            EXPECT_EQ(playCount(nullptr), 0);
        }
        soundExit();
    }
}

// On a board four columns wide, a bar dropped from the top fills the floor row:
// one landing that also kills.
static void landBarCompletingARow(int soundSwitch)
{
    TestBoard game(0, 80);
    game.setPiece(6, 0, 0);
    soundOn = soundSwitch;
    resetPlayCounts();
    for (int row = 0; row < 20; row++)
        collisionTetraBlockFallDown(game.board);
    EXPECT_EQ(game.board->score->points, 6);
}

TEST(SoundSwitch, OffSilencesAGamesEffectsAndOnBringsThemBack)
{
    landBarCompletingARow(0);
    EXPECT_EQ(playCount(fallBlock) + playCount(blockKilled), 0);
    landBarCompletingARow(1);
    EXPECT_EQ(playCount(fallBlock), 1);
    EXPECT_EQ(playCount(blockKilled), 1);
}
