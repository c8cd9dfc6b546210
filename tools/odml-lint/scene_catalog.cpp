// The demo's 21 scenes in registration order, with the triggers each one understands.
#include "tools/odml-lint/scene_catalog.h"

namespace {

const char* const kNone[] = {nullptr};
const char* const kMode[] = {"mode", nullptr};
const char* const kColor[] = {"color", nullptr};
const char* const kParticles[] = {"enlarge", "contract", "expand", "end", nullptr};
const char* const kBlur[] = {"amount", "step", nullptr};
const char* const kRgba[] = {"r", "g", "b", "a", nullptr};
const char* const kTexture[] = {"texture", nullptr};

} // namespace

const SceneInfo kScenes[] = {
    {"fade", kMode, false, true},
    {"twister", kNone, false, false},
    {"crash", kColor, false, true},
    {"endcube", kNone, false, true},
    {"planes", kNone, false, false},
    {"render2texture", kNone, false, false},
    {"particles", kParticles, false, false},
    {"credits", nullptr, true, false},
    {"greetings", kNone, false, false},
    {"background", kRgba, false, false},
    {"tfly", kNone, false, true},
    {"tstretch", kMode, false, true},
    {"radialblur", kBlur, false, false},
    {"backgroundtex", kTexture, false, false},
    {"designmojs", nullptr, true, false},
    {"cubes", nullptr, true, false},
    {"spinning", kNone, false, false},
    {"lines", kNone, false, false},
    {"designmojs2", nullptr, true, false},
    {"intro", nullptr, true, false},
    {"stars", kNone, false, false},
};
const int kSceneCount = sizeof kScenes / sizeof kScenes[0];

const SceneInfo* findScene(const std::string& name) {
    for (const SceneInfo& scene : kScenes)
        if (name == scene.name)
            return &scene;
    return nullptr;
}

bool sceneActsOn(const SceneInfo& scene, const std::string& triggerName) {
    if (scene.actsOnAnyName)
        return true;
    for (const char* const* name = scene.triggerNames; *name; ++name)
        if (triggerName == *name)
            return true;
    return false;
}

std::string describeTriggerNames(const SceneInfo& scene) {
    std::string names;
    for (const char* const* name = scene.triggerNames; *name; ++name)
        names += (names.empty() ? "'" : ", '") + std::string(*name) + "'";
    return names;
}
