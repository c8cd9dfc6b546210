// The fixed frame clock's arithmetic for the tools: which frames a time or a range selects, and
// clock texts. Frame n at `fps` frames per second shows FixedFrameClock::frameMilliseconds(n),
// floor(n * 1000 / fps) ms. Integers wherever the result is a frame or a millisecond; no GL.
#pragma once

#include <cstdint>
#include <string>

namespace authoring {

// The first frame whose time is at or after `milliseconds`.
int64_t firstFrameAtOrAfter(int64_t milliseconds, int fps);

// A time in seconds from the command line as a whole number of milliseconds, rounded up so
// that a frame at or after it is one at or after the text's time (taken to the microsecond).
int64_t millisecondsAtOrAfter(double seconds);

// Whether the demo would already have ended at this frame: its time is past the timeline's end.
bool pastTheEnd(int64_t frame, int fps, float timelineEnd);

// "1:05.250" for 65250 ms.
std::string formatClock(int64_t milliseconds);

} // namespace authoring
