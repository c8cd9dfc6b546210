// The music clock: device reports from the audio thread, smoothing on the reading thread.
#include "sound/music_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace sound {

int64_t monotonicNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MusicClock::MusicClock(int framesPerSecond, int64_t deviceLatencyFrames, bool followsDevice)
    : framesPerNs(framesPerSecond / 1e9), msPerFrame(1000.0 / framesPerSecond),
      latencyFrames(deviceLatencyFrames), followsDevice(followsDevice) {}

void MusicClock::start(int64_t nowNs, double positionMs) {
    handed = 0;
    reportSequence.store(0, std::memory_order_release);
    isRunning = true;
    smoothedFrames = 0;
    lastReadNs = nowNs;
    baseMs = positionMs;
    baseFrames = 0;
}

double MusicClock::stop(int64_t nowNs) {
    baseMs = positionMs(nowNs);
    isRunning = false;
    return baseMs;
}

double MusicClock::positionMs(int64_t nowNs) {
    if (!isRunning) {
        return baseMs;
    }
    advance(nowNs);
    return baseMs + (smoothedFrames - baseFrames) * msPerFrame;
}

double MusicClock::seek(int64_t nowNs, double positionMs) {
    if (isRunning) {
        advance(nowNs);
    }
    baseMs = positionMs;
    baseFrames = smoothedFrames;
    return positionMs / msPerFrame - smoothedFrames;
}

void MusicClock::deviceTook(int64_t nowNs, int frames) {
    // The device starts playing the new frames once it has played what it still holds.
    int64_t heard = handed + frames - latencyFrames;
    handed += frames;

    uint32_t sequence = reportSequence.load(std::memory_order_relaxed);
    uint32_t writing = sequence | 1; // from 0 (no report yet) or an even value to odd
    reportSequence.store(writing, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    reportTimeNs.store(nowNs, std::memory_order_relaxed);
    reportHeard.store(heard, std::memory_order_relaxed);
    reportHanded.store(handed, std::memory_order_relaxed);
    reportSequence.store(writing + 1, std::memory_order_release);
}

bool MusicClock::readReport(DeviceReport& report) const {
    for (;;) {
        uint32_t before = reportSequence.load(std::memory_order_acquire);
        if (before == 0) {
            return false;
        }
        if (before & 1) {
            continue; // the audio thread is mid-write; it never waits on us
        }
        report.timeNs = reportTimeNs.load(std::memory_order_relaxed);
        report.heardFrames = reportHeard.load(std::memory_order_relaxed);
        report.handedFrames = reportHanded.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (reportSequence.load(std::memory_order_relaxed) == before) {
            return true;
        }
    }
}

double MusicClock::devicePosition(const DeviceReport& report, int64_t nowNs) const {
    double played = std::max<int64_t>(0, nowNs - report.timeNs) * framesPerNs;
    return std::min<double>(report.heardFrames + played, report.handedFrames);
}

void MusicClock::advance(int64_t nowNs) {
    int64_t elapsedNs = nowNs - lastReadNs;
    if (elapsedNs <= 0) {
        return;
    }
    lastReadNs = nowNs;
    double step = elapsedNs * framesPerNs;
    double predicted = smoothedFrames + step;

    DeviceReport report;
    if (followsDevice && readReport(report)) {
        double error = devicePosition(report, nowNs) - predicted;
        double gain = 1.0 - std::exp(-elapsedNs / (kSettleSeconds * 1e9));
        double limit = kMaxSlew * step;
        predicted += std::clamp(error * gain, -limit, limit);
    }
    smoothedFrames = predicted;
}

} // namespace sound
