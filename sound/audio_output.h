// The output device: a sound server through libpulse, or a silent output that consumes the
// music in real time where there is no server. Leans on sound/music_clock.h for the frame counts.
#pragma once

#include <cstdint>
#include <memory>

namespace sound {

// Fills the output's buffers; runs on the output's own thread with the output locked.
class Renderer {
public:
    // Writes `frames` frames of interleaved 16-bit stereo into `out`; `deviceFrame` counts the
    // frames handed to the output before these.
    virtual void render(int16_t* out, int frames, int64_t deviceFrame) = 0;

protected:
    ~Renderer() = default;
};

// What an output says of the frame being heard now.
enum class Hearing {
    kFrame,   // `frame` holds the output frame heard now (0 before anything is audible)
    kLost,    // the server or device went away (and is not back yet)
    kUnknown, // the output cannot tell (the silent one)
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Keeps the output's thread out of the renderer while held; every call below needs it.
    virtual void lock() = 0;
    virtual void unlock() = 0;

    virtual Hearing heardFrame(int64_t& frame) = 0;
    // Once a server lost meanwhile plays again: gives it back to the renderer from the next
    // buffer on, whose first output frame goes to `nextFrame`. False while there is none.
    virtual bool rejoin(int64_t& nextFrame) = 0;
    // Frames the server has read but plays only after its current period (sound_diagnostics.h).
    virtual int64_t queuedPeriodFrames() { return 0; }
    // The server's name, or "silent".
    virtual const char* name() const = 0;
    virtual bool silent() const = 0;
};

// The sound server if one answers, else the silent output, which says why on standard error
// in one line. Null only when not even the silent output could start.
std::unique_ptr<AudioOutput> openAudioOutput(int framesPerSecond, Renderer& renderer);

// Monotonic time in nanoseconds (CLOCK_MONOTONIC), the time base of every clock here.
int64_t monotonicNanoseconds();

} // namespace sound
