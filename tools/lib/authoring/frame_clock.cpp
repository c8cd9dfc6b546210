// The fixed clock's arithmetic, over the player's own frame times.
#include "tools/lib/authoring/frame_clock.h"

#include "host/demo_player.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace authoring {

// floor(n * 1000 / fps) >= m  <=>  n >= m * fps / 1000, so n is that quotient rounded up.
int64_t firstFrameAtOrAfter(int64_t milliseconds, int fps) {
    if (milliseconds <= 0)
        return 0;
    return (milliseconds * fps + 999) / 1000;
}

float usableTimelineEnd(float end) {
    if (std::isnan(end))
        return 0;
    return std::min(end, kLongestSeconds);
}

int saturatedMilliseconds(int64_t milliseconds) {
    return static_cast<int>(std::clamp<int64_t>(milliseconds, INT_MIN, INT_MAX));
}

int64_t millisecondsAtOrAfter(double seconds) {
    const double beyondAll = 2.0 * kLongestSeconds;
    if (!(seconds > -beyondAll))
        seconds = std::isnan(seconds) ? 0 : -beyondAll;
    // NOTE: 0.7 s is 699.99999999999994 ms in binary; the microsecond of slack keeps it 700.
    return static_cast<int64_t>(std::ceil(std::min(seconds, beyondAll) * 1000.0 - 1e-3));
}

bool pastTheEnd(int64_t frame, int fps, float timelineEnd) {
    return pastTimelineEnd(FixedFrameClock::frameMilliseconds(frame, fps), timelineEnd);
}

std::string formatClock(int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld",
                  static_cast<long long>(milliseconds / 60000),
                  static_cast<long long>(milliseconds / 1000 % 60),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

} // namespace authoring
