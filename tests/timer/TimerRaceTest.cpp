// The two timer callbacks run on the library's timer thread while the game loop
// reads and spends their counts; no tick may be lost and no access may race.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "CollisionSystem.h"
#include "MainLoop.h"
#include "TestAllegro.h"

TEST(TimerCounters, EveryLogicTickIsRunOnceWhileCallbacksFire)
{
    const int ticks = 20000;
    auto game = std::make_unique<TestBoard>();
    game->board->fallDelay = 3;
    timeControl = 0;
    std::atomic<int> timersDone{0};
    std::thread logicTimer([&] {
        for (int i = 0; i < ticks; i++)
            timerControl();
        timersDone++;
    });
    std::thread gravityTimer([&] {
        for (int i = 0; i < ticks; i++)
            increaseFallingBlockTimer();
        timersDone++;
    });

    // The game loop's side: spend every due tick, start a new board when one is lost.
    int ticksRun = 0;
    while (timersDone < 2 || timeControl > 0) {
        for (; timeControl > 0; timeControl--, ticksRun++) {
            gameCycle();
            if (endGame) {
                game.reset();
                game = std::make_unique<TestBoard>();
                game->board->fallDelay = 3;
            }
        }
    }
    logicTimer.join();
    gravityTimer.join();

    EXPECT_EQ(ticksRun, ticks);
    EXPECT_EQ(timeControl, 0);
    EXPECT_GE(fallingBlockTimer, 0);
}
