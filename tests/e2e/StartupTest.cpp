// Starting the real game: its window, and what it says and does when a datafile,
// a sound file or the sound device is missing or spoilt.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GameRun.h"
#include "TestFiles.h"
#include "TitleScreen.h"
#include "VirtualDisplay.h"

namespace {

using Texts = std::vector<std::string>;

struct Datafile {
    const char *path;
    const char *message;
};

const Datafile korrin{"Gfx/DataKorrin.dat", "Error, DataKorrin.dat file could not be found. Reinstall the game."};
const Datafile vessa{"Gfx/DataVessa.dat", "Error, DataVessa.dat file could not be found. Reinstall the game."};
const Datafile fonts{"Gfx/DataFont.dat", "Error, DataFont.dat file could not be found. Please reinstall the game."};

const char *fallSound = "Sfx/blockFall.wav";
const char *fallMessage = "Error, blockFall.wav file could not be found. Reinstall the game to have proper sounds.";
const char *killedSound = "Sfx/blockKilled.wav";
const char *killedMessage =
    "Error, blockKilled.wav file could not be found. Reinstall the game to have proper sounds.";

// A datafile that announces four objects and holds none.
void writeHeaderOnly(const std::string &path)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write("slh.ALL.\0\0\0\4", 12);
}

void writeZeros(const std::string &path)
{
    std::uintmax_t size = std::filesystem::file_size(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(size, '\0');
}

void cutInHalf(const std::string &path)
{
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
}

// The game shows the title menu and ends with code 0 once Exit is taken.
void playableThenExit(GameRun &game)
{
    ASSERT_FALSE(waitForHighlight(game, 0).empty());
    takeExit(game, 0);
    ASSERT_EQ(game.waitForExit(), 0);
}

} // namespace

TEST(Startup, OpensItsTitledWindowOf640By480AndExitEndsWithCodeZero)
{
    GameRun game;
    game.start();
    XWindow window = game.waitForWindow();
    ASSERT_NE(window, 0u);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(virtualDisplay().windowSize(window, &width, &height));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    playableThenExit(game);
    EXPECT_EQ(game.messages(), Texts{});
}

TEST(StartupDatafiles, EachMissingFileEndsWithItsMessageAndCodeOne)
{
    for (const Datafile &missing : {korrin, vessa, fonts}) {
        SCOPED_TRACE(missing.path);
        GameRun game;
        std::remove(game.path(missing.path).c_str());
        game.start();
        ASSERT_EQ(game.waitForExit(), 1);
        std::vector<MessageBox> boxes = game.messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, missing.message);
        EXPECT_TRUE(boxes[0].gameWindowOpen) << "the window opens before the datafiles are read";
    }
}

TEST(StartupDatafiles, BothThemesMissingShowOnlyTheKorrinMessage)
{
    GameRun game;
    std::remove(game.path(korrin.path).c_str());
    std::remove(game.path(vessa.path).c_str());
    game.start();
    EXPECT_EQ(game.waitForExit(), 1);
    EXPECT_EQ(game.messages(), (Texts{korrin.message}));
}

TEST(StartupDatafiles, UnreadableFileCountsAsMissing)
{
    struct Spoiling {
        const char *name;
        void (*spoil)(const std::string &path);
    };
    for (const Spoiling &spoiling :
         {Spoiling{"header only", writeHeaderOnly}, Spoiling{"all zeros", writeZeros}, Spoiling{"cut in half", cutInHalf}}) {
        for (const Datafile &spoilt : {korrin, vessa, fonts}) {
            SCOPED_TRACE(std::string(spoilt.path) + ", " + spoiling.name);
            GameRun game;
            spoiling.spoil(game.path(spoilt.path));
            game.start();
            ASSERT_EQ(game.waitForExit(), 1);
            EXPECT_EQ(game.messages(), (Texts{spoilt.message}));
        }
    }
}

TEST(StartupSounds, MissingSoundFileIsReportedAndTheGameStillStarts)
{
    for (auto [sound, message] : {std::pair{fallSound, fallMessage}, std::pair{killedSound, killedMessage}}) {
        SCOPED_TRACE(sound);
        GameRun game;
        std::remove(game.path(sound).c_str());
        game.start();
        ASSERT_NO_FATAL_FAILURE(playableThenExit(game));
        EXPECT_EQ(game.messages(), (Texts{message}));
    }
}

TEST(StartupSounds, BothSoundsMissingReportBlockFallFirst)
{
    GameRun game;
    std::remove(game.path(fallSound).c_str());
    std::remove(game.path(killedSound).c_str());
    game.start();
    playableThenExit(game);
    EXPECT_EQ(game.messages(), (Texts{fallMessage, killedMessage}));
}

TEST(StartupSounds, SoundsAreReadBeforeTheFonts)
{
    GameRun game;
    std::remove(game.path(killedSound).c_str());
    std::remove(game.path(fonts.path).c_str());
    game.start();
    EXPECT_EQ(game.waitForExit(), 1);
    EXPECT_EQ(game.messages(), (Texts{killedMessage, fonts.message}));
}

TEST(StartupSounds, NoSoundDeviceIsReportedBeforeTheWindowOpensAndTheGamePlays)
{
    GameRun game;
    game.withoutSoundDevice();
    game.start();
    playableThenExit(game);
    std::vector<MessageBox> boxes = game.messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    // The rest of the first text is the library's own account of the failure.
    const std::string prefix = "Sound Error: ";
    EXPECT_EQ(boxes[0].text.substr(0, prefix.size()), prefix);
    EXPECT_GT(boxes[0].text.size(), prefix.size());
    EXPECT_EQ(boxes[1].text, "Game will keep running");
    EXPECT_FALSE(boxes[0].gameWindowOpen);
    EXPECT_FALSE(boxes[1].gameWindowOpen);
}

TEST(Startup, WithoutADisplayEndsWithAMessageAndCodeOne)
{
    GameRun game(GameLaunch{"", "", {"DISPLAY"}, ""});
    game.start();
    EXPECT_EQ(game.waitForExit(), 1);
    std::string said = readFileText(game.path("game.out"));
    EXPECT_NE(said.find("Error: no display or keyboard to play on"), std::string::npos) << said;
}
