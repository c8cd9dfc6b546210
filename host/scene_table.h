// The demo's scenes: one global per scene, and the table that constructs, registers and
// destroys them, always in the same order (the shared random sequence depends on it).
#pragma once

#include "framework/script.h"

// The scene objects, in table order; null until constructScenes.
class FadeScene;
extern FadeScene* fade;
class R2texScene;
extern R2texScene* r2tex;
class CreditsScene;
extern CreditsScene* credits;
class GreetingsScene;
extern GreetingsScene* greets;
class BackgroundScene;
extern BackgroundScene* background;
class TFlyScene;
extern TFlyScene* tfly;
class StretchTransition;
extern StretchTransition* tstretch;
class RadialBlur;
extern RadialBlur* radialblur;
class BackgroundTex;
extern BackgroundTex* backgroundtex;
class IntroScene;
extern IntroScene* intro;

void constructScenes();
void registerScenes(tarvo64k::Script& target);
void destroyScenes();
