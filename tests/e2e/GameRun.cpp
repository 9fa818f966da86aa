// Runs the real game in a folder and environment of the test's making, and
// watches it the way a player would: by its window, its pixels and its boxes.
#include "GameRun.h"

#include <X11/keysym.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "Processes.h"
#include "TestFiles.h"
#include "VirtualDisplay.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char *gameTitle = "Vessa Or Korrin";
const auto stepTime = std::chrono::milliseconds(20);
// A box that is still up this long after Return was held gets Return again: the
// first press can land before the box takes keys.
const auto returnRetry = std::chrono::seconds(1);

Clock::time_point deadline()
{
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(GameRun::patienceSeconds));
}

std::string realXmessage()
{
    std::stringstream path(getenv("PATH") ? getenv("PATH") : "/usr/bin");
    std::string directory;
    while (std::getline(path, directory, ':')) {
        fs::path candidate = fs::path(directory) / "xmessage";
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return "";
}

std::string describeExit(int code)
{
    return code == GameRun::timedOut ? "still running" : "exit code " + std::to_string(code);
}

// Each NAME=value takes the place of NAME in the environment; a bare NAME removes it.
void overrideEnvironment(std::vector<std::string> &environment, const std::vector<std::string> &overrides)
{
    for (const std::string &setting : overrides) {
        std::string prefix = setting.substr(0, setting.find('=')) + "=";
        environment.erase(std::remove_if(environment.begin(), environment.end(),
                                         [&](const std::string &variable) {
                                             return variable.compare(0, prefix.size(), prefix) == 0;
                                         }),
                          environment.end());
        if (setting.find('=') != std::string::npos)
            environment.push_back(setting);
    }
}

} // namespace

GameRun::GameRun() : GameRun(GameLaunch{}) {}

GameRun::GameRun(GameLaunch launch) : launch_(std::move(launch))
{
    std::string pattern = virtualDisplay().workDirectory() + "/game-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "no temporary folder for the game";
        return;
    }
    directory_ = pattern;
    fs::path built = fs::path(VOK_GAME_PROGRAM).parent_path();
    std::error_code error;
    for (const char *folder : {"Gfx", "Sfx"}) {
        fs::copy(built / folder, fs::path(directory_) / folder, fs::copy_options::recursive, error);
        if (error)
            ADD_FAILURE() << "cannot copy the built " << folder << "/ from " << built << ": " << error.message();
    }

    // Stands first on the game's PATH: notes what Allegro asks xmessage to show,
    // then shows it for real so the box can be seen and dismissed.
    std::string xmessage = realXmessage();
    if (xmessage.empty())
        ADD_FAILURE() << "no xmessage on PATH";
    fs::create_directory(fs::path(directory_) / "bin");
    std::string shim = path("bin/xmessage");
    std::ofstream(shim) << "#!/bin/sh\n"
                        << "printf '%s\\0' \"$#\" \"$@\" >> \"$VOK_MESSAGE_LOG\"\n"
                        << "exec '" << xmessage << "' \"$@\"\n";
    chmod(shim.c_str(), 0755);

    // The game's user reads the shim and writes the message log here.
    if (!launch_.user.empty()) {
        const passwd *user = getpwnam(launch_.user.c_str());
        if (!user) {
            ADD_FAILURE() << "no user " << launch_.user;
            return;
        }
        std::error_code error;
        bool handed = lchown(directory_.c_str(), user->pw_uid, user->pw_gid) == 0;
        for (fs::recursive_directory_iterator entry(directory_, error), end; !error && entry != end;
             entry.increment(error))
            handed = lchown(entry->path().c_str(), user->pw_uid, user->pw_gid) == 0 && handed;
        if (error || !handed)
            ADD_FAILURE() << "cannot hand " << directory_ << " to " << launch_.user;
    }
}

GameRun::~GameRun()
{
    if (::testing::Test::HasFailure())
        keepEvidence();
    if (pid_ > 0)
        processStop(pid_, SIGKILL, 5);
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
}

std::string GameRun::path(const std::string &relative) const
{
    return (fs::path(directory_) / relative).string();
}

void GameRun::fixTime(long seconds)
{
    fixedTime_ = std::to_string(seconds);
}

