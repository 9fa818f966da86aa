// The two timer callbacks fire on other threads while the game loop spends the
// ticks they count: no tick may be lost and no access may race.
#include "Support.h"

TEST(TimerCounters, EveryLogicTickRunsOnceWhileBothCallbacksFire)
{
    TestBoard game;
    game.board->fallDelay = 1 << 30; // no piece lands, so no game ends
    // Relaxed, so that it orders nothing before the joins: the counters alone carry the ticks.
    std::atomic<int> done{0};
    auto fire = [&done](void (*callback)()) {
        for (int i = 0; i < 20000; i++)
            callback();
        done.fetch_add(1, std::memory_order_relaxed);
    };
    std::jthread logic(fire, timerControl), gravity(fire, increaseFallingBlockTimer);
    int spent = 0;
    while (done.load(std::memory_order_relaxed) < 2 || timeControl > 0)
        for (; timeControl > 0; timeControl--, spent++)
            gameCycle();
    logic.join();
    gravity.join();
    EXPECT_EQ(spent + timeControl, 20000);
}
