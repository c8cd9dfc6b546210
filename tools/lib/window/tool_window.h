// The host's window as the offline tools open it: windowed, the demo's frame size, on screen
// before the first frame, with the host's set-up lines held back unless the window fails.
#pragma once

#include <cstdio>
#include <string>

namespace toolwindow {

// Opens the window and makes its GL context current. Returns "" or one line; on failure the
// host's own lines have been written to standard error.
std::string open(const char* title);
void close();

// Sends standard output (and standard error, when asked) to a temporary file for a while, so
// the host's set-up lines do not mix with a tool's own output.
class HeldOutput {
public:
    explicit HeldOutput(bool withErrors = false);
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;
    ~HeldOutput() { release(); }
    // Puts standard output back; returns what was held.
    std::string release();

private:
    std::FILE* file;
    int saved = -1, savedErrors = -1;
};

} // namespace toolwindow
