// The FSOUND_* calls as the demo makes them, playing on this machine's output (the silent one
// where there is no sound card): errors by code, and a clock that starts at 0, keeps real
// time, never goes back or stands still, seeks, and runs on past the music's end.
#include "sound/sound.h"
#include "sound/sound_diagnostics.h"
#include "tests/sound_test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <string>
#include <thread>

namespace {

using WallClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using sound::kStreamMode;

double millisecondsSince(WallClock::time_point start) {
    return std::chrono::duration<double, std::milli>(WallClock::now() - start).count();
}

class SoundApi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags));
    }
    void TearDown() override { FSOUND_Close(); }

    // Opens a generated tone of `seconds`, and starts it as the demo does.
    FSOUND_STREAM* playTone(double seconds) {
        mp3tone::ToneOptions options;
        options.seconds = seconds;
        std::string path = files.tone("tone.mp3", options);
        FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kStreamMode, 0, 0);
        if (stream != nullptr) {
            EXPECT_EQ(FSOUND_Stream_Play(-1, stream), 0);
            EXPECT_TRUE(FSOUND_Stream_SetTime(stream, 0));
        }
        return stream;
    }

    SoundTestFiles files;
};

} // namespace

TEST(SoundLifecycle, CallsBeforeInitFailWithNotInitialised) {
    EXPECT_GE(FSOUND_GetVersion(), 3.7f);
    EXPECT_EQ(FSOUND_Stream_Open("music.mp3", kStreamMode, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), sound::kNotInitialised);
    EXPECT_EQ(FSOUND_Stream_Play(-1, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));
    EXPECT_EQ(FSOUND_GetError(), sound::kNotInitialised);

    ASSERT_TRUE(FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags));
    EXPECT_FALSE(FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags));
    EXPECT_EQ(FSOUND_GetError(), sound::kAlreadyInitialised);
    FSOUND_Close();
    EXPECT_EQ(FSOUND_Stream_Open("music.mp3", kStreamMode, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), sound::kNotInitialised);
}

TEST_F(SoundApi, FallsBackToTheSilentOutputWithoutASoundCard) {
    if (!sound::outputIsSilent()) {
        GTEST_SKIP() << "this machine has an output device: " << sound::outputDriverName();
    }
    EXPECT_STREQ(sound::outputDriverName(), "silent");
    // A second start-up reports the fallback in one line.
    FSOUND_Close();
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags));
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("plays silently"), std::string::npos) << report;
    EXPECT_EQ(report.find('\n'), report.size() - 1) << report;
}

TEST_F(SoundApi, OpenFailuresCarryTheirCodes) {
    std::string tone = files.tone("tone.mp3", mp3tone::ToneOptions());
    mp3tone::ToneOptions tagged;
    tagged.id3Tag = true;
    std::string taggedTone = files.tone("tagged.mp3", tagged);
    struct Case {
        std::string path;
        int offset;
        int error;
    };
    const Case cases[] = {
        {files.path("music.mp3"), 0, sound::kFileNotFound},
        {files.path("no-such-directory/music.mp3"), 0, sound::kFileNotFound},
        {files.raw("readme.mp3", "Music goes here.\n"), 0, sound::kUnknownFormat},
        {files.raw("empty.mp3", ""), 0, sound::kUnknownFormat},
        {files.truncated("cut.mp3", tone, 64), 0, sound::kFileLoadFailed},
        {files.truncated("cut-in-tag.mp3", taggedTone, 20), 0, sound::kFileLoadFailed},
        {files.path(""), 0, sound::kFileLoadFailed}, // a directory
        {tone, 1000, sound::kInvalidParameter},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FSOUND_Stream_Open(c.path.c_str(), kStreamMode, c.offset, 0), nullptr);
        EXPECT_EQ(FSOUND_GetError(), c.error) << c.path;
    }
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, kStreamMode, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), sound::kInvalidParameter);

    FSOUND_STREAM* stream = FSOUND_Stream_Open(tone.c_str(), kStreamMode, 0, 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FSOUND_Stream_Close(stream)) << "a stream closes once";
    EXPECT_EQ(FSOUND_GetError(), sound::kInvalidParameter);
    EXPECT_EQ(FSOUND_Stream_Play(-1, nullptr), -1);
    EXPECT_FALSE(FSOUND_Stream_SetTime(nullptr, 0));
}

