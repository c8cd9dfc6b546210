// loadPng: opens the file, decodes it with png_decoder and uploads it to the bound texture.
#include "gfx/png_loader.h"
#include "gfx/png_decoder.h"

#include <GL/gl.h>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>

namespace {

void uploadToBoundTexture(const PngImage& image) {
    const GLenum format = image.components == 4 ? GL_RGBA : GL_RGB;
    // Every accepted row is a multiple of 4 bytes, so the default unpack alignment holds.
    glTexImage2D(GL_TEXTURE_2D, 0, image.components, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, format, GL_UNSIGNED_BYTE, image.pixels);
    // No mipmaps, so the minifying filter must not ask for them.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// A directory opens for reading on Linux and then fails every read; it is no texture file.
bool isDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool loadPng(std::string fileName) {
    std::fputs("loading ", stderr);
    std::fputs(fileName.c_str(), stderr);
    std::fputs("\n", stderr);

    std::ifstream file(fileName, std::ios::binary);
    if (!file.good() || isDirectory(fileName)) {
        std::fputs("Couldn't open the texture file\n", stderr);
        return false;
    }
    PngImage image;
    const PngStatus status = decodePng(file, image);
    if (status != PngStatus::kDecoded) {
        std::fputs(pngStatusMessage(status), stderr);
        return false;
    }
    uploadToBoundTexture(image);
    delete[] image.pixels;
    return true;
}