void GameRun::withoutSoundDevice()
{
    // The game asks for any sound driver; Allegro's configuration (found through
    // $ALLEGRO) may name the one to use, and a device no machine has.
    std::ofstream(path("allegro.cfg")) << "[sound]\ndigi_card = ALSA\nalsa_device = vokNoSuchDevice\n";
}

void GameRun::start()
{
    std::string command = launch_.command.empty() ? VOK_GAME_PROGRAM : launch_.command;
    ProcessLaunch launch;
    launch.arguments = wrapper_;
    launch.arguments.push_back(command);
    launch.environment = processEnvironmentWithout(
        {"DISPLAY", "PATH", "HOME", "ALLEGRO", "LD_PRELOAD", "VOK_FIXED_TIME", "VOK_MESSAGE_LOG"});
    const char *outerPath = getenv("PATH");
    // HOME and ALLEGRO keep any Allegro configuration of the person running the
    // tests away from the game.
    launch.environment.insert(launch.environment.end(),
                              {"DISPLAY=" + virtualDisplay().name(),
                               "PATH=" + path("bin") + ":" + (outerPath ? outerPath : "/usr/bin:/bin"),
                               "HOME=" + directory_, "ALLEGRO=" + directory_,
                               "VOK_MESSAGE_LOG=" + path("messages.log")});
    if (!fixedTime_.empty()) {
        launch.environment.push_back(std::string("LD_PRELOAD=") + VOK_FIXED_TIME_LIBRARY);
        launch.environment.push_back("VOK_FIXED_TIME=" + fixedTime_);
    }
    overrideEnvironment(launch.environment, launch_.environment);
    launch.directory = launch_.directory.empty() ? directory_ : launch_.directory;
    launch.user = launch_.user;
    launch.outputPath = path("game.out");
    launch.errorPath = path("game.err");
    pid_ = processStart(launch);
    if (pid_ < 0)
        ADD_FAILURE() << "cannot start " << command;
}

XWindow GameRun::waitForWindow()
{
    if (gaveUp_)
        return 0;
    auto end = deadline();
    while (Clock::now() < end) {
        if (XWindow window = virtualDisplay().findWindowTitled(gameTitle)) {
            window_ = window;
            return window;
        }
        if (ended_) {
            ADD_FAILURE() << "the game ended (" << describeExit(exitCode_) << ") before its window showed";
            gaveUp_ = true;
            return 0;
        }
        step();
    }
    gaveUp_ = true;
    ADD_FAILURE() << "no window titled \"" << gameTitle << "\" within " << patienceSeconds << " s";
    return 0;
}

Image GameRun::waitForScreen(const std::function<bool(const Image &)> &shows, const std::string &what)
{
    if (gaveUp_ || (!window_ && !waitForWindow()))
        return Image();
    auto end = deadline();
    while (Clock::now() < end) {
        Image screen = virtualDisplay().capture(window_);
        if (!screen.empty()) {
            lastScreen_ = screen;
            if (shows(screen))
                return screen;
        }
        if (ended_) {
            ADD_FAILURE() << "the game ended (" << describeExit(exitCode_) << ") while waiting for " << what;
            gaveUp_ = true;
            return Image();
        }
        step();
    }
    gaveUp_ = true;
    ADD_FAILURE() << "the screen did not show " << what << " within " << patienceSeconds << " s";
    return Image();
}

Image GameRun::pressUntil(XKeySym key, const std::function<bool(const Image &)> &shows, const std::string &what)
{
    Clock::time_point lastPress;
    return waitForScreen(
        [&](const Image &screen) {
            if (shows(screen))
                return true;
            if (Clock::now() - lastPress >= std::chrono::seconds(1)) {
                holdKey(key);
                lastPress = Clock::now();
            }
            return false;
        },
        what);
}

void GameRun::holdKeys(const std::vector<XKeySym> &keys, std::chrono::milliseconds time)
{
    if (gaveUp_ || (!window_ && !waitForWindow()))
        return;
    virtualDisplay().focus(window_);
    virtualDisplay().holdKeys(keys, time.count() ? time : usualHold_);
}

double GameRun::cpuSeconds() const
{
    // Fields 14 and 15 of /proc/PID/stat, after the parenthesised command name.
    std::string stat = readFileText("/proc/" + std::to_string(pid_) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; i++)
        if (i >= 14)
            ticks += std::stol(field);
    return double(ticks) / sysconf(_SC_CLK_TCK);
}

