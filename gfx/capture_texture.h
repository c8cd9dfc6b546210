// Capture textures: 1024 x 1024 RGB textures that receive the frame drawn so far with
// glCopyTexImage2D. The "render2texture" scene and the radial blur each own one.
#pragma once

#include "gfx/screen_quad.h"

// Bytes of the pixel buffer a capture texture's first upload reads: 1024 x 1024 RGB.
constexpr int kCaptureBytes = kCaptureSize * kCaptureSize * 3;

// Specifies the texture bound to GL_TEXTURE_2D as a capture texture with `pixels` as its
// image (kCaptureBytes bytes), with linear filtering both ways.
void specifyCaptureTexture(const unsigned char* pixels);

// Re-specifies the bound texture from the lower-left 1024 x 1024 pixels of the read buffer.
// NOTE: the 800 x 600 window fills only texel columns 0-799 and rows 0-599; the rest is
// whatever the read buffer holds beyond the window, which GL leaves undefined.
void copyFrameToCaptureTexture();
