// The two timer callbacks fire on other threads while the game loop spends the
// ticks they count: no tick may be lost and no access may race.
#include <atomic>
#include <thread>

#include "Support.h"

TEST(TimerCounters, EveryLogicTickRunsOnceWhileBothCallbacksFire)
{
    TestBoard game;
    game.board->fallDelay = 3;
    std::atomic<int> done{0};
    auto fire = [&done](void (*callback)()) {
        for (int i = 0; i < 20000; i++)
            callback();
        done++;
    };
    std::thread logic(fire, timerControl), gravity(fire, increaseFallingBlockTimer);
    int spent = 0;
    while (done < 2 || timeControl > 0) {
        for (; timeControl > 0; timeControl--, spent++) {
            gameCycle();
            // A lost game's stack is cleared for the next.
            if (endGame) {
                destroyBlockArray(game.board->stack);
                game.board->stack = newBlockArray();
                endGame = 0;
            }
        }
    }
    logic.join();
    gravity.join();
    EXPECT_EQ(spent, 20000);
}
