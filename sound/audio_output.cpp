// Chooses the output: the sound server when one answers, else the silent one.
#include "sound/audio_output.h"

#include "sound/output_backends.h"

#include <cstdio>
#include <ctime>

namespace sound {

std::unique_ptr<AudioOutput> openAudioOutput(int framesPerSecond, Renderer& renderer) {
    std::string why;
    std::unique_ptr<AudioOutput> output = openPulseOutput(framesPerSecond, renderer, why);
    if (output != nullptr) {
        return output;
    }
    std::fprintf(stderr, "sound: no sound server (%s); the music plays silently\n", why.c_str());
    return openSilentOutput(framesPerSecond, renderer);
}

int64_t monotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace sound
