// The music clock: a lookup of the frame heard now in the map of what was handed to the
// output, clamped so that the picture never steps back or jumps ahead; real time where there is
// nothing to follow.
#include "sound/music_clock.h"

#include <algorithm>
#include <cstdio>

namespace sound {

void SegmentMap::add(const Segment& segment) {
    ring[next] = segment;
    next = (next + 1) % kCapacity;
    count = std::min(count + 1, kCapacity);
}

bool SegmentMap::musicAt(int64_t heard, uint32_t generation, double& musicFrame) const {
    for (int back = 1; back <= count; ++back) {
        const Segment& segment = ring[(next - back + kCapacity) % kCapacity];
        // Strictly before: a run whose first frame is only now being heard has not been heard.
        if (segment.deviceFrame < heard) {
            if (segment.generation != generation) {
                return false;
            }
            musicFrame = double(segment.musicFrame) +
                         (segment.advancing ? double(heard - segment.deviceFrame) : 0.0);
            return true;
        }
    }
    return false;
}

uint32_t MusicClock::start(int64_t nowNs, double positionMs, bool followsDeviceNow) {
    isRunning = true;
    followsDevice = followsDeviceNow;
    paused = false;
    return seek(nowNs, positionMs);
}

uint32_t MusicClock::seek(int64_t nowNs, double positionMs) {
    shownMs = positionMs;
    lastReadNs = nowNs;
    waitingSinceNs = nowNs;
    heardGeneration = false;
    bridging = false;
    return ++generation;
}

MusicClock::Rejoined MusicClock::rejoin(int64_t nowNs, double untilHeardMs) {
    advanceOnRealTime(nowNs);
    followsDevice = true;
    bridging = true;
    heardGeneration = false;
    waitingSinceNs = nowNs;
    saidRealTime = false; // a later loss is news again
    return {shownMs + (paused ? 0 : untilHeardMs), ++generation};
}

void MusicClock::setPaused(int64_t nowNs, bool pausedNow) {
    if (isRunning && (!followsDevice || bridging)) {
        advanceOnRealTime(nowNs);
    }
    // Following a device, the pause is heard: the output's runs of silence stop the clock.
    paused = pausedNow;
}

void MusicClock::advanceOnRealTime(int64_t nowNs) {
    if (nowNs > lastReadNs) {
        shownMs += paused ? 0 : (nowNs - lastReadNs) / 1e6;
        lastReadNs = nowNs;
    }
}

double MusicClock::stop(int64_t nowNs, AudioOutput& output, const SegmentMap& map) {
    double position = positionMs(nowNs, output, map);
    isRunning = false;
    return position;
}

double MusicClock::positionMs(int64_t nowNs, AudioOutput& output, const SegmentMap& map) {
    if (!isRunning) {
        return shownMs;
    }
    if (followsDevice) {
        return followDevice(nowNs, output, map);
    }
    advanceOnRealTime(nowNs);
    return shownMs;
}

double MusicClock::followDevice(int64_t nowNs, AudioOutput& output, const SegmentMap& map) {
    int64_t heard = 0;
    if (output.heardFrame(heard) != Hearing::kFrame) {
        runOnRealTime("lost the sound server");
        return positionMs(nowNs, output, map);
    }
    double elapsedMs = std::max<int64_t>(0, nowNs - lastReadNs) / 1e6;
    double musicFrame = 0;
    if (map.musicAt(heard, generation, musicFrame)) {
        heardGeneration = true;
        bridging = false;
        shownMs =
            std::clamp(musicFrame * msPerFrame, shownMs, shownMs + elapsedMs + kCatchUpPerReadMs);
    } else if (bridging) {
        advanceOnRealTime(nowNs);
    } else if (!heardGeneration && (nowNs - waitingSinceNs) / 1e6 > kAudibleWithinMs) {
        runOnRealTime("nothing audible 2 s after the music started");
    }
    lastReadNs = std::max(lastReadNs, nowNs);
    return shownMs;
}

void MusicClock::runOnRealTime(const char* why) {
    followsDevice = false;
    bridging = false;
    if (!saidRealTime) {
        std::fprintf(stderr, "sound: %s; the clock runs on real time\n", why);
        saidRealTime = true;
    }
}

} // namespace sound
