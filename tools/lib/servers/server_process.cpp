// Server processes: fork, a new process group, a scratch directory, exec; and the way back.
#include "tools/lib/servers/private_servers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace servers {

namespace {

constexpr std::chrono::milliseconds kStopGrace(2000);

// This process's environment with `changes` applied: "NAME=value" sets, "NAME" removes.
std::vector<std::string> changedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry)
        result.push_back(*entry);
    for (const std::string& change : changes) {
        const std::string prefix = change.substr(0, change.find('=')) + "=";
        result.erase(std::remove_if(result.begin(), result.end(),
                                    [&](const std::string& entry) {
                                        return entry.compare(0, prefix.size(), prefix) == 0;
                                    }),
                     result.end());
        if (change.size() >= prefix.size())
            result.push_back(change);
    }
    return result;
}

std::vector<char*> pointersTo(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

// In the child, between fork and exec: nothing here may allocate.
[[noreturn]] void execServer(char** argv, char** envp, const char* directory, int passed,
                             pid_t parent) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        _exit(127); // the parent died before the line above
    int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, 0);
    dup2(quiet, 1);
    dup2(quiet, 2);
    if (passed >= 0)
        dup2(passed, 3);
    close_range(passed >= 0 ? 4 : 3, ~0U, 0);
    if (chdir(directory) == 0)
        execvpe(argv[0], argv, envp);
    _exit(127);
}

} // namespace

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= directories.size();) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos)
            end = directories.size();
        std::string candidate = directories.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

int runQuietly(const std::vector<std::string>& command,
               const std::vector<std::string>& environment) {
    std::vector<std::string> words = command, variables = changedEnvironment(environment);
    std::vector<char*> argv = pointersTo(words), envp = pointersTo(variables);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    pid_t child = -1;
    int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed != 0)
        return -1;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::start(const std::vector<std::string>& command,
                                 const std::vector<std::string>& environment, int passed) {
    stop();
    std::string pattern = "/tmp/solvane-server-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return std::string("cannot make a scratch directory: ") + std::strerror(errno);
    scratch = pattern;
    std::vector<std::string> changes = {"HOME=" + scratch, "XDG_RUNTIME_DIR=" + scratch};
    changes.insert(changes.end(), environment.begin(), environment.end());
    std::vector<std::string> words = command, variables = changedEnvironment(changes);
    std::vector<char*> argv = pointersTo(words), envp = pointersTo(variables);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0)
        execServer(argv.data(), envp.data(), scratch.c_str(), passed, parent);
    if (child < 0) {
        std::string why = std::strerror(errno);
        stop();
        return "cannot start " + command[0] + ": " + why;
    }
    setpgid(child, child); // also here, so that a stop right away reaches the group
    group = child;
    leaderExited = false;
    return "";
}

bool ServerProcess::running() {
    if (group > 0 && !leaderExited && waitpid(group, nullptr, WNOHANG) == group)
        leaderExited = true;
    return group > 0 && !leaderExited;
}

void ServerProcess::kill() {
    if (group <= 0)
        return;
    ::kill(-group, SIGKILL);
    while (!leaderExited && waitpid(group, nullptr, 0) < 0 && errno == EINTR) {
    }
    leaderExited = true;
}

// NOTE: the group outlives its leader when the leader starts others (PipeWire's does), and
// they may still write into the scratch directory; it goes only once all of them have.
bool ServerProcess::groupAlive() {
    running(); // a leader that exited but is not reaped still counts
    return ::kill(-group, 0) == 0;
}

void ServerProcess::waitForGroup(std::chrono::milliseconds longest) {
    const auto giveUp = std::chrono::steady_clock::now() + longest;
    while (groupAlive() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void ServerProcess::stop() {
    if (group > 0) {
        ::kill(-group, SIGTERM);
        waitForGroup(kStopGrace);
        kill();
        // Killed processes write nothing; a zombie nobody reaps must not hold us for ever.
        waitForGroup(kStopGrace);
        group = -1;
    }
    if (!scratch.empty()) {
        nftw(scratch.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
        scratch.clear();
    }
}

} // namespace servers
