// The preview's control protocol: one command a line on standard input, one answer a line on
// standard output ("ok ..." or "error: ..."), for editor plugins, scripts and tests.
#pragma once

#include <string>

namespace preview {

struct Command {
    enum Kind { kSeek, kPause, kPlay, kTime, kReload, kShot, kView, kEffects, kQuit } kind = kTime;
    double seconds = 0; // kSeek
    std::string path;   // kShot, kView
};

// Reads one line (without its newline). Returns "" and fills `command`, or the error text
// to answer with.
std::string parseCommand(const std::string& line, Command* command);

// Collects standard input without blocking and hands out whole lines.
class LineReader {
public:
    explicit LineReader(int fd) : fd(fd) {}
    // Reads what is there; false once the input has ended and every line is handed out.
    bool poll();
    bool nextLine(std::string* line);

private:
    int fd;
    bool ended = false;
    std::string pending;
};

} // namespace preview
