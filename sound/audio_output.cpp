// SDL2 audio output with a silent fallback, so that a machine without a sound card still runs
// the demo in sync: the dummy driver consumes audio in real time and plays nothing.
#include "sound/audio_output.h"

#include <SDL.h>

#include <cstdio>

namespace sound {

namespace {

// NOTE: a power of two. SDL rounds other sizes up for the device but keeps calling back with
// the size asked for, and its silent driver then drops behind real time by the difference.
constexpr int kBufferFrames = 1024;

SDL_AudioSpec wantedSpec(int framesPerSecond, RenderFunction render, void* context) {
    SDL_AudioSpec spec{};
    spec.freq = framesPerSecond;
    spec.format = AUDIO_S16SYS;
    spec.channels = 2;
    spec.samples = kBufferFrames;
    spec.callback = render;
    spec.userdata = context;
    return spec;
}

} // namespace

bool AudioOutput::open(int framesPerSecond, RenderFunction render, void* context) {
    rate = framesPerSecond;
    buffer = kBufferFrames;
    renderFunction = render;
    renderContext = context;
    if (!openDevice() && !openSilentDevice()) {
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

// The default device of the first driver SDL can start. A driver that lists no output device
// is not asked to open one: ALSA, for one, would fill standard error with complaints.
bool AudioOutput::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    usedSubsystem = true;
    if (SDL_GetNumAudioDevices(0) == 0) {
        SDL_SetError("%s lists no output device", SDL_GetCurrentAudioDriver());
        return false;
    }
    // No changes allowed: SDL converts to the device's own format, so frames stay ours.
    SDL_AudioSpec wanted = wantedSpec(rate, renderFunction, renderContext);
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    return device != 0;
}

bool AudioOutput::openSilentDevice() {
    std::fprintf(stderr, "sound: no audio device (%s); the music plays silently\n", SDL_GetError());
    if (usedSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        usedSubsystem = false;
    }
    if (SDL_AudioInit("dummy") != 0) {
        std::fprintf(stderr, "sound: silent output failed: %s\n", SDL_GetError());
        return false;
    }
    isSilent = true;
    SDL_AudioSpec wanted = wantedSpec(rate, renderFunction, renderContext);
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device == 0) {
        std::fprintf(stderr, "sound: silent output failed: %s\n", SDL_GetError());
        SDL_AudioQuit();
        isSilent = false;
    }
    return device != 0;
}

void AudioOutput::close() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    if (usedSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    } else if (isSilent) {
        SDL_AudioQuit();
    }
    if (usedSubsystem || isSilent) {
        SDL_Quit();
    }
    usedSubsystem = false;
    isSilent = false;
}

void AudioOutput::lock() {
    SDL_LockAudioDevice(device);
}

void AudioOutput::unlock() {
    SDL_UnlockAudioDevice(device);
}

const char* AudioOutput::driverName() const {
    const char* name = SDL_GetCurrentAudioDriver();
    return name != nullptr ? name : "none";
}

int64_t AudioOutput::latencyFrames() const {
    // The silent driver plays each buffer during the pause that follows its callback; the
    // real backends keep about one more period queued in front of it.
    return isSilent ? buffer : 2 * buffer;
}

} // namespace sound
