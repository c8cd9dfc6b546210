// "intro": the pulsing strip pictures.
#include "scenes/intro_scene.h"

#include "gfx/png_loader.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPictureCount = 3;
const char* const kPictureFiles[kPictureCount] = {"data/intro1.png", "data/intro2.png",
                                                  "data/intro3.png"};
// Radians; past it the pulse is over and nothing is drawn.
constexpr float kLastPhase = 10.0f;

} // namespace

IntroScene::IntroScene() : list(0), textures(nullptr), current(0), startTime(-1.0f), speed(1.0f) {
    textures = new unsigned int[kPictureCount];
    loadPictureTextures(textures, kPictureFiles, kPictureCount);
    list = compileSlideQuad(0.125f);
}

IntroScene::~IntroScene() {
    glDeleteTextures(kPictureCount, textures);
    glDeleteLists(list, 1);
    delete[] textures;
}

void IntroScene::trigger(float time, const std::string& name, const std::string& value) {
    speed = FiredTrigger(sceneInfoOf(*this), name, value).number();
    startTime = time;
    current = (current + 1) % kPictureCount;
}

void IntroScene::paint(float elapsed, float, float) {
    if (startTime == -1.0f)
        startTime = elapsed;
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLoadIdentity();
    // The strip is wider than the view at this distance: only its middle is seen.
    glTranslatef(0.0f, 0.0f, -1.5f);

    // A huge speed must not overflow the narrowing.
    const float phase = finiteFloat((static_cast<double>(elapsed) - startTime) * 0.7 * speed);
    if (phase <= kLastPhase) {
        const float alpha = std::clamp(static_cast<float>(std::sin(phase)), 0.0f, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        glBindTexture(GL_TEXTURE_2D, textures[current]);
        glCallList(list);
    }
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