TEST_F(SoundApi, ClockStartsAtZeroAndKeepsRealTime) {
    FSOUND_STREAM* stream = playTone(5);
    ASSERT_NE(stream, nullptr);
    EXPECT_LE(FSOUND_Stream_GetTime(stream), 1);

    // Drift is measured once the clock has settled on the device, over 3 s; a loaded machine
    // may disturb one measurement, so the best of three counts.
    std::this_thread::sleep_for(milliseconds(300));
    double bestDrift = 1;
    for (int attempt = 0; attempt < 3 && std::abs(bestDrift) >= 0.01; ++attempt) {
        WallClock::time_point start = WallClock::now();
        int from = FSOUND_Stream_GetTime(stream);
        std::this_thread::sleep_for(milliseconds(3000));
        int to = FSOUND_Stream_GetTime(stream);
        double wallMs = millisecondsSince(start);
        double drift = (to - from - wallMs) / wallMs;
        if (std::abs(drift) < std::abs(bestDrift)) {
            bestDrift = drift;
        }
    }
    EXPECT_LT(std::abs(bestDrift), 0.01);
    EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

TEST_F(SoundApi, ClockNeverGoesBackNorStandsStillOnceHeard) {
    FSOUND_STREAM* stream = playTone(3);
    ASSERT_NE(stream, nullptr);
    // On a sound server the clock holds 0 until the music is heard; from then on, a stall is
    // proven only by two equal reads whose calls lie more than 2 ms apart: the time is taken
    // before and after each call, so a preempted test thread cannot fake one.
    WallClock::time_point start = WallClock::now();
    int previous = FSOUND_Stream_GetTime(stream);
    while (previous == 0 && millisecondsSince(start) < 2500) {
        previous = FSOUND_Stream_GetTime(stream);
    }
    WallClock::time_point previousChange = WallClock::now();
    start = previousChange;
    int reads = 0;
    double longestStallMs = 0;
    while (millisecondsSince(start) < 2000) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        WallClock::time_point before = WallClock::now();
        int position = FSOUND_Stream_GetTime(stream);
        WallClock::time_point after = WallClock::now();
        ++reads;
        ASSERT_GE(position, previous) << "read " << reads;
        if (position == previous) {
            longestStallMs = std::max(
                longestStallMs,
                std::chrono::duration<double, std::milli>(before - previousChange).count());
        } else {
            previousChange = after;
        }
        previous = position;
    }
    EXPECT_GT(reads, 2000);
    // A server's timing can step back by up to one of its periods (PipeWire's: 21 ms); the
    // clock then waits for the sound rather than go back.
    EXPECT_LE(longestStallMs, sound::outputIsSilent() ? 2.0 : 22.0);
}

TEST_F(SoundApi, SetTimeMovesThePositionAndItRunsOnPastTheEnd) {
    FSOUND_STREAM* stream = playTone(1);
    ASSERT_NE(stream, nullptr);
    std::this_thread::sleep_for(milliseconds(200));
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
    EXPECT_LE(FSOUND_Stream_GetTime(stream), 2);

    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 800));
    int atSeek = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(atSeek, 800);
    EXPECT_LE(atSeek, 802);
    std::this_thread::sleep_for(milliseconds(600));
    int pastEnd = FSOUND_Stream_GetTime(stream);
    EXPECT_GT(pastEnd, 1300) << "the tone ended at 1000 ms";
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_GT(FSOUND_Stream_GetTime(stream), pastEnd + 50);

    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 60000));
    // On a sound server, the clock holds a new position until it is heard: a buffer's worth.
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_GT(FSOUND_Stream_GetTime(stream), 60050);
    // 24.8 days on, the int position stands at its largest instead of wrapping.
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, INT_MAX - 100));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), INT_MAX);
    EXPECT_GT(sound::streamTimeMs(stream), int64_t(INT_MAX) + 50);
    EXPECT_FALSE(FSOUND_Stream_SetTime(stream, -5));
    EXPECT_EQ(FSOUND_GetError(), sound::kInvalidParameter);
}

TEST_F(SoundApi, PauseStopsTheClockAndResumeOrPlayingAgainRestartsIt) {
    EXPECT_FALSE(FSOUND_SetPaused(0, 1)) << "nothing plays yet";
    EXPECT_EQ(FSOUND_GetError(), sound::kInvalidParameter);
    FSOUND_STREAM* stream = playTone(3);
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(FSOUND_SetPaused(5, 1)) << "not the stream's channel";
    EXPECT_EQ(FSOUND_GetError(), sound::kInvalidParameter);

    std::this_thread::sleep_for(milliseconds(200));
    ASSERT_TRUE(FSOUND_SetPaused(0, 1));
    // Following a sound server, the clock runs on while the buffered music is heard.
    std::this_thread::sleep_for(milliseconds(200));
    int paused = FSOUND_Stream_GetTime(stream);
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(FSOUND_Stream_GetTime(stream), paused);
    ASSERT_TRUE(FSOUND_SetPaused(0, 0));
    std::this_thread::sleep_for(milliseconds(400));
    EXPECT_GT(FSOUND_Stream_GetTime(stream), paused + 200);

    // Paused, stopped by another stream's play, and played again from the start, as a rebuild
    // while paused does: it runs.
    ASSERT_TRUE(FSOUND_SetPaused(0, 1));
    FSOUND_STREAM* other = FSOUND_Stream_Open(files.path("tone.mp3").c_str(), kStreamMode, 0, 0);
    ASSERT_EQ(FSOUND_Stream_Play(-1, other), 0);
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
    ASSERT_EQ(FSOUND_Stream_Play(-1, stream), 0);
    std::this_thread::sleep_for(milliseconds(400));
    EXPECT_GT(FSOUND_Stream_GetTime(stream), 200);
    EXPECT_TRUE(FSOUND_Stream_Close(other));
    EXPECT_TRUE(FSOUND_Stream_Close(stream));

    FSOUND_Close();
    EXPECT_FALSE(FSOUND_SetPaused(0, 0));
    EXPECT_EQ(FSOUND_GetError(), sound::kNotInitialised);
    ASSERT_TRUE(
        FSOUND_Init(sound::kMixRate, sound::kSoftwareChannels, sound::kInitFlags)); // for TearDown
}
