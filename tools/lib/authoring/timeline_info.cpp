// Effect names and active sets, read from the script's records without changing them.
#include "tools/lib/authoring/timeline_info.h"

namespace authoring {

std::string sceneName(const tarvo64k::Script& script, const tarvo64k::Callback* callback) {
    if (!callback)
        return "(no scene)";
    for (auto row = script.callbacks.rbegin(); row != script.callbacks.rend(); ++row)
        if ((*row)->callback == callback)
            return (*row)->name;
    return "(unregistered)";
}

void activeEffects(const tarvo64k::Script& script, float time, std::vector<int>* indexes) {
    indexes->clear();
    if (time < 0 || time > script.lastEnd)
        return;
    for (size_t i = 0; i < script.effects.size(); ++i) {
        const tarvo64k::Effect* effect = script.effects[i];
        if (effect->activeAt(time))
            indexes->push_back(static_cast<int>(i));
    }
}

std::vector<std::string> effectSceneNames(const tarvo64k::Script& script) {
    std::vector<std::string> names;
    for (const tarvo64k::Effect* effect : script.effects)
        names.push_back(sceneName(script, effect->callback));
    return names;
}

std::string describeEffects(const std::vector<std::string>& effectNames,
                            const std::vector<int>& indexes) {
    if (indexes.empty())
        return "(nothing)";
    // A table row or a caption, never a page: thousands of effects can be active at once.
    constexpr size_t kMostNamed = 8;
    std::string text;
    for (size_t i = 0; i < indexes.size() && i < kMostNamed; ++i)
        text += (i ? ", " : "") + effectNames[static_cast<size_t>(indexes[i])];
    if (indexes.size() > kMostNamed)
        text += " and " + std::to_string(indexes.size() - kMostNamed) + " more";
    return text;
}

} // namespace authoring
