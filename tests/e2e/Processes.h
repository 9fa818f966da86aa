// Child processes of the end-to-end bench (the X server, the game): started in
// their own process group, killed with their children, never left behind.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct ProcessLaunch {
    std::vector<std::string> arguments;   // arguments[0] is searched on PATH
    std::vector<std::string> environment; // the whole environment, NAME=value
    std::string directory;                // working directory
    std::string outputPath;               // stdout and stderr go to these files
    std::string errorPath;
    std::string user; // run as this user (the caller being root); empty: as the caller
};

// Starts the process as leader of a new process group; it dies with the test
// program even if the test program is killed. Returns -1 if it could not start.
pid_t processStart(const ProcessLaunch &launch);

// True once the process has ended; *status gets its wait status. Reaps it.
bool processEnded(pid_t pid, int *status);

// Sends the signal to the process's whole group, waits up to the given time for
// the leader to end, then kills the group outright. Always reaps the leader.
void processStop(pid_t pid, int signal, double graceSeconds);

// Makes an abort, a fatal signal or exit() also stop every process still
// running, so no X server or game outlives a crashed test program.
void processInstallCleanup();

// The current environment, without the named variables.
std::vector<std::string> processEnvironmentWithout(const std::vector<std::string> &names);
