// The soundtrack: musicgen's loudness and peak measurements against known signals, the
// limiter's ceiling, the score's sections against the notes kept for the timeline, and the
// rendered music.mp3 as ffmpeg decodes and measures it.
#include "tools/musicgen/master.h"
#include "tools/musicgen/score.h"
#include "tools/musicgen/synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using musicgen::kPi;
using musicgen::kSampleRate;
using musicgen::StereoMix;

StereoMix sine(double hz, double amplitude, double seconds, double phase = 0) {
    StereoMix mix;
    for (size_t n = 0; n < size_t(seconds * kSampleRate); ++n) {
        float value =
            static_cast<float>(amplitude * std::sin(2 * kPi * hz * n / kSampleRate + phase));
        mix.left.push_back(value);
        mix.right.push_back(value);
    }
    return mix;
}

std::string runAndCapture(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    pclose(pipe);
    return output;
}

// The number after the last occurrence of a label in ffmpeg's report; NaN when absent.
double numberAfter(const std::string& text, const std::string& label) {
    size_t at = text.rfind(label);
    if (at == std::string::npos)
        return NAN;
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

// The cells of the table row whose first cell is the given name, trimmed.
std::vector<std::string> tableRow(const std::string& table, const std::string& name) {
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream parts(line);
        std::string cell;
        std::getline(parts, cell, '|'); // text before the first bar
        while (std::getline(parts, cell, '|')) {
            size_t first = cell.find_first_not_of(' '), last = cell.find_last_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
        }
        if (!cells.empty() && cells[0] == name)
            return cells;
    }
    return {};
}

} // namespace

TEST(MusicMeasurement, LoudnessMatchesTheReferenceToneAndIgnoresSilence) {
    // A 997 Hz tone at -20 dBFS in both channels reads -20 LUFS.
    StereoMix tone = sine(997, musicgen::fromDecibels(-20), 10);
    EXPECT_NEAR(musicgen::integratedLoudness(tone), -20.0, 0.1);
    // Silence falls under the absolute gate and does not pull the figure down.
    StereoMix gapped = tone;
    gapped.left.resize(tone.left.size() * 2, 0.0f);
    gapped.right.resize(tone.right.size() * 2, 0.0f);
    EXPECT_NEAR(musicgen::integratedLoudness(gapped), -20.0, 0.1);
    EXPECT_LE(musicgen::integratedLoudness(sine(997, 0, 5)), -70.0);
}

TEST(MusicMeasurement, TruePeakFindsThePeakBetweenSamples) {
    // A quarter-rate tone sampled 45 degrees off its crests: samples reach only 0.707.
    StereoMix tone = sine(kSampleRate / 4.0, 0.5, 1, kPi / 4);
    EXPECT_NEAR(std::fabs(tone.left[1000]), 0.5 * std::sqrt(0.5), 1e-3);
    EXPECT_NEAR(musicgen::truePeak(tone), 0.5, 0.02);
}

TEST(MusicMeasurement, MasteringReachesTheLoudnessUnderTheCeiling) {
    // Loud tone bursts with quiet gaps: the gain must rise, and the bursts must be limited.
    StereoMix bursts = sine(220, 0.05, 20);
    for (size_t n = 0; n < bursts.left.size(); ++n) {
        if ((n / 4410) % 4 == 0) {
            bursts.left[n] *= 12;
            bursts.right[n] *= 12;
        }
    }
    musicgen::master(bursts, -14, -2);
    EXPECT_NEAR(musicgen::integratedLoudness(bursts), -14.0, 0.5);
    EXPECT_LE(musicgen::toDecibels(musicgen::truePeak(bursts)), -2.0 + 0.05);
}

TEST(MusicScore, SectionsArePhraseAlignedAndMatchTheTimelineNotes) {
    std::vector<musicgen::Section> sections = musicgen::sections();
    const char* const order[] = {"intro", "build-up", "main theme", "breakdown", "climax", "outro"};
    ASSERT_EQ(sections.size(), std::size(order));
    std::ifstream notesFile(SOLVANE_SOURCE_DIR "/content/music-sections.md");
    std::string notes((std::istreambuf_iterator<char>(notesFile)), {});
    ASSERT_FALSE(notes.empty());
    for (size_t i = 0; i < sections.size(); ++i) {
        SCOPED_TRACE(order[i]);
        EXPECT_EQ(sections[i].name, order[i]);
        EXPECT_EQ(sections[i].firstBar % musicgen::kBarsPerPhrase, 0);
        // The timeline author reads the starts from the notes; they must match the score.
        std::vector<std::string> row = tableRow(notes, sections[i].name);
        ASSERT_GE(row.size(), 3u);
        EXPECT_EQ(std::stoi(row[1]), sections[i].firstBar + 1);
        EXPECT_NEAR(std::stod(row[2]), sections[i].startSeconds, 0.0005);
    }
    EXPECT_GE(musicgen::totalSeconds(), 150.0);
    EXPECT_LE(musicgen::totalSeconds(), 210.0);
}

TEST(Soundtrack, DecodesToItsLengthWithinPeakAndLoudnessBounds) {
    const std::string path = SOLVANE_DEMO_DIR "/music.mp3";
    ASSERT_TRUE(std::ifstream(path).good()) << path << " is missing; build the demo-dir target";
    std::string probe = runAndCapture("'" FFMPEG_PATH "' -hide_banner -i '" + path + "'");
    EXPECT_NE(probe.find("44100 Hz, stereo"), std::string::npos) << probe;
    EXPECT_GE(numberAfter(probe, "bitrate: "), 192) << probe;

    std::string report = runAndCapture("'" FFMPEG_PATH "' -hide_banner -nostats -i '" + path +
                                       "' -af ebur128=peak=true,astats=measure_perchannel=none:"
                                       "measure_overall=Number_of_samples -f null -");
    double samples = numberAfter(report, "Number of samples: ");
    EXPECT_NEAR(samples / kSampleRate, musicgen::totalSeconds(), 0.05) << report;
    double loudness = numberAfter(report, "I: ");
    EXPECT_GE(loudness, -16.0) << report;
    EXPECT_LE(loudness, -12.0) << report;
    EXPECT_LE(numberAfter(report, "Peak: "), -1.0) << report;
}
