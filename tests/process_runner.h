// Runs a program of ours as a child process for end-to-end tests: in a given directory,
// with its standard output and error captured to files, and a deadline.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
public:
    // Starts `program` with `arguments` in `directory`; output goes to DIR/stdout.txt and
    // DIR/stderr.txt unless other paths are given.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& directory);
    // Waits up to `seconds`; returns the exit status, 128 + signal when killed by one, or
    // -1 on timeout (the child is then killed).
    int wait(double seconds);
    bool running();
    void signal(int number);
    double secondsSinceStart() const;
    // What the child has printed so far.
    std::string output() const;
    std::string errors() const;
    // Polls the output until it contains `text`, up to `seconds`.
    bool waitForOutput(const std::string& text, double seconds);

    ~ChildProcess();

private:
    pid_t pid = -1;
    int status = -1;
    double startTime = 0;
    std::string directory;
};

// Runs a shell command to completion and returns its exit status.
int runCommand(const std::string& command);
std::string makeTemporaryDirectory(const std::string& stem);
void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
// Makes a FIFO at `path` and holds it open for writing without ever writing: a reader that
// waits for data waits for ever. Returns the writer's descriptor (close-on-exec), or -1.
int makeSilentFifo(const std::string& path);
