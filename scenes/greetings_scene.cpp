// "greetings": the turning column of picture bands and its outlines.
#include "scenes/greetings_scene.h"

#include "gfx/pixel_scale.h"
#include "gfx/png_loader.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr int kBandCount = 4;
const char* const kPictureFiles[kBandCount] = {"data/greetings1.png", "data/greetings2.png",
                                               "data/greetings3.png", "data/greetings4.png"};
const float kFogColour[4] = {0.0f, 0.0f, 0.0f, 0.1f};

// The side walls of a box 2 wide, 1 high and 2 deep, the picture wrapped once around it:
// each wall carries a quarter of the picture's width.
unsigned int compileBand() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    // clang-format off
    glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0.0f, 1.0f);  glVertex3f(-1.0f, 0.5f, 1.0f);
        glTexCoord2f(0.0f, 0.0f);  glVertex3f(-1.0f, -0.5f, 1.0f);
        glTexCoord2f(0.25f, 1.0f); glVertex3f(1.0f, 0.5f, 1.0f);
        glTexCoord2f(0.25f, 0.0f); glVertex3f(1.0f, -0.5f, 1.0f);
        glTexCoord2f(0.5f, 1.0f);  glVertex3f(1.0f, 0.5f, -1.0f);
        glTexCoord2f(0.5f, 0.0f);  glVertex3f(1.0f, -0.5f, -1.0f);
        glTexCoord2f(0.75f, 1.0f); glVertex3f(-1.0f, 0.5f, -1.0f);
        glTexCoord2f(0.75f, 0.0f); glVertex3f(-1.0f, -0.5f, -1.0f);
        glTexCoord2f(1.0f, 1.0f);  glVertex3f(-1.0f, 0.5f, 1.0f);
        glTexCoord2f(1.0f, 0.0f);  glVertex3f(-1.0f, -0.5f, 1.0f);
    glEnd();
    // clang-format on
    glEndList();
    return list;
}

// Band i's clock, seconds: each band runs 0.2 s ahead of the one below it.
float bandTime(float elapsed, int i) {
    return static_cast<float>(elapsed + 0.2 * (3 - i));
}

void setFog() {
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, kFogColour);
    glFogf(GL_FOG_DENSITY, 0.8f);
    // The column stands at distance 6: its far walls fade towards black.
    glFogf(GL_FOG_START, 6.0f);
    glFogf(GL_FOG_END, 7.5f);
}

} // namespace

GreetingsScene::GreetingsScene() : list(0), textures(nullptr) {
    textures = new unsigned int[kBandCount];
    loadPictureTextures(textures, kPictureFiles, kBandCount, true);
    list = compileBand();
}

GreetingsScene::~GreetingsScene() {
    glDeleteTextures(kBandCount, textures);
    glDeleteLists(list, 1);
    delete[] textures;
}

void GreetingsScene::trigger(float, const std::string&, const std::string&) {}

void GreetingsScene::paint(float elapsed, float, float) {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    // The window has no alpha bits, so destination alpha reads as 1 and each fragment
    // replaces what is below it.
    glBlendFunc(GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA);
    glEnable(GL_BLEND);
    // Transparent texels are cut, so the far walls show through them.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.1f);
    setFog();
    glColor3f(1.0f, 1.0f, 0.2f);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    glLineWidth(scaledLineWidth(4.0f));

    // Bands centred at heights 1.5 down to -1.5: one column 4 high. Degrees per second: -45,
    // with a wobble of +-22.5.
    for (int i = 0; i < kBandCount; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glPushMatrix();
        glTranslatef(0.0f, 1.5f - i, 0.0f);
        const float u = bandTime(elapsed, i);
        const float angle = static_cast<float>(-45.0 * u + 22.5 * std::sin(3.14 * u) + 0.5);
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
        glCallList(list);
        glPopMatrix();
    }

    glDisable(GL_ALPHA_TEST);
    // Black whatever the last picture's texels are.
    glColor3f(0.0f, 0.0f, 0.0f);
    // Outlines at the seams, turning the other way and breathing between 1.2 and 1.8 times
    // the band's width.
    for (int i = 0; i < kBandCount - 1; ++i) {
        glPushMatrix();
        glTranslatef(0.0f, 1.0f - i, 0.0f);
        const float u = bandTime(elapsed, i);
        glRotatef(45.0f * u, 0.0f, 1.0f, 0.0f);
        const float k = static_cast<float>(1.5 + 0.3 * std::sin(u));
        glScalef(k, 1.0f, k);
        // clang-format off
        glBegin(GL_LINE_STRIP);
            glVertex3f(-1.0f, 0.0f, 1.0f);
            glVertex3f(1.0f, 0.0f, 1.0f);
            glVertex3f(1.0f, 0.0f, -1.0f);
            glVertex3f(-1.0f, 0.0f, -1.0f);
            glVertex3f(-1.0f, 0.0f, 1.0f);
        glEnd();
        // clang-format on
        glPopMatrix();
    }

    // NOTE: blend function, alpha function, fog parameters, line width and the black colour
    // stay set for the next effect.
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
}
