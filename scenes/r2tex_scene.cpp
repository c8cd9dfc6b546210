// "render2texture": the capture into `render_texture` and the clear that follows it.
#include "scenes/r2tex_scene.h"

#include "gfx/capture_texture.h"

#include <GL/gl.h>

R2texScene::R2texScene() {
    glGenTextures(1, &render_texture);
    // Cleared so that a transition shown before the first capture shows black.
    pixelBuffer = new unsigned char[captureBytes()]();
    glBindTexture(GL_TEXTURE_2D, render_texture);
    specifyCaptureTexture(pixelBuffer);
}

R2texScene::~R2texScene() {
    glDeleteTextures(1, &render_texture);
    render_texture = 0;
    delete[] pixelBuffer;
}

void R2texScene::trigger(float, const std::string&, const std::string&) {}

void R2texScene::paint(float, float, float) {
    glBindTexture(GL_TEXTURE_2D, render_texture);
    copyFrameToCaptureTexture();
    // The host's clear colour is black; later effects in the frame start on a clean frame.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
