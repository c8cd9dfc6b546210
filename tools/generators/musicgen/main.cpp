// musicgen: renders the demo's soundtrack from its score, masters it and writes music.mp3.
#include "tools/generators/musicgen/arrange.h"
#include "tools/generators/musicgen/encode.h"
#include "tools/generators/musicgen/master.h"
#include "tools/generators/musicgen/score.h"
#include "tools/lib/common/tool_info.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

const char kUsage[] = "Usage: musicgen OUTPUT.mp3\n"
                      "       musicgen --sections\n"
                      "Renders the soundtrack, or prints its tempo and section start times.\n"
                      "Writes the score's cue sheet beside the MP3 (OUTPUT.cues; see\n"
                      "docs/cue-sheet.md).\n"
                      "  -h, --help   show this text\n"
                      "  --version    show the version\n";

constexpr double kTargetLufs = -14;
constexpr double kCeilingDbtp = -2; // leaves room for the overshoot MP3 encoding adds

void printSections() {
    std::printf("tempo %.0f BPM, 4/4, bar %.4f s, length %.3f s\n", musicgen::kTempo,
                musicgen::kSecondsPerBar, musicgen::totalSeconds());
    for (const musicgen::Section& section : musicgen::sections())
        std::printf("%-12s bar %3d  %8.3f s\n", section.name.c_str(), section.firstBar + 1,
                    section.startSeconds);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && answerInfoRequest(infoRequest(argv[1]), "musicgen", kUsage))
        return 0;
    if (argc != 2 || (argv[1][0] == '-' && std::strcmp(argv[1], "--sections") != 0)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--sections") == 0) {
        printSections();
        return 0;
    }
    musicgen::Onsets onsets;
    musicgen::StereoMix mix = musicgen::renderSong(&onsets);
    musicgen::master(mix, kTargetLufs, kCeilingDbtp);
    std::printf("musicgen: %.1f s, integrated loudness %.2f LUFS, true peak %.2f dBTP before "
                "encoding\n",
                mix.left.size() / 44100.0, musicgen::integratedLoudness(mix),
                musicgen::toDecibels(musicgen::truePeak(mix)));
    std::string error = musicgen::writeMp3(mix, argv[1]);
    if (!error.empty()) {
        std::fprintf(stderr, "musicgen: %s\n", error.c_str());
        return 1;
    }
    const std::string sheetPath = cues::cueSheetFor(argv[1]);
    error = cues::writeCueSheet(sheetPath, musicgen::cueSheet(std::move(onsets)));
    if (!error.empty()) {
        std::fprintf(stderr, "musicgen: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
