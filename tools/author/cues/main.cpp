// solvane-cues: writes the cue sheet of an MP3 (beats fitted into a tempo map, onsets as
// strong or weak) beside it, or measures it against a sheet we trust.
#include "tools/lib/common/tool_info.h"
#include "tools/lib/cue_detection/beat_detection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "Usage: solvane-cues [--beats-per-bar N] [--output FILE] MUSIC.mp3\n"
    "       solvane-cues --compare REFERENCE.cues MUSIC.mp3\n"
    "Detects the beat, the tempo map and the onsets of an MP3 with aubio and writes them as a\n"
    "cue sheet (docs/cue-sheet.md) beside it, MUSIC.cues, or to FILE (- for standard output).\n"
    "Bars are taken to start on the first beat heard; sections are left to the author.\n"
    "\n"
    "  --beats-per-bar N  the metre's beats a bar (default 4)\n"
    "  --output FILE      where to write the sheet\n"
    "  --compare SHEET    print how the detected beats and tempo meet SHEET's instead\n"
    "  -h, --help         show this text\n"
    "  --version          show the version\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "solvane-cues: %s (see --help)\n", message.c_str());
    return 2;
}

int printComparison(const cues::CueSheet& detected, const std::string& referencePath) {
    cues::CueSheet reference;
    std::string why = cues::readCueSheet(referencePath, &reference);
    if (!why.empty()) {
        std::fprintf(stderr, "solvane-cues: cannot read %s: %s\n", referencePath.c_str(),
                     why.c_str());
        return 2;
    }
    cues::Comparison figures = cues::compareSheets(detected, reference);
    std::printf("beats within 10 ms: %d of %d (%.1f %%), median error %.2f ms\n",
                figures.beatsWithin10Ms, figures.referenceBeats,
                100.0 * figures.beatsWithin10Ms / std::max(1, figures.referenceBeats),
                figures.medianErrorMs);
    for (const std::string& line : figures.tempoLines)
        std::printf("tempo %s\n", line.c_str());
    std::printf("worst tempo error: %.2f BPM\n", figures.worstTempoError);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string music, output, compare;
    int beatsPerBar = 4;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (answerInfoRequest(infoRequest(argv[i]), "solvane-cues", kUsage))
            return 0;
        bool valued =
            argument == "--output" || argument == "--compare" || argument == "--beats-per-bar";
        if (valued && i + 1 == argc)
            return usageError(argument + " needs a value");
        if (argument == "--output")
            output = argv[++i];
        else if (argument == "--compare")
            compare = argv[++i];
        else if (argument == "--beats-per-bar") {
            beatsPerBar = std::atoi(argv[++i]);
            if (beatsPerBar < 1 || beatsPerBar > 32)
                return usageError("--beats-per-bar takes 1 to 32");
        } else if (argument[0] == '-' && argument != "-")
            return usageError("unknown option '" + argument + "'");
        else if (!music.empty())
            return usageError("one MP3 at a time");
        else
            music = argument;
    }
    if (music.empty())
        return usageError("no MP3 given");
    std::vector<float> mono;
    std::string why = cues::decodeMono(music, &mono);
    if (!why.empty()) {
        std::fprintf(stderr, "solvane-cues: cannot read %s: %s\n", music.c_str(), why.c_str());
        return 2;
    }
    cues::CueSheet sheet = cues::detectCueSheet(mono, beatsPerBar);
    if (!compare.empty())
        return printComparison(sheet, compare);
    if (output == "-") {
        std::fputs(cues::formatCueSheet(sheet).c_str(), stdout);
        return 0;
    }
    if (output.empty())
        output = cues::cueSheetFor(music);
    why = cues::writeCueSheet(output, sheet);
    if (!why.empty()) {
        std::fprintf(stderr, "solvane-cues: cannot write %s\n", why.c_str());
        return 2;
    }
    return 0;
}
