// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
