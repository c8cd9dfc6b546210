// The music clock against a scripted output: it holds a new position until its sound is heard,
// then follows the frame heard, never steps back, never runs ahead of the wall clock by more
// than a hair, stands still on a pause, falls back to real time when the server goes and
// follows it again when it is back. The frame heard is checked against simulated servers'
// timing reports, the renderer's fades on real decoded music.
#include "sound/music_clock.h"
#include "sound/playback.h"
#include "sound/server_timing.h"
#include "sound/sound.h"
#include "tests/sound_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using sound::MusicClock;
using sound::SegmentMap;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kMillisecond = 1000000;

// An output whose heard frame the test sets.
class ScriptedOutput final : public sound::AudioOutput {
public:
    void lock() override {}
    void unlock() override {}
    sound::Hearing heardFrame(int64_t& frame) override {
        frame = heard;
        return hearing;
    }
    bool rejoin(int64_t&) override { return false; }
    const char* name() const override { return "scripted"; }
    bool silent() const override { return false; }

    int64_t heard = 0;
    sound::Hearing hearing = sound::Hearing::kFrame;
};

int64_t frames(double ms) {
    return std::llround(ms * kRate / 1000);
}

class ClockTest : public ::testing::Test {
protected:
    // Starts at `ms` with the output's first run of it at device frame `at`.
    void start(double ms, int64_t at) {
        uint32_t generation = clock.start(0, ms, true);
        map.add({at, frames(ms), true, generation});
    }
    double read(double nowMs) {
        return clock.positionMs(int64_t(nowMs * kMillisecond), output, map);
    }

    ScriptedOutput output;
    SegmentMap map;
    MusicClock clock{kRate};
};

} // namespace

TEST_F(ClockTest, HoldsTheStartUntilItsSoundIsHeardThenFollowsIt) {
    start(0, frames(100)); // 100 ms of silence went out before the music
    output.heard = frames(60);
    EXPECT_EQ(read(60), 0);
    output.heard = frames(100);
    EXPECT_EQ(read(100), 0) << "the music's first frame is only now being heard";
    output.heard = frames(130);
    EXPECT_NEAR(read(130), 30, 0.01);
    output.heard = frames(1130);
    EXPECT_NEAR(read(1130), 1030, 0.01);
}

TEST_F(ClockTest, NeverStepsBackAndNeverRunsAheadOfTheWallClock) {
    start(0, 0);
    double previous = 0;
    double largestStepBeyondWall = 0;
    for (int ms = 1; ms <= 3000; ++ms) {
        // A device heard in 20 ms periods, with reports up to 5 ms off either way.
        double jitter = ((ms * 7919) % 11 - 5);
        output.heard = frames(std::max(0.0, (ms / 20) * 20.0 + jitter));
        double position = read(ms);
        ASSERT_GE(position, previous) << "at " << ms << " ms";
        largestStepBeyondWall = std::max(largestStepBeyondWall, position - previous - 1);
        previous = position;
    }
    EXPECT_LE(largestStepBeyondWall, MusicClock::kCatchUpPerReadMs + 1e-9);
    EXPECT_NEAR(previous, 2990, 10) << "it stays with the device (10 ms behind on average)";
}

TEST_F(ClockTest, SeekShowsTheNewPositionAndHoldsItUntilHeard) {
    start(0, 0);
    output.heard = frames(1000);
    EXPECT_NEAR(read(1000), 1000, 0.01);
    // The seek's first frame goes out after 40 ms of buffered music.
    uint32_t generation = clock.seek(int64_t(1000 * kMillisecond), 200);
    map.add({frames(1040), frames(200), true, generation});
    EXPECT_EQ(read(1000), 200);
    output.heard = frames(1030);
    EXPECT_EQ(read(1030), 200) << "no run-ahead while the old music is still heard";
    output.heard = frames(1050);
    EXPECT_NEAR(read(1050), 210, 0.01);
}

