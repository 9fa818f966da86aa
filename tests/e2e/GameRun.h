// One run of the real game in a scenario: its own folder, copies of the built
// Gfx/ and Sfx/, its own environment; its message boxes read and dismissed.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "Image.h"
#include "VirtualDisplay.h"

struct MessageBox {
    std::string text;
    bool gameWindowOpen = false; // whether the game's window was up when the box showed
};

// A game started otherwise than the built program in the run's own folder: an
// installed command, from a folder, in an environment and as a user of the
// test's choosing.
struct GameLaunch {
    std::string command;                  // empty: the built program
    std::string directory;                // empty: the run's own folder
    std::vector<std::string> environment; // NAME=value sets, a bare NAME unsets
    std::string user;                     // empty: whoever runs the tests; else needs root
};

class GameRun {
public:
    // How long any wait goes on before the scenario fails: slow, busy machines
    // need far more than the game takes here.
    static constexpr double patienceSeconds = 30;
    static constexpr int timedOut = -1;

    GameRun();  // a fresh folder with copies of the built Gfx/ and Sfx/
    explicit GameRun(GameLaunch launch);
    ~GameRun(); // stops the game; keeps the screen and output of a failed test

    // A file in the game's folder, to delete, replace or spoil before start().
    std::string path(const std::string &relative) const;
    // time() in the game answers this, so the random seed is the test's choice.
    void fixTime(long seconds);
    // Points Allegro at a sound device that does not exist, so starting sound fails.
    void withoutSoundDevice();

    // Runs the game inside another program, e.g. {"valgrind", "--log-file=..."}.
    void runUnder(const std::vector<std::string> &wrapper) { wrapper_ = wrapper; }
    void start();
    bool running() const { return pid_ > 0; }

    // The game's window (title "Vessa Or Korrin"), or 0 after a failure.
    XWindow waitForWindow();
    // Captures the window until it shows what `shows` looks for; the image that
    // did, or an empty one after a failure naming `what`.
    Image waitForScreen(const std::function<bool(const Image &)> &shows, const std::string &what);
    // Holds the key, again every second, until the screen shows what `shows` looks
    // for: for screens that drop the keys pressed while they settle. Only for
    // keys that do no harm pressed once more.
    Image pressUntil(XKeySym key, const std::function<bool(const Image &)> &shows, const std::string &what);
    // The last capture taken while waiting, for a failure to explain itself.
    const Image &lastScreen() const { return lastScreen_; }
    // Holds the keys together with the game's window in focus.
    // A time of zero means the run's usual hold.
    void holdKeys(const std::vector<XKeySym> &keys, std::chrono::milliseconds time = {});
    void holdKey(XKeySym key, std::chrono::milliseconds time = {}) { holdKeys({key}, time); }
    // A game slowed down (under valgrind, say) sees a quick press only if it is held longer.
    void setUsualHold(std::chrono::milliseconds time) { usualHold_ = time; }
    // Processor time the running game has used so far, in seconds.
    double cpuSeconds() const;
    // The exit code, or timedOut (the game is killed); 128 + N for a signal N.
    int waitForExit();

    // The message boxes shown so far, in order. Allegro runs
    // `xmessage -buttons OK:101 -default OK -center TEXT` and ends a TEXT that
    // lacks one with a newline; the texts here have their last newline taken off.
    std::vector<MessageBox> messageBoxes() const;
    std::vector<std::string> messages() const;

private:
    // One turn of every wait: deal with message boxes, notice the game ending.
    void step();
    void serviceMessageBoxes();
    std::vector<std::vector<std::string>> messageRecords() const;
    void keepEvidence();

    GameLaunch launch_;
    std::string directory_;
    std::string fixedTime_;
    std::vector<std::string> wrapper_;
    std::chrono::milliseconds usualHold_ = VirtualDisplay::quickPress;
    pid_t pid_ = -1;
    int exitCode_ = timedOut;
    bool ended_ = false;
    // After one wait has failed the run is past reading: later waits return at
    // once instead of each spending its full patience.
    bool gaveUp_ = false;
    XWindow window_ = 0;
    Image lastScreen_;
    std::vector<bool> boxOpenWithGame_;
    std::chrono::steady_clock::time_point lastReturn_;
};
