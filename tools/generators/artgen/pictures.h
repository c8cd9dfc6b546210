// The catalogue of pictures the demo's scenes load, and the painters that draw them.
#pragma once

#include "tools/generators/artgen/canvas.h"

#include <vector>

namespace artgen {

struct Picture {
    const char* fileName; // relative to the demo's data/ directory
    int width, height;
    bool withAlpha;
    Rgb matte; // colour under fully transparent pixels
    void (*paint)(Canvas& canvas);
};

// Every picture, in the order the tool writes them.
const std::vector<Picture>& catalogue();

// Full-screen backgrounds: 1024 x 1024 of which the scenes show the top-left 800 x 600.
void paintSunRays(Canvas& canvas);  // data/1.png, behind the twister
void paintHorizon(Canvas& canvas);  // data/2.png
void paintNightSky(Canvas& canvas); // data/4.png, behind the end cube

// Surfaces mapped onto geometry.
void paintPlanesTile(Canvas& canvas);    // tiles seamlessly
void paintCubeFace(Canvas& canvas);      // whole on every face, tinted orange-red by the scene
void paintSpinningBlade(Canvas& canvas); // added up forty times, so bright on black

// Lettering.
void paintIntro1(Canvas& canvas);
void paintIntro2(Canvas& canvas);
void paintIntro3(Canvas& canvas);
void paintCreditCode(Canvas& canvas);
void paintCreditGraphics(Canvas& canvas);
void paintCreditMusic(Canvas& canvas);
void paintGreetings1(Canvas& canvas);
void paintGreetings2(Canvas& canvas);
void paintGreetings3(Canvas& canvas);
void paintGreetings4(Canvas& canvas);

} // namespace artgen
