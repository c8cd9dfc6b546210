// The soundtrack's voices: synthesised drums, bass, pads, arpeggio and lead.
#include "tools/generators/musicgen/instruments.h"

#include "tools/generators/musicgen/synth.h"

#include <cmath>

namespace musicgen {

namespace {

constexpr int kControlInterval = 16; // samples between filter coefficient updates

// Every hit gets its own noise, seeded from where it starts, so the render is repeatable.
Noise noiseFor(size_t frame, uint32_t voice) {
    return Noise(static_cast<uint32_t>(frame * 2654435761u) ^ (voice * 40503u));
}

double seconds(size_t frames) {
    return double(frames) / kSampleRate;
}

} // namespace

Buses::Buses(size_t frames)
    : left(frames), right(frames), delaySend(frames), reverbSend(frames), duck(frames, 1.0f) {}

void Buses::add(size_t frame, float mono, float pan, float delay, float reverb) {
    if (frame >= frames())
        return;
    double angle = (pan + 1) * kPi / 4; // constant power
    left[frame] += mono * static_cast<float>(std::cos(angle) * std::sqrt(2.0));
    right[frame] += mono * static_cast<float>(std::sin(angle) * std::sqrt(2.0));
    delaySend[frame] += mono * delay;
    reverbSend[frame] += mono * reverb;
}

void Buses::addStereo(size_t frame, float l, float r, float reverb) {
    if (frame >= frames())
        return;
    left[frame] += l;
    right[frame] += r;
    reverbSend[frame] += (l + r) * 0.5f * reverb;
}

size_t frameAt(double time) {
    return static_cast<size_t>(std::lround(time * kSampleRate));
}

void playKick(Buses& buses, double time, float level) {
    size_t start = frameAt(time), length = frameAt(0.45);
    Noise noise = noiseFor(start, 1);
    Filter clickTone;
    clickTone.set(4000, 0.1);
    double phase = 0;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        // Pitch falls fast from a thump to a low sine: the body of the kick.
        double hz = 48 + 120 * std::exp(-t / 0.035);
        phase += hz / kSampleRate;
        double body = std::sin(2 * kPi * phase) * std::fmin(1.0, t / 0.0015) * std::exp(-t / 0.22);
        double click = clickTone.lowPass(noise.next()) * std::exp(-t / 0.004) * 0.5;
        float value = static_cast<float>(std::tanh(1.4 * (body + click)) / std::tanh(1.4));
        buses.add(start + n, value * level, 0, 0, 0);
    }
}

void playClap(Buses& buses, double time, float level) {
    size_t start = frameAt(time), length = frameAt(0.5);
    Noise noise = noiseFor(start, 2);
    Filter body;
    body.set(1400, 0.35);
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        // Three quick slaps, then the hand-clap's room tail.
        double slaps = 0;
        for (double at : {0.0, 0.011, 0.023})
            slaps += t >= at ? std::exp(-(t - at) / 0.0045) : 0;
        double tail = t >= 0.03 ? std::exp(-(t - 0.03) / 0.11) : 0;
        float value = body.bandPass(noise.next()) * static_cast<float>(slaps * 0.8 + tail);
        buses.add(start + n, value * level * 2.2f, 0.05f, 0, 0.35f);
    }
}

void playSnare(Buses& buses, double time, float level) {
    size_t start = frameAt(time), length = frameAt(0.3);
    Noise noise = noiseFor(start, 3);
    Filter crisp;
    crisp.set(1800, 0.1);
    double phase = 0;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        phase += (180 + 60 * std::exp(-t / 0.01)) / kSampleRate;
        double tone = std::sin(2 * kPi * phase) * std::exp(-t / 0.045) * 0.6;
        double rattle = crisp.highPass(noise.next()) * std::exp(-t / 0.09);
        buses.add(start + n, static_cast<float>((tone + rattle) * level), -0.1f, 0, 0.3f);
    }
}

void playHat(Buses& buses, double time, float level, bool open) {
    size_t start = frameAt(time), length = frameAt(open ? 0.6 : 0.12);
    Noise noise = noiseFor(start, open ? 5 : 4);
    Filter sizzle;
    sizzle.set(open ? 7500 : 8500, 0.3);
    double decay = open ? 0.16 : 0.028;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        float value = sizzle.highPass(noise.next()) * static_cast<float>(std::exp(-t / decay));
        buses.add(start + n, value * level, 0.25f, 0, open ? 0.15f : 0.05f);
    }
}

void playCrash(Buses& buses, double time, float level) {
    size_t start = frameAt(time), length = frameAt(4.0);
    Noise leftNoise = noiseFor(start, 6), rightNoise = noiseFor(start, 7);
    Filter leftTone, rightTone;
    leftTone.set(4500, 0.2);
    rightTone.set(4700, 0.2);
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        float envelope = static_cast<float>(std::exp(-t / 0.9) * level);
        buses.addStereo(start + n, leftTone.highPass(leftNoise.next()) * envelope,
                        rightTone.highPass(rightNoise.next()) * envelope, 0.3f);
    }
}

