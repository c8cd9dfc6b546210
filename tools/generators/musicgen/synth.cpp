// musicgen's signal building blocks.
#include "tools/generators/musicgen/synth.h"

#include <cmath>

namespace musicgen {

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

float Noise::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

namespace {

// The residual that turns a naive jump into a band-limited step (t in cycles, dt per sample).
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

float Oscillator::next(Wave wave) {
    double value;
    switch (wave) {
    case Wave::saw:
        value = 2.0 * phase - 1.0 - polyBlep(phase, increment);
        break;
    case Wave::square: {
        value = phase < 0.5 ? 1.0 : -1.0;
        value += polyBlep(phase, increment);
        double shifted = phase + 0.5;
        value -= polyBlep(shifted - std::floor(shifted), increment);
        break;
    }
    default:
        value = std::sin(2 * kPi * phase);
        break;
    }
    phase += increment;
    phase -= std::floor(phase);
    return static_cast<float>(value);
}

float Envelope::at(double time, double gate) const {
    auto held = [this](double t) {
        if (t < attack)
            return t / attack;
        return sustain + (1.0 - sustain) * std::exp(-(t - attack) / decay);
    };
    if (time < 0)
        return 0;
    if (time < gate)
        return static_cast<float>(held(time));
    return static_cast<float>(held(gate) * std::exp(-(time - gate) / release));
}

void Filter::set(double cutoffHz, double resonance) {
    double limited = std::fmin(cutoffHz, kSampleRate * 0.45);
    g = static_cast<float>(std::tan(kPi * limited / kSampleRate));
    k = static_cast<float>(2.0 - 1.95 * resonance);
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void Filter::tick(float in) {
    float v3 = in - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    low = v2;
    band = v1;
    high = in - k * v1 - v2;
}

float Filter::lowPass(float in) {
    tick(in);
    return low;
}

float Filter::bandPass(float in) {
    tick(in);
    return band;
}

float Filter::highPass(float in) {
    tick(in);
    return high;
}

StereoDelay::StereoDelay(double seconds, float feedback)
    : lineLeft(static_cast<size_t>(seconds * kSampleRate)),
      lineRight(static_cast<size_t>(seconds * kSampleRate)), feedback(feedback) {}

void StereoDelay::process(float in, float& left, float& right) {
    float echoLeft = lineLeft[position], echoRight = lineRight[position];
    // One-pole low-pass in the loop: each repeat is darker, like tape.
    dampLeft += 0.35f * (echoLeft - dampLeft);
    dampRight += 0.35f * (echoRight - dampRight);
    lineLeft[position] = in + dampRight * feedback;
    lineRight[position] = dampLeft * feedback;
    position = (position + 1) % lineLeft.size();
    left = echoLeft;
    right = echoRight;
}

Reverb::Reverb(double size, float damping) : feedback(0.7f + 0.28f * size), damping(damping) {
    // Freeverb's tunings at 44.1 kHz; the right side is 23 samples longer for width.
    const int combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const int allPassLengths[] = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
        for (int length : combLengths) {
            Comb c;
            c.line.assign(length + side * 23, 0.0f);
            combs[side].push_back(c);
        }
        for (int length : allPassLengths) {
            AllPass a;
            a.line.assign(length + side * 23, 0.0f);
            allPasses[side].push_back(a);
        }
    }
}

float Reverb::comb(Comb& c, float in, float feedback, float damping) {
    float out = c.line[c.position];
    c.store = out * (1 - damping) + c.store * damping;
    c.line[c.position] = in + c.store * feedback;
    c.position = (c.position + 1) % c.line.size();
    return out;
}

float Reverb::allPass(AllPass& a, float in) {
    float delayed = a.line[a.position];
    float out = delayed - in;
    a.line[a.position] = in + delayed * 0.5f;
    a.position = (a.position + 1) % a.line.size();
    return out;
}

void Reverb::process(float in, float& left, float& right) {
    float out[2];
    for (int side = 0; side < 2; ++side) {
        float sum = 0;
        for (Comb& c : combs[side])
            sum += comb(c, in, feedback, damping);
        for (AllPass& a : allPasses[side])
            sum = allPass(a, sum);
        out[side] = sum;
    }
    left = out[0];
    right = out[1];
}

} // namespace musicgen
