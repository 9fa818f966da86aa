// Starting, watching and stopping the bench's child processes, with a last-ditch
// cleanup for when the test program itself dies.
#include "Processes.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern char **environ;

namespace {

// Read from signal handlers, so a fixed array of plain values.
const int maxLive = 32;
volatile pid_t livePids[maxLive];

void remember(pid_t pid)
{
    for (auto &slot : livePids) {
        if (slot == 0) {
            slot = pid;
            return;
        }
    }
}

void forget(pid_t pid)
{
    for (auto &slot : livePids)
        if (slot == pid)
            slot = 0;
}

void sleepSeconds(double seconds)
{
    timespec pause{time_t(seconds), long((seconds - time_t(seconds)) * 1e9)};
    nanosleep(&pause, nullptr);
}

// Only async-signal-safe calls: this also runs inside a fatal signal handler.
// The X server gets a moment to remove its lock file before everything is
// killed; every child is reaped, since not every init reaps orphans.
void stopEverything()
{
    bool any = false;
    for (pid_t pid : livePids) {
        if (pid > 0) {
            kill(-pid, SIGTERM);
            any = true;
        }
    }
    for (int turn = 0; any && turn < 50; turn++) {
        sleepSeconds(0.02);
        any = false;
        for (auto &slot : livePids) {
            if (slot > 0 && waitpid(slot, nullptr, WNOHANG) != 0)
                slot = 0;
            any = any || slot > 0;
        }
    }
    for (auto &slot : livePids) {
        if (slot > 0) {
            kill(-slot, SIGKILL);
            waitpid(slot, nullptr, 0);
            slot = 0;
        }
    }
}

void stopEverythingAndDie(int signal)
{
    stopEverything();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

std::vector<char *> pointersTo(const std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (const std::string &text : strings)
        pointers.push_back(const_cast<char *>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

pid_t processStart(const ProcessLaunch &launch)
{
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls.
    std::vector<char *> arguments = pointersTo(launch.arguments);
    std::vector<char *> environment = pointersTo(launch.environment);
    // initgroups reads the group database, no business for a child of fork:
    // the groups are looked up here and only set there.
    const passwd *user = nullptr;
    std::vector<gid_t> groups;
    if (!launch.user.empty()) {
        user = getpwnam(launch.user.c_str());
        if (!user)
            return -1;
        int count = 0;
        getgrouplist(user->pw_name, user->pw_gid, nullptr, &count);
        groups.resize(count);
        if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0)
            return -1;
        groups.resize(count);
    }
    uid_t uid = user ? user->pw_uid : 0;
    gid_t gid = user ? user->pw_gid : 0;
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        int input = open("/dev/null", O_RDONLY);
        int output = open(launch.outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int error = open(launch.errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (input < 0 || output < 0 || error < 0)
            _exit(127);
        if (user && (setgroups(groups.size(), groups.data()) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(127);
        if (chdir(launch.directory.c_str()) != 0)
            _exit(127);
        dup2(input, 0);
        dup2(output, 1);
        dup2(error, 2);
        execvpe(arguments[0], arguments.data(), environment.data());
        _exit(127);
    }
    if (pid < 0)
        return -1;
    // Also from this side, so the group exists before anyone signals it.
    setpgid(pid, pid);
    remember(pid);
    return pid;
}

bool processEnded(pid_t pid, int *status)
{
    int waitStatus = 0;
    pid_t result = waitpid(pid, &waitStatus, WNOHANG);
    if (result == 0)
        return false;
    forget(pid);
    if (status)
        *status = result == pid ? waitStatus : -1;
    return true;
}

void processStop(pid_t pid, int signal, double graceSeconds)
{
    if (pid <= 0)
        return;
    kill(-pid, signal);
    for (double waited = 0; waited < graceSeconds; waited += 0.02) {
        if (processEnded(pid, nullptr))
            break;
        sleepSeconds(0.02);
    }
    // Whatever is left of the group (a message box the game had open) goes too.
    kill(-pid, SIGKILL);
    if (!processEnded(pid, nullptr)) {
        waitpid(pid, nullptr, 0);
        forget(pid);
    }
}

void processInstallCleanup()
{
    std::atexit(stopEverything);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, stopEverythingAndDie);
}

std::vector<std::string> processEnvironmentWithout(const std::vector<std::string> &names)
{
    std::vector<std::string> kept;
    for (char **entry = environ; *entry; entry++) {
        std::string variable = *entry;
        bool dropped = false;
        for (const std::string &name : names)
            dropped = dropped || variable.compare(0, name.size() + 1, name + "=") == 0;
        if (!dropped)
            kept.push_back(variable);
    }
    return kept;
}
