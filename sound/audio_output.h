// The output device: SDL2's audio subsystem, falling back to its silent "dummy" driver.
#pragma once

#include <cstdint>

namespace sound {

// Fills `bytes` bytes of interleaved 16-bit stereo; runs on SDL's audio thread.
using RenderFunction = void (*)(void* context, unsigned char* out, int bytes);

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput() { close(); }
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default device, or the silent one when no device can be opened, and starts
    // calling `render`. False when not even the silent output could be opened.
    bool open(int framesPerSecond, RenderFunction render, void* context);
    void close();

    // Keeps the audio thread out of the render function while held; main thread only.
    void lock();
    void unlock();

    bool silent() const { return isSilent; }
    const char* driverName() const;
    int framesPerSecond() const { return rate; }
    int bufferFrames() const { return buffer; }
    // Frames the device holds beyond what is being heard, right after a buffer was handed.
    int64_t latencyFrames() const;

private:
    bool openDevice();
    bool openSilentDevice();

    unsigned int device = 0;
    bool isSilent = false;
    bool usedSubsystem = false; // opened through SDL_InitSubSystem, not SDL_AudioInit
    int rate = 0;
    int buffer = 0;
    RenderFunction renderFunction = nullptr;
    void* renderContext = nullptr;
};

} // namespace sound
