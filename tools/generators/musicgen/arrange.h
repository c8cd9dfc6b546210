// Plays the score through the voices and the effects into one stereo mix.
#pragma once

#include <vector>

namespace musicgen {

struct StereoMix {
    std::vector<float> left, right;
};

// The whole piece, unmastered: levels are only balanced between voices.
StereoMix renderSong();

} // namespace musicgen
