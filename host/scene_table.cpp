// The scene table. Construction, registration and destruction all walk it in order; a scene
// is destroyed through its own class, since Callback has no virtual destructor.
#include "host/scene_table.h"
#include "scenes/background_scene.h"
#include "scenes/background_tex.h"
#include "scenes/crash_scene.h"
#include "scenes/credits_scene.h"
#include "scenes/cubes_scene.h"
#include "scenes/design_mojs.h"
#include "scenes/design_mojs2.h"
#include "scenes/end_cube_scene.h"
#include "scenes/fade_scene.h"
#include "scenes/greetings_scene.h"
#include "scenes/intro_scene.h"
#include "scenes/lines_scene.h"
#include "scenes/particles_scene.h"
#include "scenes/planes_scene.h"
#include "scenes/r2tex_scene.h"
#include "scenes/radial_blur.h"
#include "scenes/spinning_scene.h"
#include "scenes/stars_scene.h"
#include "scenes/stretch_transition.h"
#include "scenes/tfly_scene.h"
#include "scenes/twister_scene.h"

FadeScene* fade = nullptr;
TwisterScene* twister = nullptr;
CrashScene* crash = nullptr;
EndCubeScene* endcube = nullptr;
PlanesScene* planes = nullptr;
R2texScene* r2tex = nullptr;
ParticlesScene* particles = nullptr;
CreditsScene* credits = nullptr;
GreetingsScene* greets = nullptr;
BackgroundScene* background = nullptr;
TFlyScene* tfly = nullptr;
StretchTransition* tstretch = nullptr;
RadialBlur* radialblur = nullptr;
BackgroundTex* backgroundtex = nullptr;
DesignMojs* designmojs = nullptr;
CubesScene* cubes = nullptr;
SpinningScene* spinning = nullptr;
LinesScene* lines = nullptr;
DesignMojs2* designmojs2 = nullptr;
IntroScene* intro = nullptr;
StarsScene* stars = nullptr;

namespace {

struct SceneSlot {
    const char* name;
    void (*construct)();
    tarvo64k::Callback* (*get)();
    void (*destroy)();
};

template <typename Scene, Scene** global> void constructScene() {
    *global = new Scene;
}
template <typename Scene, Scene** global> tarvo64k::Callback* getScene() {
    return *global;
}
template <typename Scene, Scene** global> void destroyScene() {
    delete *global;
}

#define SCENE_SLOT(name, Scene, global)                                                            \
    { name, constructScene<Scene, &global>, getScene<Scene, &global>, destroyScene<Scene, &global> }

// Rows are added as scenes are written; the null row ends the table.
// clang-format off
const SceneSlot kSceneTable[] = {
    SCENE_SLOT("fade", FadeScene, fade),
    SCENE_SLOT("twister", TwisterScene, twister),
    SCENE_SLOT("crash", CrashScene, crash),
    SCENE_SLOT("endcube", EndCubeScene, endcube),
    SCENE_SLOT("planes", PlanesScene, planes),
    SCENE_SLOT("render2texture", R2texScene, r2tex),
    SCENE_SLOT("particles", ParticlesScene, particles),
    SCENE_SLOT("credits", CreditsScene, credits),
    SCENE_SLOT("greetings", GreetingsScene, greets),
    SCENE_SLOT("background", BackgroundScene, background),
    SCENE_SLOT("tfly", TFlyScene, tfly),
    SCENE_SLOT("tstretch", StretchTransition, tstretch),
    SCENE_SLOT("radialblur", RadialBlur, radialblur),
    SCENE_SLOT("backgroundtex", BackgroundTex, backgroundtex),
    SCENE_SLOT("designmojs", DesignMojs, designmojs),
    SCENE_SLOT("cubes", CubesScene, cubes),
    SCENE_SLOT("spinning", SpinningScene, spinning),
    SCENE_SLOT("lines", LinesScene, lines),
    SCENE_SLOT("designmojs2", DesignMojs2, designmojs2),
    SCENE_SLOT("intro", IntroScene, intro),
    SCENE_SLOT("stars", StarsScene, stars),
    {nullptr, nullptr, nullptr, nullptr},
};
// clang-format on

} // namespace

void constructScenes() {
    for (const SceneSlot* slot = kSceneTable; slot->name; ++slot)
        slot->construct();
}

void registerScenes(tarvo64k::Script& target) {
    for (const SceneSlot* slot = kSceneTable; slot->name; ++slot)
        target.addCallback(slot->name, slot->get());
}

void destroyScenes() {
    for (const SceneSlot* slot = kSceneTable; slot->name; ++slot)
        slot->destroy();
}
