// The particle lattice: transformed on the CPU one layer at a time, each point drawn as the
// same camera-facing glow quad.
#include "scenes/particles_scene.h"

#include "gfx/computed_textures.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

#include <cmath>

namespace {

const int kLayerCount = 10;
const int kPointsPerLayer = 100;
const int kPointCount = kLayerCount * kPointsPerLayer;
// How fast a swell of the sprites or of the lattice sinks back, per second.
const float kSinkRate = 3.0f;

// Lowers a swell above 1 by the time since its last step; a scale at or below 1 stays put.
void sink(float& scale, float& stepTime, float elapsed) {
    if (scale > 1.0f) {
        scale -= (elapsed - stepTime) * kSinkRate;
        stepTime = elapsed;
        if (scale < 1.0f)
            scale = 1.0f;
    }
}

} // namespace

ParticlesScene::ParticlesScene()
    : spriteScale(1.0f), enlargeTime(0.0f), contraction(0.0f), contractTime(-1.0f), gridScale(1.0f),
      expandTime(0.0f), endTime(-1.0f), list(glGenLists(1)), texture(0),
      grid(new tarvo64k::Point3D[kPointCount]), transformed(new tarvo64k::Point3D[kPointCount]) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);

    // 0.4 across: neighbours 0.5 apart touch once the sprite scale passes 1.25.
    glNewList(list, GL_COMPILE);
    drawQuad({-0.2f, 0.2f, 0.2f, -0.2f, 0.0f}, {0.0f, 1.0f, 0.0f, 1.0f});
    glEndList();

    uploadGlowImage();

    // Point 100a + 10b + c; each value of a is one layer of constant z.
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 10; ++b) {
            for (int c = 0; c < 10; ++c) {
                grid[100 * a + 10 * b + c].set(-2.5f + 0.5f * static_cast<float>(c),
                                               2.5f - 0.5f * static_cast<float>(b),
                                               -2.5f + 0.5f * static_cast<float>(a));
            }
        }
    }
}

ParticlesScene::~ParticlesScene() {
    glDeleteTextures(1, &texture);
    glDeleteLists(list, 1);
    delete[] grid;
    delete[] transformed;
}

void ParticlesScene::trigger(float time, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("enlarge")) {
        spriteScale += trigger.number();
        enlargeTime = time;
    }
    if (trigger.is("contract"))
        contractTime = time;
    if (trigger.is("expand")) {
        gridScale += trigger.number();
        expandTime = time;
    }
    if (trigger.is("end"))
        endTime = time;
}

void ParticlesScene::paint(float elapsed, float, float) {
    sink(spriteScale, enlargeTime, elapsed);
    if (contractTime != -1.0f)
        contraction = elapsed - contractTime;
    sink(gridScale, expandTime, elapsed);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    if (endTime != -1.0f)
        glColor3f(0.71f, 1.0f, 1.0f);
    else
        glColor3f(0.71f, 0.23f, 0.011f);

    for (int layer = 0; layer < kLayerCount; ++layer)
        drawLayer(layer, elapsed);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void ParticlesScene::drawLayer(int layer, float elapsed) {
    const float e = elapsed;
    const float s = gridScale + contraction;
    // Radians; only the Z turn depends on the layer, so the layers twist against each other.
    matrix.reset();
    matrix.rotateX(4.0f * std::sin(0.25f * e));
    matrix.rotateY(4.0f * std::sin(0.19f * e) * std::cos(0.26f * e));
    matrix.rotateZ(4.0f *
                   std::cos(std::sin(0.4f * e + 0.04f * static_cast<float>(layer)) + 0.22f * e));
    matrix.scale(s, s, s);

    const int first = layer * kPointsPerLayer;
    matrix.transform(grid, transformed, first, kPointsPerLayer);
    // Drawn in eye space with no rotation of their own, the sprites always face the viewer.
    for (int n = first; n < first + kPointsPerLayer; ++n) {
        const tarvo64k::Point3D& p = transformed[n];
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        glScalef(spriteScale, spriteScale, spriteScale);
        glCallList(list);
        glPopMatrix();
    }
}
