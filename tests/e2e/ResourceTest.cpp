// What the game costs the machine: processor time while it waits in the menu, and
// a whole session under valgrind's memcheck with no fault in the game's own code.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "GameRun.h"
#include "Playfield.h"
#include "ScreenText.h"
#include "TestFiles.h"
#include "TitleScreen.h"

namespace {

// The error records of a memcheck log that point into the game's own sources.
std::vector<std::string> ownFaults(const std::string &logPath)
{
    std::ifstream log(logPath);
    std::vector<std::string> faults;
    std::string line, record;
    auto close = [&] {
        bool fault = record.find("Invalid read") != std::string::npos ||
                     record.find("Invalid write") != std::string::npos ||
                     record.find("definitely lost") != std::string::npos;
        if (fault && record.find(VOK_SOURCE_DIR "/src/") != std::string::npos)
            faults.push_back(record);
        record.clear();
    };
    while (std::getline(log, line)) {
        // Records are runs of "==PID== text" lines, split by "==PID== " alone.
        size_t text = line.find("== ");
        if (text == std::string::npos || line.find_first_not_of(' ', text + 3) == std::string::npos)
            close();
        else
            record += line.substr(text + 3) + "\n";
    }
    close();
    return faults;
}

} // namespace

TEST(TitleMenu, WaitingForAKeyUsesLittleProcessorTime)
{
    GameRun game;
    game.start();
    ASSERT_FALSE(waitForHighlight(game, 0).empty());
    const double window = 4;
    double before = game.cpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(window));
    double share = (game.cpuSeconds() - before) / window;
    EXPECT_LT(share, 0.05) << "the menu used " << 100 * share << "% of a core while waiting";
    takeExit(game, 0);
    EXPECT_EQ(game.waitForExit(), 0);
}

// Slow under valgrind, so it runs only when asked: VOK_E2E_VALGRIND=1. The game's
// frame loop never sleeps, so valgrind must share the processor fairly for the
// timer and keyboard threads to run at all.
TEST(MemorySession, WholeSessionHasNoFaultInTheGamesOwnCode)
{
    if (!getenv("VOK_E2E_VALGRIND"))
        GTEST_SKIP() << "set VOK_E2E_VALGRIND=1 to run the session under valgrind";
    GameRun game;
    std::string logPath = game.path("memcheck.log");
    game.runUnder({"valgrind", "--tool=memcheck", "--fair-sched=yes", "--leak-check=full", "--show-leak-kinds=definite",
                   "--fullpath-after=", "--num-callers=40", "--log-file=" + logPath});
    game.setUsualHold(std::chrono::milliseconds(600));
    game.start();

    for (int gameType : {0, 1}) {
        ASSERT_FALSE(startGame(game, gameType).empty());
        game.holdKeys({XK_Down, XK_x}, std::chrono::milliseconds(1500));
        game.holdKeys({XK_Left, XK_z}, std::chrono::milliseconds(300));
        game.holdKey(XK_Right, std::chrono::milliseconds(300));
        auto paused = [](const Image &screen) { return messageShown(screen, "Game Paused"); };
        ASSERT_FALSE(game.pressUntil(XK_space, paused, "\"Game Paused\"").empty());
        game.holdKey(XK_Return);
        endGame(game, false);
    }

    game.holdKey(XK_Down);
    ASSERT_FALSE(waitForHighlight(game, 1).empty());
    game.holdKey(XK_Return);
    auto soundOff = [](const Image &s) {
        return showsText(s, "Sound: Off", GameFont::small, 320, 165, highlightColour);
    };
    ASSERT_FALSE(game.pressUntil(XK_Return, soundOff, "the sound switched off").empty());
    game.holdKey(XK_Up);
    auto onBack = [](const Image &s) { return showsText(s, "Back", GameFont::small, 320, 385, highlightColour); };
    ASSERT_FALSE(game.waitForScreen(onBack, "\"Back\" highlighted").empty());
    game.holdKey(XK_Return);

    ASSERT_FALSE(waitForHighlight(game, 1).empty());
    game.holdKey(XK_Down);
    ASSERT_FALSE(waitForHighlight(game, 2).empty());
    viewHighScores(game);
    takeExit(game, 2);
    EXPECT_EQ(game.waitForExit(), 0);

    std::string whole = readFileText(logPath);
    ASSERT_NE(whole.find("ERROR SUMMARY"), std::string::npos) << "memcheck did not finish:\n" << whole;
    for (const std::string &fault : ownFaults(logPath))
        ADD_FAILURE() << fault;
}
