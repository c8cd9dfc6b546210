// What the timeline shows when: the effects active at a time, by the same comparisons as
// Script::update, and the registry names of their scenes.
#pragma once

#include "framework/script.h"

#include <string>
#include <vector>

namespace authoring {

// The name a scene was registered under (the last row holding that pointer, as the reader's
// lookup picks the last match), or "(no scene)" for an effect whose name matched nothing.
std::string sceneName(const tarvo64k::Script& script, const tarvo64k::Callback* callback);

// The indexes, in file order, of the effects that paint at `time` seconds.
void activeEffects(const tarvo64k::Script& script, float time, std::vector<int>* indexes);

// The scene name of every effect, in file order. Read once, before anything (the profiler)
// puts stand-ins in front of the scenes.
std::vector<std::string> effectSceneNames(const tarvo64k::Script& script);

// "background, twister" for those effects, the first 8 named and then "and N more";
// "(nothing)" for none.
std::string describeEffects(const std::vector<std::string>& effectNames,
                            const std::vector<int>& indexes);

} // namespace authoring