void playRiser(Buses& buses, double time, double duration, float level) {
    size_t start = frameAt(time), length = frameAt(duration);
    Noise leftNoise = noiseFor(start, 8), rightNoise = noiseFor(start, 9);
    Filter leftSweep, rightSweep;
    for (size_t n = 0; n < length; ++n) {
        double progress = double(n) / length;
        if (n % kControlInterval == 0) {
            double hz = 300 * std::pow(8000.0 / 300.0, progress); // exponential sweep upwards
            leftSweep.set(hz, 0.6);
            rightSweep.set(hz * 1.05, 0.6);
        }
        float envelope = static_cast<float>(progress * progress * level);
        buses.addStereo(start + n, leftSweep.bandPass(leftNoise.next()) * envelope,
                        rightSweep.bandPass(rightNoise.next()) * envelope, 0.4f);
    }
}

void playBass(Buses& buses, double time, double gate, int pitch, float level) {
    const Envelope amp{0.003, 0.15, 0.7, 0.03};
    size_t start = frameAt(time), length = frameAt(amp.length(gate));
    Oscillator saw, sine;
    saw.setFrequency(midiToHz(pitch));
    sine.setFrequency(midiToHz(pitch));
    Filter tone;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        if (n % kControlInterval == 0)
            tone.set(160 + 900 * std::exp(-t / 0.07), 0.35);
        float value = tone.lowPass(saw.next(Wave::saw) * 0.6f) + sine.next(Wave::sine) * 0.7f;
        size_t frame = start + n;
        float ducked = frame < buses.frames() ? buses.duck[frame] : 1.0f;
        buses.add(frame, value * amp.at(t, gate) * level * ducked, 0, 0, 0);
    }
}

void playPad(Buses& buses, double time, double gate, int pitch, float level, const Cutoff& cutoff) {
    const Envelope amp{0.45, 1.2, 0.8, 0.9};
    const double detune[] = {0.0, -0.09, 0.09, -0.17, 0.17}; // semitones: the supersaw spread
    const float pans[] = {0.0f, -0.5f, 0.5f, -0.9f, 0.9f};
    const int voices = 5;
    size_t start = frameAt(time), length = frameAt(amp.length(gate));
    Noise phases = noiseFor(start, 10 + pitch);
    Oscillator saws[voices];
    for (int v = 0; v < voices; ++v) {
        saws[v].setFrequency(midiToHz(pitch + detune[v]));
        saws[v].setPhase(phases.next() * 0.5 + 0.5);
    }
    Filter leftTone, rightTone;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        if (n % kControlInterval == 0) {
            double hz = cutoff(time + t);
            leftTone.set(hz, 0.25);
            rightTone.set(hz * 1.03, 0.25);
        }
        float l = 0, r = 0;
        for (int v = 0; v < voices; ++v) {
            float s = saws[v].next(Wave::saw);
            l += s * (1 - pans[v]) * 0.5f;
            r += s * (1 + pans[v]) * 0.5f;
        }
        size_t frame = start + n;
        float gain =
            amp.at(t, gate) * level * 0.2f * (frame < buses.frames() ? buses.duck[frame] : 1);
        buses.addStereo(frame, leftTone.lowPass(l) * gain, rightTone.lowPass(r) * gain, 0.4f);
    }
}

void playArp(Buses& buses, double time, double gate, int pitch, float level, float pan,
             const Cutoff& cutoff) {
    const Envelope amp{0.002, 0.14, 0.0, 0.06};
    size_t start = frameAt(time), length = frameAt(amp.length(gate));
    Oscillator square, saw;
    square.setFrequency(midiToHz(pitch));
    saw.setFrequency(midiToHz(pitch + 0.05));
    Filter tone;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        float envelope = amp.at(t, gate);
        if (n % kControlInterval == 0)
            tone.set(cutoff(time + t) * (0.5 + 1.5 * envelope), 0.6); // a resonant pluck
        float raw = square.next(Wave::square) * 0.5f + saw.next(Wave::saw) * 0.5f;
        buses.add(start + n, tone.lowPass(raw) * envelope * level * 0.25f, pan, 0.45f, 0.15f);
    }
}

void playLead(Buses& buses, double time, double gate, int pitch, float level) {
    const Envelope amp{0.012, 0.3, 0.75, 0.18};
    size_t start = frameAt(time), length = frameAt(amp.length(gate));
    Oscillator sawA, sawB, octave;
    Filter tone;
    for (size_t n = 0; n < length; ++n) {
        double t = seconds(n);
        float envelope = amp.at(t, gate);
        if (n % kControlInterval == 0) {
            // Vibrato grows in after the attack, as a player would add it.
            double vibrato = 0.12 * std::fmin(1.0, std::fmax(0.0, (t - 0.2) / 0.3)) *
                             std::sin(2 * kPi * 5.5 * t);
            sawA.setFrequency(midiToHz(pitch + vibrato + 0.07));
            sawB.setFrequency(midiToHz(pitch + vibrato - 0.07));
            octave.setFrequency(midiToHz(pitch + 12 + vibrato));
            tone.set(1500 + 3500 * envelope, 0.3);
        }
        float raw = sawA.next(Wave::saw) * 0.4f + sawB.next(Wave::saw) * 0.4f +
                    octave.next(Wave::square) * 0.12f;
        buses.add(start + n, tone.lowPass(raw) * envelope * level * 0.42f, 0, 0.3f, 0.25f);
    }
}

} // namespace musicgen
