// Capture textures: 1024 x 1024 RGB textures that receive the frame drawn so far with
// glCopyTexImage2D. The "render2texture" scene owns the shared one, `render_texture`, which the
// transitions and the crash, end cube and fly-away scenes bind to draw that frame back; the
// radial blur owns one of its own.
#pragma once

// The captured frame sits in the lower-left 800 x 600 texels of a 1024 x 1024 texture.
constexpr int kCaptureSize = 1024;
constexpr float kCapturedS = 0.78125f;   // 800 / 1024
constexpr float kCapturedT = 0.5859375f; // 600 / 1024

// Bytes of the pixel buffer a capture texture's first upload reads: 1024 x 1024 RGB.
constexpr int kCaptureBytes = kCaptureSize * kCaptureSize * 3;

// The shared capture texture's GL name; 0 until the "render2texture" scene is constructed.
extern unsigned int render_texture;

// Specifies the texture bound to GL_TEXTURE_2D as a capture texture with `pixels` as its
// image (kCaptureBytes bytes), with linear filtering both ways.
void specifyCaptureTexture(const unsigned char* pixels);

// Re-specifies the bound texture from the lower-left 1024 x 1024 pixels of the read buffer.
// NOTE: the 800 x 600 window fills only texel columns 0-799 and rows 0-599; the rest is
// whatever the read buffer holds beyond the window, which GL leaves undefined.
void copyFrameToCaptureTexture();
