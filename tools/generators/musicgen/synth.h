// musicgen's signal building blocks: noise, band-limited oscillators, envelopes, a resonant
// state-variable filter, and the stereo delay and reverb. Plain per-sample objects, no
// allocation once built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace musicgen {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

double midiToHz(double note);

// Deterministic white noise in [-1, 1).
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    float next();

private:
    uint32_t state;
};

enum class Wave { saw, square, sine };

// Saw and square with PolyBLEP corrections at each jump, so high notes do not alias.
class Oscillator {
public:
    void setFrequency(double hz) { increment = hz / kSampleRate; }
    void setPhase(double cycles) { phase = cycles; }
    float next(Wave wave);

private:
    double phase = 0, increment = 0;
};

// Linear attack, exponential-looking decay to sustain, release after the gate closes.
// Times in seconds; evaluated from the time since note-on, so it needs no state.
struct Envelope {
    double attack, decay, sustain, release;
    float at(double time, double gate) const;
    double length(double gate) const { return gate + release * 5; }
};

// Zavalishin's topology-preserving state-variable filter; stable under fast cutoff changes.
class Filter {
public:
    // resonance 0 = gentle, towards 1 = self-oscillating
    void set(double cutoffHz, double resonance);
    float lowPass(float in);
    float bandPass(float in);
    float highPass(float in);

private:
    void tick(float in);
    float g = 0, k = 2, a1 = 0, a2 = 0, a3 = 0;
    float ic1 = 0, ic2 = 0;
    float low = 0, band = 0, high = 0;
};

// Ping-pong echo: the left input returns on the right and back, darkened on each pass.
class StereoDelay {
public:
    StereoDelay(double seconds, float feedback);
    void process(float in, float& left, float& right);

private:
    std::vector<float> lineLeft, lineRight;
    size_t position = 0;
    float feedback;
    float dampLeft = 0, dampRight = 0;
};

// A Schroeder-Moorer hall: parallel damped combs into series all-passes, per side with
// slightly different lengths for width.
class Reverb {
public:
    Reverb(double size, float damping);
    void process(float in, float& left, float& right);

private:
    struct Comb {
        std::vector<float> line;
        size_t position = 0;
        float store = 0;
    };
    struct AllPass {
        std::vector<float> line;
        size_t position = 0;
    };
    static float comb(Comb& c, float in, float feedback, float damping);
    static float allPass(AllPass& a, float in);
    std::vector<Comb> combs[2];
    std::vector<AllPass> allPasses[2];
    float feedback, damping;
};

} // namespace musicgen
