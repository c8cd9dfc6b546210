// "backgroundtex": a full-screen picture quad over two picture textures.
#include "scenes/background_tex.h"

#include "gfx/png_loader.h"
#include "gfx/quads.h"
#include "scenes/trigger_values.h"

#include <GL/gl.h>

#include <cassert>

namespace {

constexpr int kPictureCount = 2;
const char* const kPictureFiles[kPictureCount] = {"data/2.png", "data/1.png"};

unsigned int compileBackdropList() {
    unsigned int list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawPictureQuad();
    glEndList();
    return list;
}

} // namespace

BackgroundTex::BackgroundTex() : quadList(0), textures(nullptr), current(0) {
    quadList = compileBackdropList();
    textures = new unsigned int[kPictureCount];
    loadPictureTextures(textures, kPictureFiles, kPictureCount);
    assert(findTrigger(sceneInfoOf(*this), "texture")->indexCount == kPictureCount &&
           "the scene list's index range must name exactly the pictures loaded");
}

BackgroundTex::~BackgroundTex() {
    glDeleteLists(quadList, 1);
    glDeleteTextures(kPictureCount, textures);
    delete[] textures;
}

void BackgroundTex::trigger(float, const std::string& name, const std::string& value) {
    const FiredTrigger trigger(sceneInfoOf(*this), name, value);
    if (!trigger.is("texture"))
        return;
    if (const std::optional<int> index = trigger.index())
        current = *index;
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
