// The music clock: the music time of the frame being heard now, read on the demo's thread.
// The output's thread marks in a SegmentMap which music it handed the device where; the clock
// looks up the frame the output says is heard, and shapes the result so that it never goes
// back and never runs ahead of the wall clock by more than a hair.
#pragma once

#include "sound/audio_output.h"

#include <array>
#include <cstdint>

namespace sound {

// Where each run of music starts among the frames handed to the output. Written on the output's
// thread and read on the demo's, both with the output locked.
class SegmentMap {
public:
    struct Segment {
        int64_t deviceFrame; // the first output frame of the run
        int64_t musicFrame;  // the music frame played there
        bool advancing;      // false: silence while paused, the music standing at musicFrame
        uint32_t generation; // the clock's start or seek that the run belongs to
    };

    void add(const Segment& segment);
    // The music frame heard at output frame `heard`, if that frame belongs to `generation`.
    bool musicAt(int64_t heard, uint32_t generation, double& musicFrame) const;

private:
    static constexpr int kCapacity = 32;
    std::array<Segment, kCapacity> ring{};
    int count = 0;
    int next = 0;
};

class MusicClock {
public:
    // How long the clock waits at a new position for its sound before it gives up on the
    // device and runs on real time.
    static constexpr double kAudibleWithinMs = 2000;
    // How far one read may run ahead of the wall time since the previous one. GetTime truncates
    // to whole milliseconds, which can add up to one more.
    static constexpr double kCatchUpPerReadMs = 0.5;

    explicit MusicClock(int framesPerSecond) : msPerFrame(1000.0 / framesPerSecond) {}

    // Starts at `positionMs`, following `map` for `output` or, for a silent output, real time.
    // Returns the generation the output's thread must tag the new position's runs with.
    uint32_t start(int64_t nowNs, double positionMs, bool followsDevice);
    // Makes `positionMs` the position now; the clock holds it until its sound is heard.
    uint32_t seek(int64_t nowNs, double positionMs);
    void setPaused(int64_t nowNs, bool paused);
    // Where the music must go on after a loss, as the clock's generation `generation`.
    struct Rejoined {
        double musicMs;
        uint32_t generation;
    };
    // The server plays again after a loss, its next buffer heard `untilHeardMs` from now: the
    // music there must be where the clock will be by then (where it stands, if paused). The
    // clock goes on in real time until that music is heard, then follows the device again.
    Rejoined rejoin(int64_t nowNs, double untilHeardMs);
    // Freezes the position and returns it.
    double stop(int64_t nowNs, AudioOutput& output, const SegmentMap& map);
    bool running() const { return isRunning; }

    // Milliseconds of music heard at `nowNs`; call with the output locked and non-decreasing
    // times. Says once on standard error when it leaves the device for real time.
    double positionMs(int64_t nowNs, AudioOutput& output, const SegmentMap& map);
    // Whether the clock has left the device and runs on real time.
    bool onRealTime() const { return !followsDevice; }

private:
    void runOnRealTime(const char* why);
    void advanceOnRealTime(int64_t nowNs);
    double followDevice(int64_t nowNs, AudioOutput& output, const SegmentMap& map);

    const double msPerFrame;
    bool isRunning = false;
    bool followsDevice = false;
    bool paused = false;
    bool saidRealTime = false;
    uint32_t generation = 0;
    double shownMs = 0;
    int64_t lastReadNs = 0;
    int64_t waitingSinceNs = 0; // when the current generation started to wait for its sound
    bool heardGeneration = false;
    bool bridging = false; // after a rejoin, on real time until the generation is heard
};

} // namespace sound
