// What the sound layer chose at FSOUND_Init, for tests and measuring tools.
#pragma once

#include <cstdint>

struct FSOUND_STREAM;

namespace sound {

// The output in use: "pulse" for a sound server, "silent", or "none" before FSOUND_Init.
const char* outputDriverName();
// Whether the music plays on the silent output because no device could be opened.
bool outputIsSilent();
// Whether `stream`'s clock has left the sound server for real time (the server went away, or
// nothing was heard in time).
bool clockOnRealTime(FSOUND_STREAM* stream);
// The period that the server has read but plays only after the current one, which the clock
// leaves out (PipeWire's pulse server); 0 elsewhere, and until the server's reports show it.
int64_t queuedPeriodFrames();

} // namespace sound
