// How a scene reads a trigger that fired: through the scene list's description of that trigger
// (a number, an index with its range, one of its keywords), so that the list is the one
// statement of what each scene accepts and a scene's `trigger` says only what it does with the
// value.
#pragma once

#include "scenes/scene_registry.h"

#include <optional>
#include <string>

// The scene list's row for each scene class, found by the row that names the class.
#define SCENE_INFO_OF(Class, global, name, description)                                            \
    class Class;                                                                                   \
    const SceneInfo& sceneInfoOf(const Class&);
SOLVANE_SCENES(SCENE_INFO_OF)
#undef SCENE_INFO_OF

// A number the timeline gave, as a float: rounded as the hardware rounds, the nearest finite
// float beyond the float range (1e300 reads as the largest float, -inf as the lowest), and 0
// for nan, so that no value can make the conversion undefined or leave a scene holding nan.
float finiteFloat(double number);

// One trigger as it fired, read by the scene it fired on. Lives only inside `trigger`: it
// refers to the name and value it was given.
class FiredTrigger {
public:
    FiredTrigger(const SceneInfo& scene, const std::string& name, const std::string& value);

    // Whether this is the trigger named `triggerName`, which the scene list must give the
    // scene.
    bool is(const char* triggerName) const;
    // A Number trigger's value: read as the timeline reader reads numbers (strtod: leading
    // blanks skipped, the longest number prefix, 0 when there is none), then finiteFloat.
    float number() const;
    // An Index trigger's value: the whole number at its start, or nothing when it lies outside
    // the listed range (the scene then ignores the trigger).
    std::optional<int> index() const;
    // Whether a Keyword trigger's value means `keyword`, one of the listed keywords: a value
    // that is none of them exactly means the last one.
    bool means(const char* keyword) const;

private:
    [[maybe_unused]] const SceneInfo& scene; // read by the asserts only
    const TriggerInfo* info;                 // null: the scene ignores a trigger of this name
    const std::string& value;
};
