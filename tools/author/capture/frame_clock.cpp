// The fixed clock's arithmetic, in integers wherever the result is a frame or a millisecond.
#include "tools/author/capture/frame_clock.h"

#include "host/demo_player.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace capture {

int64_t frameMilliseconds(int64_t frame, int fps) {
    return FixedFrameClock::frameMilliseconds(frame, fps);
}

// floor(n * 1000 / fps) >= m  <=>  n >= m * fps / 1000, so n is that quotient rounded up.
int64_t firstFrameAtOrAfter(int64_t milliseconds, int fps) {
    if (milliseconds <= 0)
        return 0;
    return (milliseconds * fps + 999) / 1000;
}

bool parseSeconds(const std::string& text, double* seconds) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < 0 || value > 1e7)
        return false;
    *seconds = value;
    return true;
}

bool parseCount(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high)
        return false;
    *value = static_cast<int>(number);
    return true;
}

int64_t millisecondsAtOrAfter(double seconds) {
    // NOTE: 0.7 s is 699.99999999999994 ms in binary; the microsecond of slack keeps it 700.
    return static_cast<int64_t>(std::ceil(seconds * 1000.0 - 1e-3));
}

std::string formatClock(int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld",
                  static_cast<long long>(milliseconds / 60000),
                  static_cast<long long>(milliseconds / 1000 % 60),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

} // namespace capture
