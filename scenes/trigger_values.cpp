// Trigger values read through the scene list's descriptions.
#include "scenes/trigger_values.h"

#include <cassert>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

// Cached on first use: a trigger firing does no string work beyond its own name and value.
#define SCENE_INFO_OF(Class, global, name, description)                                            \
    const SceneInfo& sceneInfoOf(const Class&) {                                                   \
        static const SceneInfo& info = *findScene(name);                                           \
        return info;                                                                               \
    }
SOLVANE_SCENES(SCENE_INFO_OF)
#undef SCENE_INFO_OF

namespace {

[[maybe_unused]] bool listsKeyword(const TriggerInfo& trigger, const char* keyword) {
    for (const char* const* listed = trigger.keywords; *listed; ++listed)
        if (std::strcmp(*listed, keyword) == 0)
            return true;
    return false;
}

} // namespace

float finiteFloat(double number) {
    if (std::isnan(number))
        return 0.0f;
    if (number > FLT_MAX)
        return FLT_MAX;
    if (number < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(number);
}

FiredTrigger::FiredTrigger(const SceneInfo& scene, const std::string& name,
                           const std::string& value)
    : scene(scene), info(findTrigger(scene, name)), value(value) {}

bool FiredTrigger::is(const char* triggerName) const {
    assert(findTrigger(scene, triggerName) && "add the trigger to the scene's row in the list");
    return info && info->name && std::strcmp(info->name, triggerName) == 0;
}

float FiredTrigger::number() const {
    assert(info && info->value == TriggerValue::Number && "the list must say it takes a number");
    return finiteFloat(std::strtod(value.c_str(), nullptr));
}

std::optional<int> FiredTrigger::index() const {
    assert(info && info->value == TriggerValue::Index && "the list must say it takes an index");
    // Compared as long: a value past the int range must not wrap into the range.
    const long index = std::strtol(value.c_str(), nullptr, 10);
    if (index < 0 || index >= info->indexCount)
        return std::nullopt;
    return static_cast<int>(index);
}

bool FiredTrigger::means(const char* keyword) const {
    assert(info && info->value == TriggerValue::Keyword && "the list must give its keywords");
    assert(listsKeyword(*info, keyword) && "ask only for a keyword the list gives");
    const char* meant = fallbackKeyword(*info);
    for (const char* const* listed = info->keywords; *listed; ++listed)
        if (value == *listed)
            meant = *listed;
    return std::strcmp(meant, keyword) == 0;
}
