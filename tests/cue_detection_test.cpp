// solvane-cues' detector on a drum track we write here, with a tempo change: the beats it
// finds and the tempo it reports, against the sheet the track was written from.
#include "tools/generators/musicgen/encode.h"
#include "tools/lib/cue_detection/beat_detection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kRate = cues::kDetectionRate;

// A kick on every beat and a hat on every off-beat of the sheet's tempo map, over a quiet
// drone, as a stereo mix for musicgen's encoder.
musicgen::StereoMix drumTrack(const cues::CueSheet& sheet) {
    std::vector<float> mono(size_t(sheet.length * kRate));
    for (size_t n = 0; n < mono.size(); ++n)
        mono[n] = 0.05f * float(std::sin(2 * M_PI * 110 * n / kRate));
    uint32_t noise = 1;
    auto hit = [&](double seconds, bool kick) {
        double phase = 0;
        for (size_t n = 0, at = size_t(seconds * kRate); n < size_t(0.2 * kRate); ++n) {
            if (at + n >= mono.size())
                break;
            double t = double(n) / kRate;
            noise = noise * 1664525u + 1013904223u;
            double white = double(noise >> 8) / (1 << 23) - 1;
            phase += (50 + 100 * std::exp(-t / 0.03)) / kRate;
            mono[at + n] += float(kick ? 0.7 * std::sin(2 * M_PI * phase) * std::exp(-t / 0.15)
                                       : 0.15 * white * std::exp(-t / 0.01));
        }
    };
    for (size_t i = 0; i < sheet.tempo.size(); ++i) {
        double beat = 60 / sheet.tempo[i].bpm;
        double end = i + 1 < sheet.tempo.size() ? sheet.tempo[i + 1].seconds : sheet.length;
        for (double time = sheet.tempo[i].seconds; time < end - 1e-6; time += beat) {
            hit(time, true);
            hit(time + beat / 2, false);
        }
    }
    return {mono, mono};
}

} // namespace

TEST(CueDetection, FindsBeatsWithin10MsAndBothTemposWithinHalfABpmAcrossAChange) {
    cues::CueSheet reference;
    ASSERT_EQ(cues::parseCueSheet("length 42\ntempo 0 120 4/4\ntempo 20 140 4/4\n", &reference),
              "");
    char path[] = "/tmp/solvane-drums-XXXXXX.mp3";
    close(mkstemps(path, 4));
    ASSERT_EQ(musicgen::writeMp3(drumTrack(reference), path), "");
    std::vector<float> mono;
    std::string why = cues::decodeMono(path, &mono);
    std::remove(path);
    ASSERT_EQ(why, "");

    cues::CueSheet detected = cues::detectCueSheet(mono, 4);
    cues::Comparison figures = cues::compareSheets(detected, reference);
    EXPECT_GE(figures.beatsWithin10Ms, figures.referenceBeats * 95 / 100)
        << figures.beatsWithin10Ms << " of " << figures.referenceBeats;
    EXPECT_GT(figures.referenceBeats, 80);
    EXPECT_LE(figures.worstTempoError, 0.5)
        << figures.tempoLines.front() << "; " << figures.tempoLines.back();
    ASSERT_EQ(detected.tempo.size(), 2u) << cues::formatCueSheet(detected);
    EXPECT_NEAR(detected.tempo[1].seconds, 20.0, 0.01) << "the change, on its first beat";
    int strong = 0;
    for (const cues::Cue& cue : detected.cues)
        strong += cue.kind == cues::CueKind::strong;
    EXPECT_GT(strong, 40) << "the kicks are the strong onsets";
}
