// The one list of the demo's scenes: each row gives the timeline name, the class that draws
// it, and its description: what it draws, the triggers it understands with the values they
// take, and what it does with captured frames. The scene table (scenes/scene_table.h) expands
// the rows into constructors and the scenes read their trigger values through the
// descriptions (scenes/trigger_values.h); the linter and the docs read only the descriptions,
// so this header and its table need no display, GL or sound.
//
// The row order is the construction and registration order. Keep it: the crash shards and the
// stars draw from one shared rand() sequence, seeded by construction in this order.
#pragma once

#include <string>

// SCENE(Class, global, "name", description): the scene class, its global, its timeline name and
// its description in scene_registry.cpp (what it draws, the triggers it takes, its flags).
#define SOLVANE_SCENES(SCENE)                                                                      \
    SCENE(FadeScene, fade, "fade", kFade)                                                          \
    SCENE(TwisterScene, twister, "twister", kTwister)                                              \
    SCENE(CrashScene, crash, "crash", kCrash)                                                      \
    SCENE(EndCubeScene, endcube, "endcube", kEndcube)                                              \
    SCENE(PlanesScene, planes, "planes", kPlanes)                                                  \
    SCENE(R2texScene, r2tex, "render2texture", kRender2texture)                                    \
    SCENE(ParticlesScene, particles, "particles", kParticles)                                      \
    SCENE(CreditsScene, credits, "credits", kCredits)                                              \
    SCENE(GreetingsScene, greets, "greetings", kGreetings)                                         \
    SCENE(BackgroundScene, background, "background", kBackground)                                  \
    SCENE(TFlyScene, tfly, "tfly", kTfly)                                                          \
    SCENE(StretchTransition, tstretch, "tstretch", kTstretch)                                      \
    SCENE(RadialBlur, radialblur, "radialblur", kRadialblur)                                       \
    SCENE(BackgroundTex, backgroundtex, "backgroundtex", kBackgroundtex)                           \
    SCENE(DesignMojs, designmojs, "designmojs", kDesignmojs)                                       \
    SCENE(CubesScene, cubes, "cubes", kCubes)                                                      \
    SCENE(SpinningScene, spinning, "spinning", kSpinning)                                          \
    SCENE(LinesScene, lines, "lines", kLines)                                                      \
    SCENE(DesignMojs2, designmojs2, "designmojs2", kDesignmojs2)                                   \
    SCENE(IntroScene, intro, "intro", kIntro)                                                      \
    SCENE(StarsScene, stars, "stars", kStars)

// What a trigger's value means to the scene that reads it.
enum class TriggerValue {
    Ignored, // only the trigger's time matters
    Number,  // read as a decimal number; text that is not one, or nan, reads as 0, and a number
             // beyond the float range as the nearest float
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
