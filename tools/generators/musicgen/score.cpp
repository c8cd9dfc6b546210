// The score of the soundtrack, in A minor at 128 BPM. The phrase table is the arrangement:
// read it top to bottom as the piece plays; the timeline's picture changes sit on the section
// starts it implies (see content/music-sections.md).
#include "tools/generators/musicgen/score.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace musicgen {

namespace {

using B = Bass;
using F = Fill;
using H = Hats;
using L = Lead;

// clang-format off
const std::vector<Phrase> kPhrases = {
//  section        chords, one a bar                   kick  clap   open   crash  hats           bass         lead         pad   arp   pad cutoff     arp cutoff     fill
    {"intro",      "Am Am F F C C G G",                false, false, false, false, H::none,       B::none,     L::none,     0.9f, 0.0f,  300, 1200,    600,  600,   F::none},
    {"intro",      "Am Am F F C C G G",                false, false, false, false, H::eighths,    B::none,     L::none,     0.9f, 0.5f, 1200, 2200,    400, 1400,   F::riser},
    {"build-up",   "Am F C G Am F C E",                true,  false, false, true,  H::sixteenths, B::offbeat,  L::none,     0.7f, 0.7f, 1800, 2400,    800, 2500,   F::none},
    {"build-up",   "Am F C G Am F C E",                true,  true,  false, false, H::sixteenths, B::offbeat,  L::none,     0.7f, 0.8f, 2400, 3200,   2500, 6000,   F::snareRoll},
    {"main theme", "Am F C G Am F C G",                true,  true,  true,  true,  H::sixteenths, B::rolling,  L::melody,   0.6f, 0.6f, 3000, 3000,   2500, 3500,   F::none},
    {"main theme", "Am F C G Am F C G",                true,  true,  true,  false, H::sixteenths, B::rolling,  L::melody,   0.6f, 0.6f, 3000, 3500,   3500, 4500,   F::riser},
    {"breakdown",  "F F G G Em Em Am Am",              false, false, false, true,  H::none,       B::none,     L::none,     1.0f, 0.5f, 1500,  900,   1200,  900,   F::none},
    {"breakdown",  "F F G G Em Em E E",                false, false, false, false, H::sixteenths, B::none,     L::none,     1.0f, 0.7f,  900, 4000,    900, 6000,   F::snareRoll},
    {"climax",     "Am F C G Am F C G",                true,  true,  true,  true,  H::sixteenths, B::rolling,  L::doubled,  0.7f, 0.7f, 4000, 4500,   4000, 5000,   F::none},
    {"climax",     "Am F C G Am F C G",                true,  true,  true,  false, H::sixteenths, B::rolling,  L::doubled,  0.7f, 0.7f, 4500, 5000,   5000, 6000,   F::none},
    {"outro",      "Am Am F F C C G G",                true,  false, false, true,  H::eighths,    B::offbeat,  L::none,     0.8f, 0.6f, 3500, 1800,   3000, 1200,   F::none},
    {"outro",      "F F G G Am Am Am Am",              false, false, false, false, H::none,       B::none,     L::none,     0.8f, 0.4f, 1800,  300,   1200,  300,   F::none},
};

// The lead, one bar a line, notes as NAME+OCTAVE:SIXTEENTHS, '-' a rest. Bars 1 and 5 state
// the hook; bar 6 answers it an octave higher; bar 8 hangs on E to fall back into A minor.
const char* const kMelody[kBarsPerPhrase] = {
    "A4:2 C5:2 E5:2 A5:4 G5:2 E5:2 D5:2", // Am
    "C5:3 F5:3 E5:2 C5:4 A4:4",           // F
    "G4:2 C5:2 E5:2 G5:4 F5:2 E5:2 C5:2", // C
    "D5:6 B4:2 G4:4 -:2 B4:2",            // G
    "A4:2 C5:2 E5:2 A5:4 G5:2 E5:2 D5:2", // Am
    "C5:3 F5:3 A5:2 C6:4 A5:2 G5:2",      // F
    "G5:3 E5:3 C5:2 E5:2 G5:2 E5:2 D5:2", // C
    "B4:4 D5:4 E5:8",                     // G
};
// clang-format on

[[noreturn]] void scoreError(const std::string& what) {
    std::fprintf(stderr, "musicgen: score error: %s\n", what.c_str());
    std::exit(1);
}

int pitchClassOf(char letter) {
    static const int classes[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (letter < 'A' || letter > 'G')
        scoreError(std::string("unknown note letter '") + letter + "'");
    return classes[letter - 'A'];
}

Chord parseChord(const std::string& name) {
    if (name.empty() || name.size() > 2 || (name.size() == 2 && name[1] != 'm'))
        scoreError("unknown chord '" + name + "'");
    return {pitchClassOf(name[0]), name.size() == 2};
}

int parsePitch(const std::string& name) {
    // NAME [#] OCTAVE, C4 = 60
    size_t at = 1;
    int pitchClass = pitchClassOf(name[0]);
    if (at < name.size() && name[at] == '#') {
        ++pitchClass;
        ++at;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9')
        scoreError("bad note '" + name + "'");
    return 12 * (name[at] - '0' + 1) + pitchClass;
}

std::vector<Note> parseMelody() {
    std::vector<Note> notes;
    for (int bar = 0; bar < kBarsPerPhrase; ++bar) {
        std::istringstream words(kMelody[bar]);
        std::string word;
        int step = 0;
        while (words >> word) {
            size_t colon = word.find(':');
            if (colon == std::string::npos)
                scoreError("melody note without length: '" + word + "'");
            int length = std::atoi(word.c_str() + colon + 1);
            std::string name = word.substr(0, colon);
            if (name != "-") {
                double start = (bar * kStepsPerBar + step) * kSecondsPerStep;
                notes.push_back({start, length * kSecondsPerStep, parsePitch(name)});
            }
            step += length;
        }
        if (step != kStepsPerBar)
            scoreError("melody bar " + std::to_string(bar + 1) + " has " + std::to_string(step) +
                       " sixteenths, not 16");
    }
    return notes;
}

} // namespace

int Chord::pitchClass(int degree) const {
    static const int minorSteps[] = {0, 3, 7}, majorSteps[] = {0, 4, 7};
    return (root + (minor ? minorSteps : majorSteps)[degree]) % 12;
}

const std::vector<Phrase>& phrases() {
    return kPhrases;
}

std::vector<Chord> phraseChords(const Phrase& phrase) {
    std::istringstream names(phrase.chords);
    std::vector<Chord> chords;
    std::string name;
    while (names >> name)
        chords.push_back(parseChord(name));
    if (chords.size() != kBarsPerPhrase)
        scoreError(std::string("phrase '") + phrase.chords + "' does not name eight chords");
    return chords;
}

const std::vector<Note>& melody() {
    static const std::vector<Note> notes = parseMelody();
    return notes;
}

std::vector<Section> sections() {
    std::vector<Section> result;
    for (size_t i = 0; i < kPhrases.size(); ++i) {
        if (result.empty() || result.back().name != kPhrases[i].section) {
            int bar = static_cast<int>(i) * kBarsPerPhrase;
            result.push_back({kPhrases[i].section, bar, bar * kSecondsPerBar});
        }
    }
    return result;
}

int totalBars() {
    return static_cast<int>(kPhrases.size()) * kBarsPerPhrase;
}

double totalSeconds() {
    return totalBars() * kSecondsPerBar + kTailSeconds;
}

cues::CueSheet cueSheet(std::vector<cues::Cue> onsets) {
    cues::CueSheet sheet;
    sheet.length = totalSeconds();
    sheet.tempo.push_back({0, kTempo, 4, 4});
    for (const Section& section : sections())
        sheet.sections.push_back({section.startSeconds, section.name});
    sheet.cues = std::move(onsets);
    return sheet;
}

} // namespace musicgen
