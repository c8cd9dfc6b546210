// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

// The scene objects, in table order; null until constructScenes.
class R2texScene;
extern R2texScene* r2tex;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
