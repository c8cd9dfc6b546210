// The frame a sound server plays now, worked out from its timing reports (a read index and the
// sink's latency, as libpulse gives them) and carried on by the monotonic clock between reports.
// Plain arithmetic, no libpulse: sound/pulse_output.cpp feeds it.
#pragma once

#include <array>
#include <cstdint>

namespace sound {

class ServerTiming {
public:
    explicit ServerTiming(int framesPerSecond) : framesPerSecond(framesPerSecond) {}

    // Forgets every report: a new stream, whose read index starts again at 0.
    void restart();
    // Whether the server has one period queued that its read index counts and its sink latency
    // leaves out (PipeWire's pulse server).
    void setQueuesOnePeriod(bool queues) { queuesOnePeriod = queues; }

    // One report, measured at `measuredNs`: the frames the server has read from the stream and
    // how many of them its sink still holds.
    void report(int64_t measuredNs, int64_t readFrame, int64_t heldFrames, bool playing);

    // The stream frame heard at `nowNs` (0 before anything is).
    int64_t heardAt(int64_t nowNs) const;
    // Whether the stream is heard, and reports enough to place it have come.
    bool heard() const;
    // What the frame heard leaves out: the server's period as its read index shows it, on a
    // server that queues one (0 until seen).
    int64_t queuedFrames() const { return queuesOnePeriod ? period : 0; }

private:
    static constexpr int kReports = 32;       // about 640 ms of them
    static constexpr int kSettledReports = 8; // about 160 ms
    void notePeriod(int64_t step);
    bool measuresEveryStep(int64_t candidate) const;
    int64_t sameStep() const { return framesPerSecond / 4000; }
    void placeFrameZero();

    const int framesPerSecond;
    bool queuesOnePeriod = false;
    bool playing = false;
    int64_t lastRead = -1;
    int64_t lastHeard = 0; // at the last report, before the queued period
    // The monotonic time at which frame 0 was (or would have been) heard, one per report while
    // playing, newest first; and the one taken for true.
    std::array<int64_t, kReports> frameZeroNs{};
    int frameZeroCount = 0;
    int64_t zeroNs = 0;
    // How far the read index moved between consecutive reports, newest first.
    std::array<int64_t, kReports> steps{};
    int stepCount = 0;
    int64_t period = 0;
};

} // namespace sound
