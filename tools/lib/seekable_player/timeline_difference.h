// Where two timelines start to play differently, so that a reload keeps what came before.
#pragma once

#include "framework/script.h"

#include <vector>

namespace authoring {

// The earliest music time, in seconds, from which playing `after` can differ from playing
// `before`: the first effect or trigger added, removed or changed (effects compare by the
// scene they call, so both must have the same scenes registered). Infinity when they play
// alike throughout.
float firstDifference(const tarvo64k::Script& before, const tarvo64k::Script& after);

// Fired-trigger counts of `before`, in its playbackState order, for a time before `until` (at
// most firstDifference), given in `after`'s order: a trigger of `after` not due before `until`
// counts 0.
std::vector<int> carryFiredCounts(const tarvo64k::Script& before, const tarvo64k::Script& after,
                                  float until, const std::vector<int>& fired);

} // namespace authoring
