// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

class PlanesScene;
class ParticlesScene;
class DesignMojs;
class CubesScene;
class SpinningScene;
class LinesScene;
class DesignMojs2;

extern PlanesScene* planes;
extern ParticlesScene* particles;
extern DesignMojs* designmojs;
extern CubesScene* cubes;
extern SpinningScene* spinning;
extern LinesScene* lines;
extern DesignMojs2* designmojs2;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
