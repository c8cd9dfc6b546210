// The one list of the demo's scenes: each row gives the timeline name, the class that draws
// it, and the triggers it understands with the values they take. The host expands the rows
// into constructors; the linter and the docs read only the descriptions, so this header and
// its table need no display, GL or sound.
//
// The row order is the construction and registration order. Keep it: the crash shards and the
// stars draw from one shared rand() sequence, seeded by construction in this order.
#pragma once

#include <string>

// SCENE(Class, global, "name", triggers, flags)
#define SOLVANE_SCENES(SCENE)                                                                      \
    SCENE(FadeScene, fade, "fade", kFadeTriggers, kReadsCapture)                                   \
    SCENE(TwisterScene, twister, "twister", kNoTriggers, 0)                                        \
    SCENE(CrashScene, crash, "crash", kCrashTriggers, kReadsCapture)                               \
    SCENE(EndCubeScene, endcube, "endcube", kNoTriggers, kReadsCapture)                            \
    SCENE(PlanesScene, planes, "planes", kNoTriggers, 0)                                           \
    SCENE(R2texScene, r2tex, "render2texture", kNoTriggers, kWritesCapture | kCopiesFrame)         \
    SCENE(ParticlesScene, particles, "particles", kParticlesTriggers, 0)                           \
    SCENE(CreditsScene, credits, "credits", kAnyTrigger, 0)                                        \
    SCENE(GreetingsScene, greets, "greetings", kNoTriggers, 0)                                     \
    SCENE(BackgroundScene, background, "background", kBackgroundTriggers, 0)                       \
    SCENE(TFlyScene, tfly, "tfly", kNoTriggers, kReadsCapture)                                     \
    SCENE(StretchTransition, tstretch, "tstretch", kFadeTriggers, kReadsCapture)                   \
    SCENE(RadialBlur, radialblur, "radialblur", kBlurTriggers, kCopiesFrame)                       \
    SCENE(BackgroundTex, backgroundtex, "backgroundtex", kPictureTriggers, 0)                      \
    SCENE(DesignMojs, designmojs, "designmojs", kAnyTrigger, 0)                                    \
    SCENE(CubesScene, cubes, "cubes", kCubesTriggers, 0)                                           \
    SCENE(SpinningScene, spinning, "spinning", kNoTriggers, 0)                                     \
    SCENE(LinesScene, lines, "lines", kNoTriggers, 0)                                              \
    SCENE(DesignMojs2, designmojs2, "designmojs2", kMeterTriggers, 0)                              \
    SCENE(IntroScene, intro, "intro", kSpeedTrigger, 0)                                            \
    SCENE(StarsScene, stars, "stars", kNoTriggers, 0)

// What a trigger's value means to the scene that reads it.
enum class TriggerValue {
    Ignored, // only the trigger's time matters
    Number,  // read as a decimal number; text that is not one reads as 0
    Index,   // read as a whole number; out-of-range indices are ignored
    Keyword, // compared with the listed keywords; anything else means the last one
};

struct TriggerInfo {
    const char* name; // null: the scene acts on a trigger of any name
    TriggerValue value;
    const char* const* keywords; // null-terminated, for Keyword values
    int indexCount;              // valid indices are 0 .. indexCount-1, for Index values
    const char* does;            // what a trigger does to the scene, one line for authors
};

enum SceneFlags {
    kReadsCapture = 1,  // shows the frame an earlier "render2texture" captured
    kWritesCapture = 2, // captures the frame drawn so far
    kCopiesFrame = 4,   // copies the frame into a texture that a later frame shows
};

struct SceneInfo {
    const char* name;
    // The triggers it understands; a scene that acts on any name has one row, named null.
    const TriggerInfo* triggers;
    int triggerCount;
    int flags;
    const char* draws; // what it paints, one line for authors
};

extern const SceneInfo kScenes[];
extern const int kSceneCount;

// The scene a timeline names, or null.
const SceneInfo* findScene(const std::string& name);
// The trigger of that name the scene understands, or null when it ignores the name.
const TriggerInfo* findTrigger(const SceneInfo& scene, const std::string& name);
bool sceneActsOnAnyName(const SceneInfo& scene);
// The scene that captures the frame for the kReadsCapture scenes.
const SceneInfo& captureScene();
// The trigger names as the linter quotes them: 'a', 'b'.
std::string describeTriggerNames(const SceneInfo& scene);
// The values a trigger takes, for authors: "a number", "'in' or 'out' (any other value
// means 'out')".
std::string describeTriggerValue(const TriggerInfo& trigger);
// The keyword a Keyword trigger falls back to for any other value: the last one listed.
const char* fallbackKeyword(const TriggerInfo& trigger);
