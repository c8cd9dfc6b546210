// Mastering for the soundtrack: loudness as ITU-R BS.1770 measures it, an oversampled true-peak
// estimate, and a look-ahead limiter that brings the mix to a loudness under a peak ceiling.
#pragma once

#include "tools/generators/musicgen/arrange.h"

namespace musicgen {

// Gated integrated loudness in LUFS of a 44.1 kHz stereo signal; -70 or below reads as -70.
double integratedLoudness(const StereoMix& mix);

// The highest absolute value of the signal between samples, estimated by 4x oversampling.
double truePeak(const StereoMix& mix);

double toDecibels(double gain);
double fromDecibels(double decibels);

// Scales the mix to the target loudness and limits it so the true peak stays at or under
// the ceiling (dBTP). Limiting costs some loudness, so it makes a second pass to win it back.
void master(StereoMix& mix, double targetLufs, double ceilingDb);

} // namespace musicgen