TEST_F(ClockTest, PauseStandsOnTheLastMusicHeardAndResumesInStep) {
    start(0, 0);
    uint32_t generation = clock.seek(0, 0);
    map.add({0, 0, true, generation});
    // Paused at music 500 ms (output frame 500 ms); resumed at output frame 1500 ms.
    map.add({frames(500), frames(500), false, generation});
    map.add({frames(1500), frames(500), true, generation});
    output.heard = frames(400);
    EXPECT_NEAR(read(400), 400, 0.01);
    output.heard = frames(900);
    EXPECT_NEAR(read(900), 500, 0.01);
    output.heard = frames(1500);
    EXPECT_NEAR(read(1500), 500, 0.01);
    output.heard = frames(1520);
    EXPECT_NEAR(read(1520), 520, 0.01);
}

TEST_F(ClockTest, GoesOnInRealTimeOnceTheServerIsLostAndSaysSoOnce) {
    start(0, 0);
    output.heard = frames(1000);
    EXPECT_NEAR(read(1000), 1000, 0.01);
    output.hearing = sound::Hearing::kLost;
    ::testing::internal::CaptureStderr();
    EXPECT_NEAR(read(1010), 1010, 0.01);
    EXPECT_NEAR(read(3010), 3010, 0.01);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("lost the sound server"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    EXPECT_TRUE(clock.onRealTime());
    clock.setPaused(int64_t(3010 * kMillisecond), true);
    EXPECT_NEAR(read(4000), 3010, 0.01) << "a pause still stops it";
}

TEST_F(ClockTest, GoesOnInRealTimeWhenNothingIsHeardWithinTwoSeconds) {
    start(0, frames(100));
    output.heard = 0; // the server never plays
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(read(MusicClock::kAudibleWithinMs), 0);
    EXPECT_EQ(read(MusicClock::kAudibleWithinMs + 1), 0);
    EXPECT_NEAR(read(MusicClock::kAudibleWithinMs + 501), 500, 0.01);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("nothing audible"), std::string::npos) << said;
}

TEST_F(ClockTest, FollowsAServerBackAfterALossWithoutHoldingOrSteppingBack) {
    start(0, 0);
    output.heard = frames(1000);
    EXPECT_NEAR(read(1000), 1000, 0.01);
    output.hearing = sound::Hearing::kLost;
    ::testing::internal::CaptureStderr();
    EXPECT_NEAR(read(2000), 2000, 0.01);
    // Back at 2000 ms on a new stream: its next buffer (output frame 9100) is heard 100 ms on,
    // with the music put 3 ms ahead of where the clock asks.
    output.hearing = sound::Hearing::kFrame;
    output.heard = frames(9000);
    MusicClock::Rejoined rejoined = clock.rejoin(int64_t(2000 * kMillisecond), 100);
    EXPECT_NEAR(rejoined.musicMs, 2100, 0.01);
    map.add({frames(9100), frames(rejoined.musicMs + 3), true, rejoined.generation});
    EXPECT_FALSE(clock.onRealTime());
    output.heard = frames(9050);
    EXPECT_NEAR(read(2050), 2050, 0.01) << "real time until the music is heard, no hold";
    output.heard = frames(9110);
    EXPECT_NEAR(read(2110), 2110 + MusicClock::kCatchUpPerReadMs, 0.01);
    for (double ms = 2111; ms <= 2120; ++ms) {
        output.heard = frames(ms + 7000);
        read(ms);
    }
    EXPECT_NEAR(read(2120), 2123, 0.01) << "caught up with the music heard";
    output.hearing = sound::Hearing::kLost;
    EXPECT_NEAR(read(2200), 2203, 0.01);
    clock.setPaused(int64_t(2200 * kMillisecond), true);
    EXPECT_NEAR(clock.rejoin(int64_t(2500 * kMillisecond), 100).musicMs, 2203, 0.01)
        << "paused, the music waits where the clock stands";
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "sound: lost the sound server; the clock runs on real time\n"
                    "sound: lost the sound server; the clock runs on real time\n")
        << "each loss said once";
}

namespace {

// A server playing from 0 ns on, frame t * rate - kSinkDelay heard at t, reporting at uneven
// intervals. In periods with one queued beyond its read index (as PipeWire's pulse server), or
// with a read index that its sink latency matches exactly (as PulseAudio).
struct SimulatedServer {
    static constexpr int64_t kSinkDelay = 32;
    int64_t period = 0; // 0: exact reports

