// Turns the phrase table into notes and hits, ducks pads and bass under the kick, and runs
// the delay and hall sends into the final stereo mix.
#include "tools/generators/musicgen/arrange.h"

#include "tools/generators/musicgen/instruments.h"
#include "tools/generators/musicgen/score.h"
#include "tools/generators/musicgen/synth.h"

#include <algorithm>
#include <cmath>

namespace musicgen {

namespace {

constexpr float kDuckDepth = 0.65f;    // how far pads and bass dip under each kick
constexpr double kDuckRecovery = 0.12; // seconds for the dip to recover by 1/e

// A value swept geometrically across a phrase, as filter cutoffs are heard.
Cutoff sweep(double phraseStart, float from, float to, double lfoDepth) {
    return [=](double time) {
        double progress = std::fmin(
            1.0, std::fmax(0.0, (time - phraseStart) / (kBarsPerPhrase * kSecondsPerBar)));
        double lfo = 1 + lfoDepth * std::sin(2 * kPi * time / (2 * kSecondsPerBar));
        return from * std::pow(double(to) / from, progress) * lfo;
    };
}

// A note of the given pitch class in [low, low + 12).
int placeInRange(int pitchClass, int low) {
    return low + ((pitchClass - low) % 12 + 12) % 12;
}

void duckUnderKick(Buses& buses, double time) {
    size_t start = frameAt(time), length = frameAt(kDuckRecovery * 5);
    for (size_t n = 0; n < length && start + n < buses.frames(); ++n) {
        double t = double(n) / kSampleRate;
        double dip = kDuckDepth * std::fmin(1.0, t / 0.004) * std::exp(-t / kDuckRecovery);
        buses.duck[start + n] = std::fmin(buses.duck[start + n], static_cast<float>(1 - dip));
    }
}

void playDrums(Buses& buses, const Phrase& phrase, double start, Onsets& heard) {
    if (phrase.crash)
        playCrash(buses, start, 0.35f);
    for (int bar = 0; bar < kBarsPerPhrase; ++bar) {
        bool rollBar = phrase.fill == Fill::snareRoll && bar >= kBarsPerPhrase - 2;
        bool dropKick = phrase.fill == Fill::snareRoll && bar == kBarsPerPhrase - 1;
        for (int step = 0; step < kStepsPerBar; ++step) {
            double time = start + (bar * kStepsPerBar + step) * kSecondsPerStep;
            bool onBeat = step % 4 == 0, offBeat = step % 4 == 2;
            if (phrase.kick && onBeat && !dropKick) {
                playKick(buses, time, 0.75f);
                heard.push_back({time, cues::CueKind::kick});
            }
            if (phrase.clap && (step == 4 || step == 12) && !rollBar) {
                playClap(buses, time, 0.5f);
                heard.push_back({time, cues::CueKind::clap});
            }
            if (phrase.openHat && offBeat)
                playHat(buses, time, 0.16f, true);
            else if (phrase.hats == Hats::eighths && offBeat)
                playHat(buses, time, 0.2f, false);
            else if (phrase.hats == Hats::sixteenths)
                playHat(buses, time, offBeat ? 0.22f : 0.1f, false);
            if (rollBar) {
                // Eighths, then sixteenths, swelling into the next phrase.
                bool hit = bar == kBarsPerPhrase - 2 ? step % 2 == 0 : true;
                double swell = (bar - (kBarsPerPhrase - 2) + step / 16.0) / 2;
                if (hit) {
                    playSnare(buses, time, static_cast<float>(0.1 + 0.35 * swell));
                    heard.push_back({time, cues::CueKind::snare});
                }
            }
        }
    }
    if (phrase.fill != Fill::none) {
        double fillStart = start + (kBarsPerPhrase - 2) * kSecondsPerBar;
        playRiser(buses, fillStart, 2 * kSecondsPerBar, 0.35f);
        heard.push_back({fillStart, cues::CueKind::fill});
    }
}

void playBassLine(Buses& buses, const Phrase& phrase, const std::vector<Chord>& chords,
                  double start) {
    for (int bar = 0; bar < kBarsPerPhrase; ++bar) {
        int root = placeInRange(chords[bar].root, 28); // E1 to D#2, locked to the chord root
        for (int step = 0; step < kStepsPerBar; ++step) {
            double time = start + (bar * kStepsPerBar + step) * kSecondsPerStep;
            if (phrase.bass == Bass::offbeat && step % 4 == 2)
                playBass(buses, time, kSecondsPerStep * 1.5, root, 0.42f);
            if (phrase.bass == Bass::rolling && step % 4 != 0) {
                int pitch = step == 15 ? root + 12 : root;
                playBass(buses, time, kSecondsPerStep * 0.85, pitch, 0.38f);
            }
        }
    }
}

void playPads(Buses& buses, const Phrase& phrase, const std::vector<Chord>& chords, double start) {
    Cutoff cutoff = sweep(start, phrase.padCutoffFrom, phrase.padCutoffTo, 0.2);
    for (int bar = 0; bar < kBarsPerPhrase;) {
        int bars = 1; // a chord repeated on following bars is held, not struck again
        while (bar + bars < kBarsPerPhrase && chords[bar + bars].root == chords[bar].root &&
               chords[bar + bars].minor == chords[bar].minor)
            ++bars;
        double time = start + bar * kSecondsPerBar, length = bars * kSecondsPerBar - 0.05;
        const Chord& chord = chords[bar];
        for (int degree = 0; degree < 3; ++degree)
            playPad(buses, time, length, placeInRange(chord.pitchClass(degree), 55),
                    phrase.padLevel, cutoff);
        playPad(buses, time, length, placeInRange(chord.root, 55) + 12, phrase.padLevel * 0.7f,
                cutoff);
        bar += bars;
    }
}

void playArpeggio(Buses& buses, const Phrase& phrase, const std::vector<Chord>& chords,
                  double start) {
    // Indexes into the chord's notes stacked upwards: rises, turns and rises again.
    const int pattern[kStepsPerBar] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 2, 3, 5, 4, 3, 2, 1};
    Cutoff cutoff = sweep(start, phrase.arpCutoffFrom, phrase.arpCutoffTo, 0.15);
    for (int bar = 0; bar < kBarsPerPhrase; ++bar) {
        int base = placeInRange(chords[bar].root, 57);
        for (int step = 0; step < kStepsPerBar; ++step) {
            int index = pattern[step];
            int pitch = base + (chords[bar].pitchClass(index % 3) - chords[bar].root + 12) % 12 +
                        12 * (index / 3);
            double time = start + (bar * kStepsPerBar + step) * kSecondsPerStep;
            float pan = step % 2 ? 0.4f : -0.4f;
            playArp(buses, time, kSecondsPerStep * 0.6, pitch, phrase.arpLevel, pan, cutoff);
        }
    }
}

void playMelody(Buses& buses, const Phrase& phrase, double start, Onsets& heard) {
    const double hookEvery = kHookBars * kSecondsPerBar;
    for (const Note& note : melody()) {
        // Exact: a note that opens the hook starts on a whole multiple of its length.
        if (std::remainder(note.start, hookEvery) == 0)
            heard.push_back({start + note.start, cues::CueKind::hook});
        playLead(buses, start + note.start, note.length * 0.92, note.pitch, 0.8f);
        if (phrase.lead == Lead::doubled)
            playLead(buses, start + note.start, note.length * 0.92, note.pitch - 12, 0.5f);
    }
}

StereoMix runEffects(const Buses& buses) {
    StereoDelay echo(3 * kSecondsPerStep, 0.4f); // dotted eighth, in time with the beat
    Reverb hall(0.85, 0.35f);
    StereoMix mix{std::vector<float>(buses.frames()), std::vector<float>(buses.frames())};
    for (size_t n = 0; n < buses.frames(); ++n) {
        float echoLeft, echoRight, hallLeft, hallRight;
        echo.process(buses.delaySend[n], echoLeft, echoRight);
        // The echo feeds the hall too, so repeats sit in the same room.
        hall.process((buses.reverbSend[n] + (echoLeft + echoRight) * 0.2f) * 0.03f, hallLeft,
                     hallRight);
        mix.left[n] = buses.left[n] + echoLeft * 0.6f + hallLeft;
        mix.right[n] = buses.right[n] + echoRight * 0.6f + hallRight;
    }
    return mix;
}

} // namespace

