// The soundtrack's cue sheet against the music the demo hears: every onset the sheet lists is
// found in the decoded music.mp3 where the sheet says, and its grid agrees with the drums.
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tools/generators/musicgen/encode.h"
#include "tools/generators/musicgen/instruments.h"
#include "tools/lib/cues/beat_grid.h"
#include "tools/lib/cues/cue_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 44100;

// The decoded music as the first difference of its mono mix: transients stand out of the
// pads, so an onset is where this signal's level jumps.
std::vector<float> decodedSlopes(const char* path) {
    sound::Mp3Decoder decoder;
    std::vector<float> slopes;
    if (decoder.open(path, kRate) != sound::kOk)
        return slopes;
    std::vector<int16_t> block(4096 * sound::kOutputChannels);
    float previous = 0;
    while (int frames = decoder.read(block.data(), 4096)) {
        for (int n = 0; n < frames; ++n) {
            float mono = (block[2 * n] + block[2 * n + 1]) / 65536.0f;
            slopes.push_back(mono - previous);
            previous = mono;
        }
    }
    return slopes;
}

// Seconds at which the slope's half-millisecond level, within 15 ms either side of `seconds`,
// first rises halfway from what was sounding before to its peak.
double onsetNear(const std::vector<float>& slopes, double seconds) {
    const long window = kRate * 15 / 1000, smooth = kRate / 2000;
    long centre = std::lround(seconds * kRate);
    std::vector<double> level;
    for (long n = centre - window; n < centre + window; ++n) {
        double sum = 0;
        for (long k = n - smooth; k < n; ++k)
            sum += k >= 0 && k < long(slopes.size()) ? double(slopes[k]) * slopes[k] : 0;
        level.push_back(sum);
    }
    double peak = *std::max_element(level.begin(), level.end());
    double before = *std::max_element(level.begin(), level.begin() + window / 2);
    size_t first = 0;
    while (level[first] < (before + peak) / 2)
        ++first;
    return double(centre - window + long(first) - smooth / 2) / kRate;
}

} // namespace

// The decoded music, mono, from an MP3 file; empty when it cannot be read.
std::vector<float> decodedMono(const std::string& path) {
    sound::Mp3Decoder decoder;
    std::vector<float> mono;
    if (decoder.open(path.c_str(), kRate) != sound::kOk)
        return mono;
    std::vector<int16_t> block(4096 * sound::kOutputChannels);
    while (int frames = decoder.read(block.data(), 4096))
        for (int n = 0; n < frames; ++n)
            mono.push_back((block[2 * n] + block[2 * n + 1]) / 65536.0f);
    return mono;
}

TEST(CueSheet, ClicksPlacedByTheSheetAreHeardWhereItSaysThroughMusicgensEncoder) {
    cues::CueSheet sheet;
    ASSERT_EQ(cues::readCueSheet(SOLVANE_DEMO_DIR "/music.cues", &sheet), "");
    // The build-up and the drop: fills, kicks, claps, the snare roll and the first hooks.
    const double from = 25, to = 62;
    musicgen::StereoMix clicks{std::vector<float>(size_t((to - from + 1) * kRate)), {}};
    std::vector<double> placed;
    for (const cues::Cue& cue : sheet.cues) {
        if (cue.seconds < from || cue.seconds >= to ||
            (!placed.empty() && cue.seconds - placed.back() < 0.05))
            continue;
        placed.push_back(cue.seconds);
        size_t at = musicgen::frameAt(cue.seconds - from);
        for (size_t n = 0; n < 40; ++n)
            clicks.left[at + n] = n % 2 ? -0.5f : 0.5f;
    }
    clicks.right = clicks.left;
    char path[] = "/tmp/solvane-clicks-XXXXXX.mp3";
    close(mkstemps(path, 4));
    ASSERT_EQ(musicgen::writeMp3(clicks, path), "");
    std::vector<float> heard = decodedMono(path);
    std::remove(path);
    ASSERT_GT(placed.size(), 80u);
    for (double seconds : placed) {
        long n = std::lround((seconds - from - 0.02) * kRate);
        while (n < long(heard.size()) && std::fabs(heard[n]) < 0.1f)
            ++n;
        EXPECT_NEAR(double(n) / kRate + from, seconds, 0.001) << "click at " << seconds;
    }
}

TEST(CueSheet, DrumHitsAreHeardOnTheSheetsOnsetsAndClapsFallOnBeatsTwoAndFour) {
    cues::CueSheet sheet;
    ASSERT_EQ(cues::readCueSheet(SOLVANE_DEMO_DIR "/music.cues", &sheet), "");
    std::vector<float> slopes = decodedSlopes(SOLVANE_DEMO_DIR "/music.mp3");
    ASSERT_NEAR(slopes.size() / double(kRate), sheet.length, 0.05);
    cues::BeatGrid grid(sheet.tempo);
    std::vector<double> errors;
    for (const cues::Cue& cue : sheet.cues) {
        if (cue.kind != cues::CueKind::kick && cue.kind != cues::CueKind::clap)
            continue; // sharp attacks only: a riser or a pad-backed lead note swells in
        SCOPED_TRACE(std::string(cues::cueKindName(cue.kind)) + " at " +
                     cues::clockTime(cue.seconds));
        errors.push_back(std::fabs(onsetNear(slopes, cue.seconds) - cue.seconds));
        cues::GridPoint point = grid.nearest(cue.seconds, 1);
        EXPECT_NEAR(point.seconds, cue.seconds, 1e-6) << "a drum hit off the sheet's beats";
        if (cue.kind == cues::CueKind::clap) {
            EXPECT_EQ(point.beat % 2, 0) << "the clap is on beats 2 and 4 of the sheet's bars";
        }
    }
    // In the full mix a crash or a riser can hide a hit's attack: judge the typical hit.
    ASSERT_GT(errors.size(), 200u);
    std::nth_element(errors.begin(), errors.begin() + errors.size() * 3 / 4, errors.end());
    EXPECT_LT(errors[errors.size() * 3 / 4], 0.001) << "three hits in four within 1 ms";
}
