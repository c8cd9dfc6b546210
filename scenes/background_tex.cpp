// "backgroundtex": a full-screen picture quad over two picture textures.
#include "scenes/background_tex.h"

#include "gfx/picture_textures.h"

#include <GL/gl.h>

#include <cstdlib>

namespace {

constexpr int kPictureCount = 2;
const char* const kPictureFiles[kPictureCount] = {"data/2.png", "data/1.png"};

// Fills the window and shows the top-left 800 x 600 texels of a 1024 x 1024 picture:
// s from 0 to 800/1024, t from 1 - 600/1024 to 1, with t = 1 at the top of the screen.
unsigned int compilePictureScreenQuad() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glScalef(1.333f, 1.0f, 1.0f);
    // clang-format off
    glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(-1.0f, 1.0f, -2.414f);
        glTexCoord2f(0.0f, 0.4140625f);
        glVertex3f(-1.0f, -1.0f, -2.414f);
        glTexCoord2f(0.78125f, 1.0f);
        glVertex3f(1.0f, 1.0f, -2.414f);
        glTexCoord2f(0.78125f, 0.4140625f);
        glVertex3f(1.0f, -1.0f, -2.414f);
    glEnd();
    // clang-format on
    glEndList();
    return list;
}

} // namespace

BackgroundTex::BackgroundTex() : quadList(0), textures(nullptr), current(0) {
    quadList = compilePictureScreenQuad();
    textures = new unsigned int[kPictureCount];
    loadPictureTextures(textures, kPictureFiles, kPictureCount);
}

BackgroundTex::~BackgroundTex() {
    glDeleteLists(quadList, 1);
    glDeleteTextures(kPictureCount, textures);
    delete[] textures;
}

void BackgroundTex::trigger(float, const std::string& name, const std::string& value) {
    if (name != "texture")
        return;
    // Any other index would read past the two names.
    const long index = std::strtol(value.c_str(), nullptr, 10);
    if (index >= 0 && index < kPictureCount)
        current = static_cast<int>(index);
}

void BackgroundTex::paint(float, float, float) {
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    // NOTE: blending is left as found: on, the picture's own alpha blends it.
    glBindTexture(GL_TEXTURE_2D, textures[current]);
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(quadList);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
}