int GameRun::waitForExit()
{
    auto end = gaveUp_ ? Clock::now() : deadline();
    while (!ended_ && Clock::now() < end)
        step();
    if (!ended_) {
        if (!gaveUp_)
            ADD_FAILURE() << "the game did not end within " << patienceSeconds << " s; killed";
        gaveUp_ = true;
        if (window_)
            lastScreen_ = virtualDisplay().capture(window_);
        processStop(pid_, SIGKILL, 5);
        pid_ = -1;
        ended_ = true;
    }
    return exitCode_;
}

void GameRun::step()
{
    serviceMessageBoxes();
    int status = 0;
    if (pid_ > 0 && processEnded(pid_, &status)) {
        pid_ = -1;
        ended_ = true;
        if (WIFEXITED(status))
            exitCode_ = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            exitCode_ = 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(stepTime);
}

void GameRun::serviceMessageBoxes()
{
    std::vector<XWindow> boxes = virtualDisplay().findWindowsOfClass("Xmessage");
    if (boxes.empty())
        return;
    // The shim writes its record before the box opens, and Allegro shows one box
    // at a time, so a record not yet matched to a box belongs to the one up now.
    size_t records = messageRecords().size();
    if (records > boxOpenWithGame_.size()) {
        boxOpenWithGame_.resize(records, virtualDisplay().findWindowTitled(gameTitle) != 0);
        lastReturn_ = Clock::time_point();
    }
    if (Clock::now() - lastReturn_ < returnRetry)
        return;
    for (XWindow box : boxes) {
        virtualDisplay().focus(box);
        virtualDisplay().holdKeys({XK_Return});
    }
    lastReturn_ = Clock::now();
}

std::vector<std::vector<std::string>> GameRun::messageRecords() const
{
    // Each record: the argument count, then the arguments, each ended by a NUL.
    std::string log = readFileText(path("messages.log"));
    std::vector<std::string> fields;
    size_t at = 0;
    for (size_t end = log.find('\0'); end != std::string::npos; end = log.find('\0', at)) {
        fields.push_back(log.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::vector<std::string>> records;
    for (size_t i = 0; i < fields.size();) {
        size_t count = std::strtoul(fields[i].c_str(), nullptr, 10);
        if (i + 1 + count > fields.size())
            break;
        records.emplace_back(fields.begin() + i + 1, fields.begin() + i + 1 + count);
        i += 1 + count;
    }
    return records;
}

std::vector<MessageBox> GameRun::messageBoxes() const
{
    std::vector<MessageBox> boxes;
    for (const std::vector<std::string> &arguments : messageRecords()) {
        MessageBox box;
        if (!arguments.empty())
            box.text = arguments.back();
        if (!box.text.empty() && box.text.back() == '\n')
            box.text.pop_back();
        box.gameWindowOpen = boxes.size() < boxOpenWithGame_.size() && boxOpenWithGame_[boxes.size()];
        boxes.push_back(box);
    }
    return boxes;
}

std::vector<std::string> GameRun::messages() const
{
    std::vector<std::string> texts;
    for (const MessageBox &box : messageBoxes())
        texts.push_back(box.text);
    return texts;
}

void GameRun::keepEvidence()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "outside-a-test";
    for (char &c : name)
        if (c == '/')
            c = '_';
    static int runs = 0;
    fs::path stem = fs::path(VOK_E2E_EVIDENCE_DIR) / (name + "-" + std::to_string(++runs));
    std::error_code error;
    fs::create_directories(VOK_E2E_EVIDENCE_DIR, error);
    if (pid_ > 0 && window_) {
        Image screen = virtualDisplay().capture(window_);
        if (!screen.empty())
            lastScreen_ = screen;
    }
    if (!lastScreen_.empty())
        lastScreen_.savePpm(stem.string() + ".ppm");
    fs::copy_file(path("game.out"), stem.string() + ".out", fs::copy_options::overwrite_existing, error);
    fs::copy_file(path("game.err"), stem.string() + ".err", fs::copy_options::overwrite_existing, error);
    std::cerr << "Evidence of the failed run: " << stem.string() << ".{ppm,out,err}\nMessage boxes shown:";
    std::vector<std::string> texts = messages();
    if (texts.empty())
        std::cerr << " none";
    for (const std::string &text : texts)
        std::cerr << "\n  \"" << text << "\"";
    std::cerr << std::endl;
}
