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

// A scene's description: what it draws, the triggers it understands (none, or a table above)
// and its SceneFlags.
struct SceneDescription {
    const char* draws;
    const TriggerInfo* triggers;
    int triggerCount;
    int flags;
};

constexpr SceneDescription describe(const char* draws, std::nullptr_t, int flags = 0) {
    return {draws, nullptr, 0, flags};
}
template <size_t count>
constexpr SceneDescription describe(const char* draws, const TriggerInfo (&triggers)[count],
                                    int flags = 0) {
    return {draws, triggers, static_cast<int>(count), flags};
}

constexpr SceneDescription kFade =
    describe("the captured frame over the screen, fading in or out over the effect", kFadeTriggers,
             kReadsCapture);
constexpr SceneDescription kTwister =
    describe("a cell-shaded six-armed star writhing in front of a full-screen picture (data/1.png)",
             kNoTriggers);
constexpr SceneDescription kCrash =
    describe("the captured frame shattered into 200 shards that fly apart, fall and fade",
             kCrashTriggers, kReadsCapture);
constexpr SceneDescription kEndcube =
    describe("the captured frame folded into a cube that tumbles away over a picture (data/4.png)",
             kNoTriggers, kReadsCapture);
constexpr SceneDescription kPlanes =
    describe("a flight between a textured floor and ceiling (data/planes.png), fogged to black",
             kNoTriggers);
constexpr SceneDescription kRender2texture =
    describe("nothing: captures the frame drawn so far for later effects, then clears it",
             kNoTriggers, kWritesCapture | kCopiesFrame);
constexpr SceneDescription kParticles =
    describe("a tumbling 10 x 10 x 10 lattice of glowing orange sprites, added onto the frame",
             kParticlesTriggers);
constexpr SceneDescription kCredits = describe(
    "three credit pictures in turn, each zooming up while it flashes in and out", kAnyTrigger);
constexpr SceneDescription kGreetings =
    describe("four picture bands wrapped round square columns, turning, yellow-tinted and fogged",
             kNoTriggers);
constexpr SceneDescription kBackground =
    describe("the whole screen in one colour, blended by its opacity", kBackgroundTriggers);
constexpr SceneDescription kTfly =
    describe("the captured frame as a card that tumbles away into the distance and fades",
             kNoTriggers, kReadsCapture);
constexpr SceneDescription kTstretch = describe(
    "the captured frame squeezed to a thin band and then to nothing", kFadeTriggers, kReadsCapture);
constexpr SceneDescription kRadialblur =
    describe("trails: the earlier frames enlarged about the centre and faded under the new one",
             kBlurTriggers, kCopiesFrame);
constexpr SceneDescription kBackgroundtex =
    describe("one of two pictures over the whole screen, opaque", kPictureTriggers);
constexpr SceneDescription kDesignmojs = describe(
    "two rows of pulsing glow blobs near the top and bottom edges, gone after 1.4 s", kAnyTrigger);
constexpr SceneDescription kCubes =
    describe("a 5 x 5 x 5 lattice of lit, textured cubes pulsing in a wave (data/cubes.png)",
             kCubesTriggers);
constexpr SceneDescription kSpinning = describe(
    "a glowing paddle wheel of 40 faint panels (data/spinning.png) turning round the viewer",
    kNoTriggers);
constexpr SceneDescription kLines =
    describe("100 thin grey bars sweeping up and down, added onto the frame", kNoTriggers);
constexpr SceneDescription kDesignmojs2 =
    describe("a tiny five-bar level meter in the lower right corner", kMeterTriggers);
constexpr SceneDescription kIntro = describe(
    "one title strip at a time (data/intro1.png to intro3.png), pulsing in and out", kSpeedTrigger);
constexpr SceneDescription kStars = describe(
    "500 half-transparent six-pointed stars swelling and turning over the effect", kNoTriggers);

} // namespace

#define SCENE_INFO(Class, global, name, description)                                               \
    {name, description.triggers, description.triggerCount, description.flags, description.draws},
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
