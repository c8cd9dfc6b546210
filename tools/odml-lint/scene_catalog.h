// What the linter knows of the demo's scenes: their timeline names and the trigger names
// each one acts on. Kept beside the linter so it runs without a display or the GL scenes.
#pragma once

#include <string>

struct SceneInfo {
    const char* name;
    // Trigger names the scene acts on, or null when it acts on every trigger whatever its
    // name; an empty list (first entry null) when it ignores all triggers.
    const char* const* triggerNames;
    bool actsOnAnyName;
    // It draws the frame captured by an earlier "render2texture" effect.
    bool readsCapture;
};

extern const SceneInfo kScenes[];
extern const int kSceneCount;

const SceneInfo* findScene(const std::string& name);
bool sceneActsOn(const SceneInfo& scene, const std::string& triggerName);
std::string describeTriggerNames(const SceneInfo& scene);
