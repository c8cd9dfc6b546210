// Which file each scene loads, at which size and pixel form.
#include "tools/generators/artgen/pictures.h"

namespace artgen {

const std::vector<Picture>& catalogue() {
    using namespace palette;
    static const std::vector<Picture> pictures = {
        {"1.png", 1024, 1024, false, night, paintSunRays},
        {"2.png", 1024, 1024, false, night, paintHorizon},
        {"4.png", 1024, 1024, false, night, paintNightSky},
        {"planes.png", 256, 256, false, night, paintPlanesTile},
        {"cubes.png", 256, 256, false, night, paintCubeFace},
        {"spinning.png", 256, 256, false, night, paintSpinningBlade},
        // Intro strips and credits fade by their alpha over whatever is below.
        {"intro1.png", 1024, 128, true, cream, paintIntro1},
        {"intro2.png", 1024, 128, true, cream, paintIntro2},
        {"intro3.png", 1024, 128, true, amber, paintIntro3},
        {"kesto.png", 512, 256, true, cream, paintCreditCode},
        {"lunder.png", 512, 256, true, cream, paintCreditGraphics},
        {"tarvo.png", 512, 256, true, cream, paintCreditMusic},
        // Greetings are cut by an alpha test; their transparent texels are never seen.
        {"greetings1.png", 1024, 128, true, night, paintGreetings1},
        {"greetings2.png", 1024, 128, true, night, paintGreetings2},
        {"greetings3.png", 1024, 128, true, night, paintGreetings3},
        {"greetings4.png", 1024, 128, true, night, paintGreetings4},
    };
    return pictures;
}

} // namespace artgen
