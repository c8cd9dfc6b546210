// The scene table, expanded from the scene list. Construction, registration and destruction
// all walk it in order; a scene is destroyed through its own class, since Callback has no
// virtual destructor.
#include "scenes/scene_table.h"

#include "gfx/computed_textures.h"
#include "gfx/png_loader.h"
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

#include <GL/gl.h>

#define SCENE_GLOBAL(Class, global, name, description) Class* global = nullptr;
SOLVANE_SCENES(SCENE_GLOBAL)
#undef SCENE_GLOBAL

namespace {

struct SceneSlot {
    const char* name;
    void (*construct)();
    tarvo64k::Callback* (*get)();
    tarvo64k::SceneState* (*state)();
    void (*destroy)();
};

template <typename Scene, Scene** global> void constructScene() {
    *global = new Scene;
}
template <typename Scene, Scene** global> tarvo64k::Callback* getScene() {
    return *global;
}
template <typename Scene, Scene** global> tarvo64k::SceneState* sceneState() {
    return *global;
}
template <typename Scene, Scene** global> void destroyScene() {
    delete *global;
    *global = nullptr;
}

#define SCENE_SLOT(Class, global, name, description)                                               \
    {name, constructScene<Class, &global>, getScene<Class, &global>, sceneState<Class, &global>,   \
     destroyScene<Class, &global>},
const SceneSlot kSceneTable[] = {SOLVANE_SCENES(SCENE_SLOT)};
#undef SCENE_SLOT

std::vector<ScenePicture> loadedPictures; // by the last constructScenes

} // namespace

void constructScenes() {
    createCellshadeTexture();
    loadedPictures.clear();
    std::vector<PictureLoad> log;
    setPictureLoadLog(&log);
    for (const SceneSlot& slot : kSceneTable) {
        log.clear();
        slot.construct();
        for (const PictureLoad& load : log)
            loadedPictures.push_back({slot.name, load.file, load.texture});
    }
    setPictureLoadLog(nullptr);
}

const std::vector<ScenePicture>& scenePictures() {
    return loadedPictures;
}

void registerScenes(tarvo64k::Script& target) {
    for (const SceneSlot& slot : kSceneTable)
        target.addCallback(slot.name, slot.get());
}

void destroyScenes() {
    glDeleteTextures(1, &cellshadeTexture);
    cellshadeTexture = 0;
    for (const SceneSlot& slot : kSceneTable)
        slot.destroy();
}

void saveSceneStates(std::vector<unsigned char>* bytes) {
    bytes->clear();
    for (const SceneSlot& slot : kSceneTable)
        tarvo64k::saveState(*slot.state(), bytes);
}

bool restoreSceneStates(const std::vector<unsigned char>& bytes) {
    size_t offset = 0;
    for (const SceneSlot& slot : kSceneTable)
        if (!tarvo64k::restoreState(*slot.state(), bytes, &offset))
            return false;
    return offset == bytes.size();
}

unsigned int feedbackTexture() {
    return radialblur ? radialblur->texture : 0;
}
