// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the scene list's order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"
#include "scenes/scene_registry.h"

// The scene objects, named and ordered by the scene list; null outside constructScenes and
// destroyScenes.
#define SCENE_GLOBAL(Class, global, name, triggers, flags)                                         \
    class Class;                                                                                   \
    extern Class* global;
SOLVANE_SCENES(SCENE_GLOBAL)
#undef SCENE_GLOBAL

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
