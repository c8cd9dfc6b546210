// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

class CrashScene;
class EndCubeScene;
class StarsScene;
class TwisterScene;

extern TwisterScene* twister;
extern CrashScene* crash;
extern EndCubeScene* endcube;
extern StarsScene* stars;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
