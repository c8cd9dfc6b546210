// The two outputs behind openAudioOutput; nothing else constructs them.
#pragma once

#include "sound/audio_output.h"

#include <string>

namespace sound {

// The default sound server through libpulse (PulseAudio, or PipeWire's pulse server). Null,
// with the reason in `why`, when no server answers; a server is never started for us.
std::unique_ptr<AudioOutput> openPulseOutput(int framesPerSecond, Renderer& renderer,
                                             std::string& why);
// Consumes the music in real time and plays nothing.
std::unique_ptr<AudioOutput> openSilentOutput(int framesPerSecond, Renderer& renderer);

} // namespace sound