    int64_t heardAt(int64_t ns) const { return ns * kRate / 1000000000 - kSinkDelay; }
    void report(sound::ServerTiming& timing, int64_t ns, int64_t lateNs, int64_t shortBy) const {
        int64_t played = heardAt(ns) + kSinkDelay;
        if (period == 0) {
            int64_t held = kSinkDelay + (ns / kMillisecond) % 40 * 44; // a sink holding 0-40 ms
            timing.report(ns + lateNs, played + held - kSinkDelay - shortBy, held, true);
        } else {
            timing.report(ns + lateNs, (played / period + 2) * period - shortBy, kSinkDelay, true);
        }
    }
};

// The largest gap, in frames, between the heard frame the timing gives and the true one, over
// reports 40 to 200; report 60 stamped 8 ms late, report 80 with a read index 100 frames short.
int64_t largestMiss(const SimulatedServer& server) {
    sound::ServerTiming timing(kRate);
    timing.setQueuesOnePeriod(server.period > 0);
    int64_t ns = 0, largest = 0;
    for (int i = 1; i <= 200; ++i) {
        ns += (5 + (i * 7919) % 31) * kMillisecond;
        server.report(timing, ns, i == 60 ? 8 * kMillisecond : 0, i == 80 ? 100 : 0);
        if (i >= 40) {
            EXPECT_TRUE(timing.heard());
            int64_t at = ns + 3 * kMillisecond;
            largest =
                std::max<int64_t>(largest, std::llabs(timing.heardAt(at) - server.heardAt(at)));
        }
    }
    return largest;
}

} // namespace

TEST(ServerTiming, PlacesTheFrameHeardWhetherTheServerQueuesAPeriodOrNot) {
    EXPECT_LE(largestMiss(SimulatedServer{0}), 1) << "exact reports";
    for (int64_t period : {235, 941}) { // 256 and 1024 frames at 48 kHz
        EXPECT_LE(largestMiss(SimulatedServer{period}), period / 3) << "period " << period;
    }
}

TEST(Playback, PausesAndResumesWithFiveMillisecondFades) {
    SoundTestFiles files;
    mp3tone::ToneOptions tone;
    tone.seconds = 2;
    std::string path = files.tone("tone.mp3", tone);
    sound::Mp3Decoder decoder;
    ASSERT_EQ(decoder.open(path.c_str(), kRate), sound::kOk);
    SegmentMap map;
    sound::Playback playback(kRate);
    playback.play(decoder, map, 0, 1);

    const int fade = kRate * sound::Playback::kFadeMs / 1000;
    std::vector<int16_t> out(2 * 4096);
    playback.render(out.data(), 4096, 0);
    playback.setPaused(true);
    playback.render(out.data(), 4096, 4096);
    // The fade: the tone's peaks shrink steadily to nothing, then silence.
    int lastPeak = 32767;
    for (int from = 0; from + 50 <= fade; from += 50) {
        int peak = 0;
        for (int i = from; i < from + 50; ++i) {
            peak = std::max(peak, std::abs(int(out[2 * i])));
        }
        EXPECT_LE(peak, lastPeak + 200) << "at frame " << from;
        lastPeak = peak;
    }
    for (int i = fade; i < 4096; ++i) {
        ASSERT_EQ(out[2 * i], 0) << "frame " << i;
    }
    double music = 0;
    EXPECT_TRUE(map.musicAt(4096 + 2000, 1, music));
    EXPECT_EQ(music, 4096 + fade) << "the clock stands where the fade ended";

    playback.setPaused(false);
    playback.render(out.data(), 4096, 8192);
    EXPECT_LT(std::abs(int(out[0])), 300) << "the music comes back from silence";
    EXPECT_TRUE(map.musicAt(8192 + 100, 1, music));
    EXPECT_EQ(music, 4096 + fade + 100) << "and moves on from where it stood";

    // Resumed on a server that came back: paused, it stands silent where it was put; playing,
    // it fades in from there.
    playback.setPaused(true);
    playback.resume(30000, 2);
    playback.render(out.data(), 4096, 20000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t sample) { return sample == 0; }));
    EXPECT_TRUE(map.musicAt(20000 + 2000, 2, music));
    EXPECT_EQ(music, 30000);
    playback.setPaused(false);
    playback.resume(40000, 3);
    playback.render(out.data(), 4096, 30000);
    EXPECT_LT(std::abs(int(out[0])), 300);
    EXPECT_TRUE(map.musicAt(30000 + 100, 3, music));
    EXPECT_EQ(music, 40100);
}
