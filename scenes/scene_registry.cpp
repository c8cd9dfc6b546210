// The scene descriptions, expanded from the one scene list.
#include "scenes/scene_registry.h"

#include <cassert>
#include <cstddef>

namespace {

const char* const kInOut[] = {"in", "out", nullptr};
const char* const kWhiteBlack[] = {"white", "black", nullptr};

constexpr std::nullptr_t kNoTriggers = nullptr;
const TriggerInfo kAnyTrigger[] = {
    {nullptr, TriggerValue::Ignored, nullptr, 0, "restarts the animation"}};
const TriggerInfo kCubesTriggers[] = {
    {nullptr, TriggerValue::Ignored, nullptr, 0,
     "the first after the grow-in makes the cubes shrink away, the next brings them back"}};
const TriggerInfo kMeterTriggers[] = {
    {nullptr, TriggerValue::Ignored, nullptr, 0, "moves the bar heights on by one step"}};
const TriggerInfo kSpeedTrigger[] = {
    {nullptr, TriggerValue::Number, nullptr, 0,
     "shows the next picture and restarts its pulse at this speed (1 is normal, 0 freezes it "
     "unseen)"}};
const TriggerInfo kFadeTriggers[] = {
    {"mode", TriggerValue::Keyword, kInOut, 0,
     "the direction: 'in' shows the picture more and more, 'out' less and less; kept until "
     "the next one"}};
const TriggerInfo kCrashTriggers[] = {
    {"color", TriggerValue::Keyword, kWhiteBlack, 0,
     "'white' shows the picture on the shards, 'black' makes them silhouettes"}};
const TriggerInfo kParticlesTriggers[] = {
    {"enlarge", TriggerValue::Number, nullptr, 0,
     "adds this much to the sprites' size; it sinks back by 3 a second"},
    {"contract", TriggerValue::Ignored, nullptr, 0,
     "from now on the lattice grows by 1 a second, for good"},
    {"expand", TriggerValue::Number, nullptr, 0,
     "adds this much to the lattice's size; it sinks back by 3 a second"},
    {"end", TriggerValue::Ignored, nullptr, 0, "turns the sprites from orange to pale cyan"},
};
const TriggerInfo kBackgroundTriggers[] = {
    {"r", TriggerValue::Number, nullptr, 0, "red, 0 to 1 (starts at 1)"},
    {"g", TriggerValue::Number, nullptr, 0, "green, 0 to 1 (starts at 1)"},
    {"b", TriggerValue::Number, nullptr, 0, "blue, 0 to 1 (starts at 1)"},
    {"a", TriggerValue::Number, nullptr, 0, "opacity, 0 to 1 (starts at 1)"},
};
const TriggerInfo kBlurTriggers[] = {
    {"amount", TriggerValue::Number, nullptr, 0,
     "the trails' opacity, 0 (none) to 1 (starts at 0.9)"},
    {"step", TriggerValue::Number, nullptr, 0,
     "how much larger each older frame is drawn; 1 leaves trails in place (starts at 1.05)"},
};
const TriggerInfo kPictureTriggers[] = {
    {"texture", TriggerValue::Index, nullptr, 2,
     "which picture: 0 shows data/2.png, 1 shows data/1.png (starts at 0)"}};

// What each scene draws, keyed by its global in the scene list.
const char* const fadeDraws =
    "the captured frame over the screen, fading in or out over the effect";
const char* const twisterDraws =
    "a cell-shaded six-armed star writhing in front of a full-screen picture (data/1.png)";
const char* const crashDraws =
    "the captured frame shattered into 200 shards that fly apart, fall and fade";
const char* const endcubeDraws =
    "the captured frame folded into a cube that tumbles away over a picture (data/4.png)";
const char* const planesDraws =
    "a flight between a textured floor and ceiling (data/planes.png), fogged to black";
const char* const r2texDraws =
    "nothing: captures the frame drawn so far for later effects, then clears it";
const char* const particlesDraws =
    "a tumbling 10 x 10 x 10 lattice of glowing orange sprites, added onto the frame";
const char* const creditsDraws =
    "three credit pictures in turn, each zooming up while it flashes in and out";
const char* const greetsDraws =
    "four picture bands wrapped round square columns, turning, yellow-tinted and fogged";
const char* const backgroundDraws = "the whole screen in one colour, blended by its opacity";
const char* const tflyDraws =
    "the captured frame as a card that tumbles away into the distance and fades";
const char* const tstretchDraws = "the captured frame squeezed to a thin band and then to nothing";
const char* const radialblurDraws =
    "trails: the earlier frames enlarged about the centre and faded under the new one";
const char* const backgroundtexDraws = "one of two pictures over the whole screen, opaque";
const char* const designmojsDraws =
    "two rows of pulsing glow blobs near the top and bottom edges, gone after 1.4 s";
const char* const cubesDraws =
    "a 5 x 5 x 5 lattice of lit, textured cubes pulsing in a wave (data/cubes.png)";
const char* const spinningDraws =
    "a glowing paddle wheel of 40 faint panels (data/spinning.png) turning round the viewer";
const char* const linesDraws = "100 thin grey bars sweeping up and down, added onto the frame";
const char* const designmojs2Draws = "a tiny five-bar level meter in the lower right corner";
const char* const introDraws =
    "one title strip at a time (data/intro1.png to intro3.png), pulsing in and out";
const char* const starsDraws =
    "500 half-transparent six-pointed stars swelling and turning over the effect";

template <size_t count> constexpr int countOf(const TriggerInfo (&)[count]) {
    return static_cast<int>(count);
}
constexpr int countOf(std::nullptr_t) {
    return 0;
}

} // namespace

#define SCENE_INFO(Class, global, name, triggers, flags)                                           \
    {name, triggers, countOf(triggers), flags, global##Draws},
const SceneInfo kScenes[] = {SOLVANE_SCENES(SCENE_INFO)};
#undef SCENE_INFO
const int kSceneCount = sizeof kScenes / sizeof kScenes[0];

const SceneInfo* findScene(const std::string& name) {
    for (const SceneInfo& scene : kScenes)
        if (name == scene.name)
            return &scene;
    return nullptr;
}

const SceneInfo& captureScene() {
    for (const SceneInfo& scene : kScenes)
        if (scene.flags & kWritesCapture)
            return scene;
    assert(false && "the scene list needs a scene flagged kWritesCapture");
    return kScenes[0];
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

std::string describeTriggerValue(const TriggerInfo& trigger) {
    switch (trigger.value) {
    case TriggerValue::Ignored:
        return "any value (not read)";
    case TriggerValue::Number:
        return "a number";
    case TriggerValue::Index:
        return "a whole number from 0 to " + std::to_string(trigger.indexCount - 1);
    case TriggerValue::Keyword:
        break;
    }
    std::string text;
    const char* last = fallbackKeyword(trigger);
    for (const char* const* keyword = trigger.keywords; *keyword; ++keyword)
        text += (text.empty() ? "'" : keyword[1] ? ", '" : " or '") + std::string(*keyword) + "'";
    return text + " (any other value means '" + last + "')";
}

const char* fallbackKeyword(const TriggerInfo& trigger) {
    const char* last = nullptr;
    for (const char* const* keyword = trigger.keywords; keyword && *keyword; ++keyword)
        last = *keyword;
    return last;
}
