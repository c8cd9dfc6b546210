// Loudness, true peak and limiting for the soundtrack.
#include "tools/generators/musicgen/master.h"

#include "tools/generators/musicgen/synth.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace musicgen {

namespace {

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double run(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The K-weighting pair (a high shelf for the head, then a high-pass) at any sample rate,
// from the analogue prototypes behind the 48 kHz coefficients.
Biquad shelf() {
    double f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(kPi * f0 / kSampleRate);
    double vh = std::pow(10.0, gainDb / 20), vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
}

Biquad highPass() {
    double f0 = 38.13547087602444, q = 0.5003270373238773;
    double k = std::tan(kPi * f0 / kSampleRate);
    double a0 = 1 + k / q + k * k;
    return {1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
}

double blockLoudness(double meanSquare) {
    return -0.691 + 10 * std::log10(meanSquare);
}

// Windowed-sinc phases for 4x interpolation: phase p estimates the signal at n + p/4.
constexpr int kOversampling = 4;
constexpr int kTaps = 16; // per phase, centred on the interpolated point

const std::vector<double>& interpolationTaps() {
    static const std::vector<double> taps = [] {
        std::vector<double> result(kOversampling * kTaps);
        for (int phase = 0; phase < kOversampling; ++phase) {
            for (int tap = 0; tap < kTaps; ++tap) {
                double x = tap - (kTaps / 2 - 1) - double(phase) / kOversampling;
                double sinc = x == 0 ? 1 : std::sin(kPi * x) / (kPi * x);
                double window = 0.5 + 0.5 * std::cos(kPi * x / (kTaps / 2 + 1)); // Hann
                result[phase * kTaps + tap] = sinc * window;
            }
        }
        return result;
    }();
    return taps;
}

// The largest interpolated magnitude between frame n and n + 1 of one channel.
double peakNear(const std::vector<float>& channel, size_t n) {
    const std::vector<double>& taps = interpolationTaps();
    double peak = std::fabs(channel[n]);
    for (int phase = 1; phase < kOversampling; ++phase) {
        double sum = 0;
        for (int tap = 0; tap < kTaps; ++tap) {
            long index = long(n) + tap - (kTaps / 2 - 1);
            if (index >= 0 && index < long(channel.size()))
                sum += channel[index] * taps[phase * kTaps + tap];
        }
        peak = std::fmax(peak, std::fabs(sum));
    }
    return peak;
}

// Only samples near a loud one can hide a loud inter-sample peak; skipping the rest keeps the
// estimate quick without changing its result.
double framePeak(const StereoMix& mix, size_t n, double floor) {
    double peak = 0;
    for (const std::vector<float>* channel : {&mix.left, &mix.right}) {
        double nearby = std::fabs((*channel)[n]);
        if (n + 1 < channel->size())
            nearby = std::fmax(nearby, std::fabs((*channel)[n + 1]));
        peak = std::fmax(peak, nearby * 1.5 < floor ? nearby : peakNear(*channel, n));
    }
    return peak;
}

void scale(StereoMix& mix, double gain) {
    for (std::vector<float>* channel : {&mix.left, &mix.right})
        for (float& sample : *channel)
            sample = static_cast<float>(sample * gain);
}

// Gain that keeps every frame's true peak under the ceiling: the needed reduction is spread
// over a look-ahead window before each peak and released slowly after it.
void limit(StereoMix& mix, double ceiling) {
    const size_t frames = mix.left.size();
    const long window = 66; // 1.5 ms look-ahead
    std::vector<float> needed(frames);
    for (size_t n = 0; n < frames; ++n) {
        double peak = framePeak(mix, n, ceiling);
        needed[n] = static_cast<float>(peak > ceiling ? ceiling / peak : 1.0);
    }
    // Minimum over +-window, then a box average over +-window/2: every averaged value is
    // already a minimum over a span that includes n, so the gain never exceeds needed[n].
    std::vector<float> minimum(frames);
    std::deque<size_t> candidates;
    for (size_t n = 0, next = 0; n < frames; ++n) {
        for (; next < frames && next <= n + window; ++next) {
            while (!candidates.empty() && needed[candidates.back()] >= needed[next])
                candidates.pop_back();
            candidates.push_back(next);
        }
        while (candidates.front() + window < n)
            candidates.pop_front();
        minimum[n] = needed[candidates.front()];
    }
    const long half = window / 2;
    double sum = 0;
    const double release = std::exp(-1.0 / (0.08 * kSampleRate));
    double gain = 1;
    for (long n = -half; n < long(frames); ++n) {
        if (n + half < long(frames))
            sum += minimum[n + half];
        if (n - half - 1 >= 0)
            sum -= minimum[n - half - 1];
        if (n < 0)
            continue;
        long count = std::min<long>(n + half, frames - 1) - std::max<long>(n - half, 0) + 1;
        double smooth = sum / count;
        gain = std::min(smooth, 1 - (1 - gain) * release);
        mix.left[n] = static_cast<float>(mix.left[n] * gain);
        mix.right[n] = static_cast<float>(mix.right[n] * gain);
    }
}

} // namespace

double toDecibels(double gain) {
    return 20 * std::log10(gain);
}
double fromDecibels(double decibels) {
    return std::pow(10.0, decibels / 20);
}

double integratedLoudness(const StereoMix& mix) {
    const size_t hop = kSampleRate / 10, block = 4 * hop; // 400 ms blocks, 75 % overlap
    std::vector<double> weighted(mix.left.size());
    for (const std::vector<float>* channel : {&mix.left, &mix.right}) {
        Biquad head = shelf(), low = highPass();
        for (size_t n = 0; n < channel->size(); ++n) {
            double y = low.run(head.run((*channel)[n]));
            weighted[n] += y * y;
        }
    }
    std::vector<double> blocks;
    for (size_t start = 0; start + block <= weighted.size(); start += hop) {
        double sum = 0;
        for (size_t n = start; n < start + block; ++n)
            sum += weighted[n];
        blocks.push_back(sum / block);
    }
    auto gatedMean = [&blocks](double threshold) {
        double sum = 0;
        size_t count = 0;
        for (double meanSquare : blocks) {
            if (meanSquare > 0 && blockLoudness(meanSquare) > threshold) {
                sum += meanSquare;
                ++count;
            }
        }
        return count ? sum / count : 0.0;
    };
    double ungated = gatedMean(-70);
    if (ungated <= 0)
        return -70;
    return std::fmax(-70, blockLoudness(gatedMean(blockLoudness(ungated) - 10)));
}

double truePeak(const StereoMix& mix) {
    double peak = 0;
    for (size_t n = 0; n < mix.left.size(); ++n)
        peak = std::fmax(peak, framePeak(mix, n, peak));
    return peak;
}

void master(StereoMix& mix, double targetLufs, double ceilingDb) {
    const double ceiling = fromDecibels(ceilingDb);
    for (int pass = 0; pass < 2; ++pass) {
        scale(mix, fromDecibels(targetLufs - integratedLoudness(mix)));
        limit(mix, ceiling);
    }
}

} // namespace musicgen
