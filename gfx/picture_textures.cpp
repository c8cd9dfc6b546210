// Loading the slide scenes' pictures into texture names of their own.
#include "gfx/picture_textures.h"

#include "gfx/png_loader.h"

#include <GL/gl.h>

void loadPictureTextures(unsigned int* textures, const char* const* files, int count,
                         bool nearest) {
    glGenTextures(count, textures);
    for (int i = 0; i < count; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        loadPng(files[i]);
        if (nearest) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
    }
}
