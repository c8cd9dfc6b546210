// The scene descriptions, expanded from the one scene list.
#include "scenes/scene_registry.h"

#include <cstddef>

namespace {

const char* const kInOut[] = {"in", "out", nullptr};
const char* const kWhiteBlack[] = {"white", "black", nullptr};

constexpr std::nullptr_t kNoTriggers = nullptr;
const TriggerInfo kAnyTrigger[] = {{nullptr, TriggerValue::Ignored, nullptr, 0}};
const TriggerInfo kSpeedTrigger[] = {{nullptr, TriggerValue::Number, nullptr, 0}};
const TriggerInfo kFadeTriggers[] = {{"mode", TriggerValue::Keyword, kInOut, 0}};
const TriggerInfo kCrashTriggers[] = {{"color", TriggerValue::Keyword, kWhiteBlack, 0}};
const TriggerInfo kParticlesTriggers[] = {
    {"enlarge", TriggerValue::Number, nullptr, 0},
    {"contract", TriggerValue::Ignored, nullptr, 0},
    {"expand", TriggerValue::Number, nullptr, 0},
    {"end", TriggerValue::Ignored, nullptr, 0},
};
const TriggerInfo kBackgroundTriggers[] = {
    {"r", TriggerValue::Number, nullptr, 0},
    {"g", TriggerValue::Number, nullptr, 0},
    {"b", TriggerValue::Number, nullptr, 0},
    {"a", TriggerValue::Number, nullptr, 0},
};
const TriggerInfo kBlurTriggers[] = {
    {"amount", TriggerValue::Number, nullptr, 0},
    {"step", TriggerValue::Number, nullptr, 0},
};
const TriggerInfo kPictureTriggers[] = {{"texture", TriggerValue::Index, nullptr, 2}};

template <size_t count> constexpr int countOf(const TriggerInfo (&)[count]) {
    return static_cast<int>(count);
}
constexpr int countOf(std::nullptr_t) {
    return 0;
}

} // namespace

#define SCENE_INFO(Class, global, name, triggers, flags) {name, triggers, countOf(triggers), flags},
const SceneInfo kScenes[] = {SOLVANE_SCENES(SCENE_INFO)};
#undef SCENE_INFO
const int kSceneCount = sizeof kScenes / sizeof kScenes[0];

const SceneInfo* findScene(const std::string& name) {
    for (const SceneInfo& scene : kScenes)
        if (name == scene.name)
            return &scene;
    return nullptr;
}

bool sceneActsOnAnyName(const SceneInfo& scene) {
    return scene.triggerCount == 1 && !scene.triggers[0].name;
}

const TriggerInfo* findTrigger(const SceneInfo& scene, const std::string& name) {
    if (sceneActsOnAnyName(scene))
        return &scene.triggers[0];
    for (int i = 0; i < scene.triggerCount; ++i)
        if (name == scene.triggers[i].name)
            return &scene.triggers[i];
    return nullptr;
}

std::string describeTriggerNames(const SceneInfo& scene) {
    std::string names;
    for (int i = 0; i < scene.triggerCount; ++i)
        names += (names.empty() ? "'" : ", '") + std::string(scene.triggers[i].name) + "'";
    return names;
}
