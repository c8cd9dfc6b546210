// The capture's fixed clock: which music millisecond each frame shows at a given frame rate,
// and the frames that a time or a time range selects. Pure arithmetic, no GL.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

// Frame n of a run at `fps` frames per second is shown at floor(n * 1000 / fps) ms.
int64_t frameMilliseconds(int64_t frame, int fps);

// The first frame whose time is at or after `milliseconds`.
int64_t firstFrameAtOrAfter(int64_t milliseconds, int fps);

// Reads a time in seconds from the command line ("12", "1.5", "0.0167") as a whole number
// of milliseconds, rounded up so that a frame at or after it is one at or after the text's
// time (times are taken to the microsecond). False for anything else, negatives included.
bool parseSeconds(const std::string& text, double* seconds);
int64_t millisecondsAtOrAfter(double seconds);

// A whole number from `low` to `high` written in decimal digits only, as options take it.
bool parseCount(const std::string& text, int low, int high, int* value);

// "1:05.250" for 65250 ms.
std::string formatClock(int64_t milliseconds);

} // namespace capture
