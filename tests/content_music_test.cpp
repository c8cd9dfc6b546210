// The soundtrack: the score's sections against the notes kept for the timeline, and the
// rendered music.mp3 as ffmpeg decodes and measures it (which judges musicgen's own loudness
// and peak measurements by their outcome).
#include "tools/generators/musicgen/score.h"
#include "tools/generators/musicgen/synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using musicgen::kSampleRate;

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
