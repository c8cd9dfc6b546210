// What the sound layer chose at FSOUND_Init, for tests and measuring tools.
#pragma once

namespace sound {

// The SDL audio driver in use ("dummy" for the silent output), or "none" before FSOUND_Init.
const char* outputDriverName();
// Whether the music plays on the silent output because no device could be opened.
bool outputIsSilent();

} // namespace sound
