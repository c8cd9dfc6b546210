// The soundtrack's score: tempo, the arrangement as a table of eight-bar phrases, the chords
// and the lead melody. Everything the renderer plays is read from here.
#pragma once

#include "tools/lib/cues/cue_sheet.h"

#include <string>
#include <vector>

namespace musicgen {

constexpr double kTempo = 128;   // beats per minute, 4/4
constexpr int kStepsPerBar = 16; // sixteenth notes
constexpr int kBarsPerPhrase = 8;
constexpr int kHookBars = 4;       // the melody states its hook every four bars
constexpr double kTailSeconds = 3; // the last chord and the reverb ring out after the last bar

constexpr double kSecondsPerBar = 4 * 60.0 / kTempo;
constexpr double kSecondsPerStep = kSecondsPerBar / kStepsPerBar;

enum class Hats { none, eighths, sixteenths };
enum class Bass { none, offbeat, rolling };
enum class Lead { none, melody, doubled };
enum class Fill { none, riser, snareRoll };

// Eight bars of the arrangement: which voices play and how the filters move across them.
struct Phrase {
    const char* section;
    const char* chords; // eight chord names, one a bar: "Am", "F", "E", ...
    bool kick, clap, openHat, crash;
    Hats hats;
    Bass bass;
    Lead lead;
    float padLevel, arpLevel;
    float padCutoffFrom, padCutoffTo; // Hz, swept across the phrase
    float arpCutoffFrom, arpCutoffTo;
    Fill fill; // what leads into the next phrase, over its last two bars
};

struct Chord {
    int root; // pitch class, 0 = C
    bool minor;
    int pitchClass(int degree) const; // degree 0, 1, 2: root, third, fifth
};

struct Note {
    double start, length; // seconds from the start of the phrase
    int pitch;            // MIDI note number
};

struct Section {
    std::string name;
    int firstBar;
    double startSeconds;
};

const std::vector<Phrase>& phrases();
// The chord under each bar of a phrase; an unknown name is a score error and stops the tool.
std::vector<Chord> phraseChords(const Phrase& phrase);
// The eight-bar lead melody, written against the main theme's chords.
const std::vector<Note>& melody();
// Consecutive phrases with the same section name form one section.
std::vector<Section> sections();
int totalBars();
double totalSeconds();
// The score's cue sheet: its tempo, sections and length, with the onsets the renderer played.
cues::CueSheet cueSheet(std::vector<cues::Cue> onsets);

} // namespace musicgen
