// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

class CrashScene;
class CubesScene;
class DesignMojs;
class DesignMojs2;
class EndCubeScene;
class LinesScene;
class ParticlesScene;
class PlanesScene;
class SpinningScene;
class StarsScene;
class TwisterScene;

extern TwisterScene* twister;
extern CrashScene* crash;
extern EndCubeScene* endcube;
extern PlanesScene* planes;
extern ParticlesScene* particles;
extern DesignMojs* designmojs;
extern CubesScene* cubes;
extern SpinningScene* spinning;
extern LinesScene* lines;
extern DesignMojs2* designmojs2;
extern StarsScene* stars;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
