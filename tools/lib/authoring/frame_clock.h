// The fixed frame clock's arithmetic for the tools: which frames a time or a range selects, and
// clock texts. Frame n at `fps` frames per second shows FixedFrameClock::frameMilliseconds(n),
// floor(n * 1000 / fps) ms. Integers wherever the result is a frame or a millisecond; no GL.
#pragma once

#include <cstdint>
#include <string>

namespace authoring {

// The longest time the tools work with: 2^14 s (4:33:04), the largest float second count that
// still holds the millisecond (past it a float steps by 2 ms). No demo runs that long, so a
// timeline end beyond it (1e30, infinity) is taken as this much, and a time asked for beyond it
// is past any timeline's end.
constexpr float kLongestSeconds = 16384.0f;

// The timeline's end as the tools use it: at most kLongestSeconds, and 0 for NaN.
float usableTimelineEnd(float end);

// `milliseconds` for the int interfaces of the sound layer, saturated instead of wrapped.
int saturatedMilliseconds(int64_t milliseconds);

// The first frame whose time is at or after `milliseconds`.
int64_t firstFrameAtOrAfter(int64_t milliseconds, int fps);

// A time in seconds from the command line as a whole number of milliseconds, rounded up so
// that a frame at or after it is one at or after the text's time (taken to the microsecond).
// Times beyond twice kLongestSeconds count as that, NaN as 0: never an overflow.
int64_t millisecondsAtOrAfter(double seconds);

// Whether the demo would already have ended at this frame: its time is past the timeline's end.
bool pastTheEnd(int64_t frame, int fps, float timelineEnd);

// "1:05.250" for 65250 ms.
std::string formatClock(int64_t milliseconds);

} // namespace authoring