StereoMix renderSong(Onsets* onsets) {
    Onsets heard;
    Buses buses(frameAt(totalSeconds()));
    const std::vector<Phrase>& table = phrases();
    // The side-chain needs every kick before any pad or bass note is rendered.
    for (size_t i = 0; i < table.size(); ++i) {
        double start = i * kBarsPerPhrase * kSecondsPerBar;
        for (int beat = 0; table[i].kick && beat < kBarsPerPhrase * 4; ++beat) {
            bool dropped = table[i].fill == Fill::snareRoll && beat >= (kBarsPerPhrase - 1) * 4;
            if (!dropped)
                duckUnderKick(buses, start + beat * kSecondsPerBar / 4);
        }
    }
    for (size_t i = 0; i < table.size(); ++i) {
        const Phrase& phrase = table[i];
        double start = i * kBarsPerPhrase * kSecondsPerBar;
        std::vector<Chord> chords = phraseChords(phrase);
        playDrums(buses, phrase, start, heard);
        playBassLine(buses, phrase, chords, start);
        if (phrase.padLevel > 0)
            playPads(buses, phrase, chords, start);
        if (phrase.arpLevel > 0)
            playArpeggio(buses, phrase, chords, start);
        if (phrase.lead != Lead::none)
            playMelody(buses, phrase, start, heard);
    }
    std::stable_sort(heard.begin(), heard.end(),
                     [](const cues::Cue& a, const cues::Cue& b) { return a.seconds < b.seconds; });
    if (onsets)
        *onsets = std::move(heard);
    return runEffects(buses);
}

} // namespace musicgen
