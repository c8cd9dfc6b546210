// The music clock against simulated devices: it follows what the device plays, moves every
// read by about the time that passed, and seeks exactly.
#include "sound/music_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using sound::MusicClock;

namespace {

constexpr int kRate = 44100;
constexpr int kBuffer = 1024;
constexpr int64_t kMillisecond = 1000000;

// A device that asks for a buffer every `period` (jittered), and whose heard position runs at
// the period's rate: each buffer plays out until the next request.
class SimulatedDevice {
public:
    SimulatedDevice(MusicClock& clock, double speed, int64_t firstRequestNs)
        : clock(clock), periodNs(kBuffer / (kRate * speed) * 1e9), nextNs(firstRequestNs) {}

    // Runs the device's requests up to `nowNs`.
    void runUntil(int64_t nowNs) {
        while (nextNs <= nowNs) {
            clock.deviceTook(nextNs, kBuffer);
            lastNs = nextNs;
            ++requests;
            // Deterministic jitter of up to +-2 ms, and every 50th request 30 ms late.
            int64_t jitter = ((requests * 7919) % 9 - 4) * kMillisecond / 2;
            nextNs = firstNs + static_cast<int64_t>(requests * periodNs) + jitter +
                     (requests % 50 == 0 ? 30 * kMillisecond : 0);
        }
    }
    // Milliseconds of audio heard at `nowNs`, as the device plays it.
    double heardMs(int64_t nowNs) const {
        if (requests == 0) {
            return 0;
        }
        double intoBuffer = std::min(1.0, (nowNs - lastNs) / periodNs);
        return ((requests - 1) + intoBuffer) * kBuffer * 1000.0 / kRate;
    }

private:
    MusicClock& clock;
    double periodNs;
    int64_t nextNs;
    int64_t firstNs = nextNs;
    int64_t lastNs = 0;
    int64_t requests = 0;
};

} // namespace

TEST(MusicClock, FollowsAnOffRateLateStartingDeviceWithoutJumpsOrStalls) {
    for (double speed : {0.995, 1.0, 1.006}) {
        SCOPED_TRACE(speed);
        MusicClock clock(kRate, kBuffer);
        clock.start(0, 0);
        SimulatedDevice device(clock, speed, 17 * kMillisecond);
        double previous = clock.positionMs(0);
        double lastSecondDifference = 0;
        for (int64_t ms = 1; ms <= 10000; ++ms) {
            int64_t now = ms * kMillisecond;
            device.runUntil(now);
            double position = clock.positionMs(now);
            double step = position - previous;
            ASSERT_GE(step, 1 - MusicClock::kMaxSlew - 1e-9) << "at " << ms << " ms";
            ASSERT_LE(step, 1 + MusicClock::kMaxSlew + 1e-9) << "at " << ms << " ms";
            previous = position;
            if (ms > 9000) {
                lastSecondDifference += (position - device.heardMs(now)) / 1000;
            }
        }
        // The late start and late requests are only noise; over the last second the clock keeps
        // within a couple of milliseconds of what is being heard.
        EXPECT_NEAR(lastSecondDifference, 0, 2.5);
    }
}

TEST(MusicClock, ReadsFarApartStillStayWithTheDevice) {
    MusicClock clock(kRate, kBuffer);
    clock.start(0, 0);
    SimulatedDevice device(clock, 1.004, 0);
    for (int64_t now = 250 * kMillisecond; now <= 20000 * kMillisecond; now += 250 * kMillisecond) {
        device.runUntil(now);
        clock.positionMs(now);
    }
    int64_t end = 20000 * kMillisecond;
    EXPECT_NEAR(clock.positionMs(end), device.heardMs(end), 3);
}

TEST(MusicClock, SeekSetsThePositionNowAndTheDeviceCatchesUpWithIt) {
    MusicClock clock(kRate, kBuffer);
    clock.start(0, 0);
    SimulatedDevice device(clock, 1.0, 0);
    int64_t now = 0;
    for (; now < 500 * kMillisecond; now += kMillisecond) {
        device.runUntil(now);
        clock.positionMs(now);
    }
    double offset = clock.seek(now, 60000);
    EXPECT_EQ(clock.positionMs(now), 60000);
    // Once the frames handed after the seek are the ones heard, the stream position the
    // device plays (device frames plus the offset) is the clock's position.
    for (now += kMillisecond; now < 1500 * kMillisecond; now += kMillisecond) {
        device.runUntil(now);
        clock.positionMs(now);
    }
    double streamHeardMs = device.heardMs(now) + offset * 1000.0 / kRate;
    EXPECT_NEAR(clock.positionMs(now), streamHeardMs, 2);
    EXPECT_NEAR(clock.positionMs(now), 61000, 3);

    EXPECT_EQ(clock.stop(now), clock.positionMs(now + 500 * kMillisecond));
}
