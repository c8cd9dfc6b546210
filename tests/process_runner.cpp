// Child processes for end-to-end tests.
#include "tests/process_runner.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory) {
    directory = workingDirectory;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    startTime = now();
    pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        int out = open((directory + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open((directory + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(directory.c_str()) != 0)
            _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return true;
}

int ChildProcess::wait(double seconds) {
    if (pid <= 0)
        return status;
    double deadline = now() + seconds;
    int raw = 0;
    for (;;) {
        pid_t done = waitpid(pid, &raw, WNOHANG);
        if (done == pid)
            break;
        if (now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &raw, 0);
            pid = -1;
            status = -1;
            return status;
        }
        usleep(10000);
    }
    pid = -1;
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status;
}

bool ChildProcess::running() {
    if (pid <= 0)
        return false;
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) {
        pid = -1;
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return false;
    }
    return true;
}

void ChildProcess::signal(int number) {
    if (pid > 0)
        kill(pid, number);
}

double ChildProcess::secondsSinceStart() const {
    return now() - startTime;
}

std::string ChildProcess::output() const {
    return readFile(directory + "/stdout.txt");
}
std::string ChildProcess::errors() const {
    return readFile(directory + "/stderr.txt");
}

bool ChildProcess::waitForOutput(const std::string& text, double seconds) {
    double deadline = now() + seconds;
    while (now() < deadline) {
        if (output().find(text) != std::string::npos)
            return true;
        usleep(20000);
    }
    return false;
}

ChildProcess::~ChildProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

int runCommand(const std::string& command) {
    int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string makeTemporaryDirectory(const std::string& stem) {
    std::string pattern = "/tmp/" + stem + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int makeSilentFifo(const std::string& path) {
    if (mkfifo(path.c_str(), 0644) != 0)
        return -1;
    return open(path.c_str(), O_RDWR | O_CLOEXEC); // on Linux, opens without a reader
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
