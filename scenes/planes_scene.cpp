// The planes flight: a fogged floor quad strip and a ceiling grid of quads, each quad repeating
// "data/planes.png" 76 times a side, slid towards the viewer at 12 units per second.
#include "scenes/planes_scene.h"

#include "gfx/png_loader.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

float fogColor[4] = {0.0f, 0.0f, 0.0f, 0.1f};

namespace {

// The single-precision pi of the camera's degree conversion.
const float kPi = 3.141592f;
// Rows run from z = -960 to +192 in steps of 192; the ceiling also from x = -960 to +960.
const int kPlaneStart = -960;
const int kRowCount = 6;
const int kColumnCount = 10;
const int kTileSize = 192;
// Texture repeats across one 192-unit quad; the default repeat wrap mode carries them.
const float kRepeats = 76.0f;

} // namespace

PlanesScene::PlanesScene() {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    signedFogDistance = extensions && std::strstr(extensions, "GL_NV_fog_distance");

    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    loadPng("data/planes.png");
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

PlanesScene::~PlanesScene() {
    glDeleteTextures(1, &texture);
}

void PlanesScene::trigger(float, const std::string&, const std::string&) {}

void PlanesScene::paint(float elapsed, float, float) {
    setCamera(elapsed);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_FOG);
    glEnable(GL_TEXTURE_2D);
    setFog();
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawFloor();
    drawCeiling();
    // Fog parameters, the texture binding and the camera matrix are left as they are.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_FOG);
}

void PlanesScene::setCamera(float elapsed) {
    glLoadIdentity();
    // Degrees: a yaw of 0.75 rad/s and a roll of 0.9 rad/s.
    glRotatef(elapsed * 180.0f / kPi * 0.75f, 0.0f, 1.0f, 0.0f);
    glRotatef(elapsed * 1.2f * 180.0f / kPi * 0.75f, 0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, 12.0f * elapsed);
}

void PlanesScene::setFog() {
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.8f);
    glFogf(GL_FOG_START, 15.0f);
    glFogf(GL_FOG_END, 35.0f);
    if (signedFogDistance) {
        // NOTE: Mesa takes |z| per vertex and interpolates it; across these 192-unit quads,
        // which reach behind the eye, that fogs whole floors to black. The signed eye-plane z
        // interpolates exactly, and negated limits give the same fog in front of the viewer.
        glFogi(GL_FOG_DISTANCE_MODE_NV, GL_EYE_PLANE);
        glFogf(GL_FOG_START, -15.0f);
        glFogf(GL_FOG_END, -35.0f);
    }
}

void PlanesScene::drawFloor() {
    const float y = -2.0f;
    const float x0 = static_cast<float>(-kTileSize / 2);
    const float x1 = static_cast<float>(kTileSize / 2);
    glBegin(GL_QUADS);
    for (int row = 0; row < kRowCount; ++row) {
        const float z0 = static_cast<float>(kPlaneStart + row * kTileSize);
        const float z1 = z0 + static_cast<float>(kTileSize);
        // clang-format off
        glTexCoord2f(0.0f, 0.0f);           glVertex3f(x0, y, z1);
        glTexCoord2f(kRepeats, 0.0f);       glVertex3f(x1, y, z1);
        glTexCoord2f(kRepeats, kRepeats);   glVertex3f(x1, y, z0);
        glTexCoord2f(0.0f, kRepeats);       glVertex3f(x0, y, z0);
        // clang-format on
    }
    glEnd();
}

void PlanesScene::drawCeiling() {
    const float y = 2.0f;
    glBegin(GL_QUADS);
    for (int row = 0; row < kRowCount; ++row) {
        const float z0 = static_cast<float>(kPlaneStart + row * kTileSize);
        const float z1 = z0 + static_cast<float>(kTileSize);
        for (int column = 0; column < kColumnCount; ++column) {
            const float x0 = static_cast<float>(kPlaneStart + column * kTileSize);
            const float x1 = x0 + static_cast<float>(kTileSize);
            // clang-format off
            glTexCoord2f(0.0f, kRepeats);       glVertex3f(x0, y, z1);
            glTexCoord2f(0.0f, 0.0f);           glVertex3f(x0, y, z0);
            glTexCoord2f(kRepeats, 0.0f);       glVertex3f(x1, y, z0);
            glTexCoord2f(kRepeats, kRepeats);   glVertex3f(x1, y, z1);
            // clang-format on
        }
    }
    glEnd();
}
