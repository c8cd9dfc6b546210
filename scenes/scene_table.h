// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the scene list's order (the shared random sequence depends on it),
// with the cell-shading ramp they share. This is the one scenes header the host includes.
#pragma once

#include "framework/scene_state.h"
#include "framework/script.h"
#include "scenes/scene_registry.h"

#include <string>
#include <vector>

// The scene objects, named and ordered by the scene list; null outside constructScenes and
// destroyScenes.
#define SCENE_GLOBAL(Class, global, name, description)                                             \
    class Class;                                                                                   \
    extern Class* global;
SOLVANE_SCENES(SCENE_GLOBAL)
#undef SCENE_GLOBAL

// Needs a current GL context: builds the cell-shading ramp, then every scene.
void constructScenes();
// A picture a scene loaded, by its path, and the texture it went into.
struct ScenePicture {
    const char* scene; // the timeline name
    std::string file;
    unsigned int texture;
};
// The pictures the scenes loaded in the last constructScenes, in order.
const std::vector<ScenePicture>& scenePictures();
// Adds every scene to the timeline under its timeline name.
void registerScenes(tarvo64k::Script& target);
// Deletes the ramp, then every scene; registered timelines must be cleared after this.
void destroyScenes();

// Every scene's state, in the scene list's order, as saved bytes; and put back. False when the
// bytes are not what saveSceneStates gives for this build.
void saveSceneStates(std::vector<unsigned char>* bytes);
bool restoreSceneStates(const std::vector<unsigned char>& bytes);
// The texture the radial blur copies each frame into and shows under the next (kCopiesFrame
// without kWritesCapture); render_texture is the one the kWritesCapture scene copies into.
unsigned int feedbackTexture();
