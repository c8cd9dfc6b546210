// The glow-blob rows: additive quads of the shared glow image, pulsing on absolute time and
// shrinking with the age of the run.
#include "scenes/design_mojs.h"

#include "gfx/computed_textures.h"
#include "gfx/quads.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int kBlobsPerRow = 20;
// Size lost per second of the run's age: every blob is gone once the age passes 1 / 0.7 s.
const float kShrinkRate = 0.7f;
// Drift of each row, units per second.
const float kDriftRate = 2.0f;

} // namespace

DesignMojs::DesignMojs() : list(glGenLists(1)), texture(0), startTime(-1.0f) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);

    glNewList(list, GL_COMPILE);
    drawQuad({-1.0f, 1.0f, 1.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 1.0f});
    glEndList();

    uploadGlowImage();
}

DesignMojs::~DesignMojs() {
    glDeleteTextures(1, &texture);
    glDeleteLists(list, 1);
}

void DesignMojs::trigger(float, const std::string&, const std::string&) {
    startTime = -1.0f;
}

void DesignMojs::paint(float elapsed, float, float) {
    if (startTime == -1.0f)
        startTime = elapsed;
    const float age = elapsed - startTime;
    const float drift = kDriftRate * age;

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor3f(1.0f, 1.0f, 1.0f);

    for (int i = 0; i < kBlobsPerRow; ++i) {
        // NOTE: the pulse runs on the absolute elapsed time, only the shrink on the age.
        const float size = std::sin(10.0f * elapsed + 4.0f * static_cast<float>(i)) * 0.5f + 0.5f -
                           kShrinkRate * age;
        if (size < 0.0f)
            continue;
        drawBlob(drift + static_cast<float>(i - 15), 3.3f, size);
        drawBlob(static_cast<float>(15 - i) - drift, -3.3f, size);
    }

    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

void DesignMojs::drawBlob(float x, float y, float size) {
    glLoadIdentity();
    glTranslatef(x, y, -10.0f);
    glScalef(size, size, 1.0f);
    glCallList(list);
}
