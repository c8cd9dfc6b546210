// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

// The scene objects, in table order; null until constructScenes.
class FadeScene;
class TwisterScene;
class CrashScene;
class EndCubeScene;
class PlanesScene;
class R2texScene;
class ParticlesScene;
class CreditsScene;
class GreetingsScene;
class BackgroundScene;
class TFlyScene;
class StretchTransition;
class RadialBlur;
class BackgroundTex;
class DesignMojs;
class CubesScene;
class SpinningScene;
class LinesScene;
class DesignMojs2;
class IntroScene;
class StarsScene;

extern FadeScene* fade;
extern TwisterScene* twister;
extern CrashScene* crash;
extern EndCubeScene* endcube;
extern PlanesScene* planes;
extern R2texScene* r2tex;
extern ParticlesScene* particles;
extern CreditsScene* credits;
extern GreetingsScene* greets;
extern BackgroundScene* background;
extern TFlyScene* tfly;
extern StretchTransition* tstretch;
extern RadialBlur* radialblur;
extern BackgroundTex* backgroundtex;
extern DesignMojs* designmojs;
extern CubesScene* cubes;
extern SpinningScene* spinning;
extern LinesScene* lines;
extern DesignMojs2* designmojs2;
extern IntroScene* intro;
extern StarsScene* stars;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
