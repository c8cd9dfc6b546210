// The preview's control protocol: one command a line on standard input, one answer a line on
// standard output ("ok ..." or "error: ..."), for editor plugins, scripts and tests.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace preview {

struct Command {
    enum Kind { kSeek, kPause, kPlay, kTime, kReload, kShot, kEffects, kQuit } kind = kTime;
    double seconds = 0; // kSeek
    std::string path;   // kShot
};

// The longest command line: room for a shot's path of PATH_MAX bytes, twice over.
constexpr size_t kLongestLine = 8192;
// What LineReader hands out for a longer line; no line read holds a newline, so none is this.
constexpr const char* kTooLongLine = "\n";

// Reads one line (without its newline). Returns "" and fills `command`, or the error text
// to answer with.
std::string parseCommand(const std::string& line, Command* command);

// Collects standard input without blocking and hands out whole lines. A line that grows past
// kLongestLine is handed out once, as kTooLongLine, and the rest of it is dropped unread.
class LineReader {
public:
    explicit LineReader(int fd) : fd(fd) {}
    // Reads what is there, a bounded amount a call so that a flood of input still leaves the
    // caller its frames; false once the input has ended and every line is handed out.
    bool poll();
    bool nextLine(std::string* line);

private:
    void take(const char* bytes, size_t count);

    int fd;
    bool ended = false;
    bool dropping = false; // the rest of a line that was too long
    std::string partial;
    std::deque<std::string> lines;
};

} // namespace preview
