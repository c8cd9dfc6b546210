// "credits": three pictures zooming up in turn.
#include "scenes/credits_scene.h"

#include "gfx/png_loader.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPictureCount = 3;
const char* const kPictureFiles[kPictureCount] = {"data/kesto.png", "data/lunder.png",
                                                  "data/tarvo.png"};
constexpr double kPictureDelay = 0.65; // seconds between the pictures' starts
constexpr double kGrowthRate = 3.0;    // size units per second
constexpr float kLargestSize = 4.0f;   // past it a picture is done

} // namespace

CreditsScene::CreditsScene() : list(0), textures(nullptr), period(1.0f), startTime(-1.0f) {
    textures = new unsigned int[kPictureCount];
    loadPictureTextures(textures, kPictureFiles, kPictureCount);
    list = compileSlideQuad(0.5f);
}

CreditsScene::~CreditsScene() {
    glDeleteTextures(kPictureCount, textures);
    glDeleteLists(list, 1);
    delete[] textures;
}

void CreditsScene::trigger(float time, const std::string&, const std::string&) {
    startTime = time;
}

void CreditsScene::paint(float elapsed, float, float) {
    if (startTime == -1.0f)
        startTime = elapsed;
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -8.0f);

    // Later pictures are drawn over earlier ones.
    for (int i = 0; i < kPictureCount; ++i) {
        const float size = static_cast<float>(
            ((static_cast<double>(elapsed) - startTime) - kPictureDelay * i) * kGrowthRate);
        if (size > kLargestSize || size < 0.0f)
            continue;
        // Opaque at size pi/2, transparent again from size pi on.
        const float alpha = std::clamp(static_cast<float>(std::sin(size / period)), 0.0f, 1.0f);
        glColor4f(1.0f, 1.0f, 1.0f, alpha);
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glPushMatrix();
        glRotatef(2.0f, 0.0f, 1.0f, 0.0f);
        glScalef(size, size / 3.0f, 1.0f);
        glCallList(list);
        glPopMatrix();
    }
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
