// A one-line progress bar on standard error, for runs that take longer than a second and only
// when standard error is a terminal.
#pragma once

#include <chrono>
#include <cstdint>

namespace capture {

class ProgressBar {
public:
    explicit ProgressBar(int64_t totalFrames);
    void update(int64_t framesDone);
    // Clears the line, if anything was drawn.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    int64_t total;
    bool enabled;
    bool drawn = false;
    Clock::time_point begin, lastDraw;
};

} // namespace capture
