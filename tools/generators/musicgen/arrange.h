// Plays the score through the voices and the effects into one stereo mix, noting its onsets.
#pragma once

#include "tools/lib/cues/cue_sheet.h"

#include <vector>

namespace musicgen {

struct StereoMix {
    std::vector<float> left, right;
};

using Onsets = std::vector<cues::Cue>;

// The whole piece, unmastered: levels are only balanced between voices. Each kick, clap,
// snare, hook statement and fill start is recorded in `onsets` (when given) as it is played,
// in time order.
StereoMix renderSong(Onsets* onsets = nullptr);

} // namespace musicgen
