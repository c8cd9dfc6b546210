// The music clock: the stream position being heard now, smooth and never decreasing.
// The audio callback reports what it hands the device; the main thread reads the position.
#pragma once

#include <atomic>
#include <cstdint>

namespace sound {

// Between the two threads only the device report (a sequence lock) and nothing else is shared:
// `deviceTook` runs on the audio thread, every other member on the thread that reads the time.
//
// The position is modelled in device frames. The device report gives, at the time of each
// callback, the frames handed so far minus what the device still holds; between callbacks
// the device plays on at the nominal rate, but never beyond what it was handed. The smoothed
// position follows the monotonic clock and is steered toward that device position by at most
// kMaxSlew of its speed, so it neither jumps nor stands still.
class MusicClock {
public:
    // Largest correction toward the device position, as a fraction of the clock's speed.
    static constexpr double kMaxSlew = 0.05;
    // Time constant, in seconds, over which a difference from the device position is removed.
    static constexpr double kSettleSeconds = 0.3;

    // A clock that does not follow the device runs on the monotonic clock alone: right for the
    // silent output, whose driver only approximates real time and which nobody hears anyway.
    MusicClock(int framesPerSecond, int64_t deviceLatencyFrames, bool followsDevice = true);

    // Starts the clock at `positionMs` at monotonic time `nowNs`, with a device that has been
    // handed nothing yet. The audio callback must not run for this stream meanwhile.
    void start(int64_t nowNs, double positionMs);
    // Freezes the position at its value at `nowNs`, and returns it.
    double stop(int64_t nowNs);
    bool running() const { return isRunning; }

    // Milliseconds of the stream heard at `nowNs`; advances the smoothing, so call it with
    // non-decreasing times.
    double positionMs(int64_t nowNs);
    // Makes `positionMs` the position at `nowNs`. Returns the offset that maps a device frame
    // to a stream frame from now on: stream frame = device frame + offset.
    double seek(int64_t nowNs, double positionMs);

    // Audio thread: the device is being handed `frames` more frames at `nowNs`.
    void deviceTook(int64_t nowNs, int frames);
    // Audio thread: frames handed since start.
    int64_t framesHanded() const { return handed; }

private:
    struct DeviceReport {
        int64_t timeNs;
        int64_t heardFrames; // may be negative while the first frames are still queued
        int64_t handedFrames;
    };
    bool readReport(DeviceReport& report) const;
    double devicePosition(const DeviceReport& report, int64_t nowNs) const;
    void advance(int64_t nowNs);

    const double framesPerNs;
    const double msPerFrame;
    const int64_t latencyFrames;
    const bool followsDevice;

    // Audio thread.
    int64_t handed = 0;

    // The device report, written by the audio thread under a sequence lock: the sequence is odd
    // while a write is in progress and 0 before the first report.
    std::atomic<uint32_t> reportSequence{0};
    std::atomic<int64_t> reportTimeNs{0};
    std::atomic<int64_t> reportHeard{0};
    std::atomic<int64_t> reportHanded{0};

    // Reading thread.
    bool isRunning = false;
    double smoothedFrames = 0; // device frames heard, smoothed
    int64_t lastReadNs = 0;
    double baseMs = 0;     // the position at the last start or seek...
    double baseFrames = 0; // ...and the smoothed device frames at that moment
};

// Monotonic time in nanoseconds, the clock's time base.
int64_t monotonicNanoseconds();

} // namespace sound
