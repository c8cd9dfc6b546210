// The crash: fixed pseudo-random shard paths from the seeded standard generator, and the
// shards drawn with the captured frame's texture coordinates.
#include "scenes/crash_scene.h"

#include "gfx/capture_texture.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace {

const unsigned int kSeed = 38912;
const float kCellWidth = 1.33333f;
const float kCellS = kCapturedS / CrashScene::kGridSize;
const float kCellT = kCapturedT / CrashScene::kGridSize;

float scatterComponent() {
    return static_cast<float>(std::rand() % 200 - 100) / 100.0f;
}

// The shard turns about its cell's lower-left corner, which moves along travel * v.
void placeShard(float cellX, float cellY, const tarvo64k::Point3D& v, float travel, float spin) {
    glTranslatef(cellX, cellY, -11.5f);
    glTranslatef(travel * v.x, travel * v.y, travel * v.z);
    glRotatef(static_cast<float>(180.0 * std::sin(spin * v.x)), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(180.0 * std::sin(spin * v.y)), 0.0f, 1.0f, 0.0f);
}

} // namespace

CrashScene::CrashScene() {
    scatter = new tarvo64k::Point3D[kShardCount];
    std::srand(kSeed);
    for (int s = 0; s < kShardCount; ++s) {
        // Separate statements: the draws must be x, y, z in this order.
        const float x = scatterComponent();
        const float y = scatterComponent();
        const float z = scatterComponent();
        scatter[s].set(x, y, z);
    }
}

CrashScene::~CrashScene() {
    delete[] scatter;
}

void CrashScene::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (trigger.is("color"))
        brightness = trigger.means("white") ? 1.0f : 0.0f;
}

void CrashScene::paint(float, float, float progress) {
    glBindTexture(GL_TEXTURE_2D, render_texture);
    beginOverlay();
    glColor4f(brightness, brightness, brightness, 1.0f - progress);

    glLoadIdentity();
    glNormal3f(0.0f, 0.0f, 1.0f);
    const float drop = 6.0f * progress;
    glTranslatef(0.0f, -(drop * drop), 0.0f);

    const float travel = 20.0f * progress;
    const float spin = 10.0f * progress;
    // NOTE: the cell corners are accumulated in single precision, as the grid was laid out.
    float cellY = -5.0f;
    for (int i = 0; i < kGridSize; ++i, cellY += 1.0f) {
        const float t0 = kCellT * static_cast<float>(i);
        const float t1 = t0 + kCellT;
        float cellX = -6.66665f;
        for (int j = 0; j < kGridSize; ++j, cellX += kCellWidth) {
            const float s0 = kCellS * static_cast<float>(j);
            const float s1 = s0 + kCellS;
            const int cell = kGridSize * i + j;

            glPushMatrix();
            placeShard(cellX, cellY, scatter[2 * cell], travel, spin);
            // clang-format off
            glBegin(GL_TRIANGLES); // lower-left half of the cell
                glTexCoord2f(s0, t1); glVertex3f(0.0f, 1.0f, 0.0f);
                glTexCoord2f(s0, t0); glVertex3f(0.0f, 0.0f, 0.0f);
                glTexCoord2f(s1, t0); glVertex3f(kCellWidth, 0.0f, 0.0f);
            glEnd();
            // clang-format on
            glPopMatrix();

            glPushMatrix();
            placeShard(cellX, cellY, scatter[2 * cell + 1], travel, spin);
            // clang-format off
            glBegin(GL_TRIANGLES); // upper-right half
                glTexCoord2f(s1, t0); glVertex3f(kCellWidth, 0.0f, 0.0f);
                glTexCoord2f(s1, t1); glVertex3f(kCellWidth, 1.0f, 0.0f);
                glTexCoord2f(s0, t1); glVertex3f(0.0f, 1.0f, 0.0f);
            glEnd();
            // clang-format on
            glPopMatrix();
        }
    }

    endOverlay();
}
