// MP3 output through libmp3lame.
#pragma once

#include "tools/generators/musicgen/arrange.h"

#include <string>

namespace musicgen {

constexpr int kBitrateKbps = 256;

// Writes the mix as a constant-bitrate 44.1 kHz stereo MP3 with an Info tag, so decoders know
// the exact length. Returns an empty string on success, otherwise "what failed: why".
std::string writeMp3(const StereoMix& mix, const std::string& path);

} // namespace musicgen
