// Capture textures: 1024 x 1024 RGB textures (times the pixel scale, gfx/pixel_scale.h) that
// receive the frame drawn so far with
// glCopyTexImage2D. The "render2texture" scene owns the shared one, `render_texture`, which the
// transitions and the crash, end cube and fly-away scenes bind to draw that frame back; the
// radial blur owns one of its own.
#pragma once

// The captured frame sits in the lower-left 800 x 600 texels of a 1024 x 1024 texture; at a
// pixel scale of N, in the lower-left N x 800 by N x 600 of an N x 1024 square, so the texture
// coordinates that read it back are the same at every scale.
constexpr int kCaptureSize = 1024; // at scale 1
constexpr int kCapturedWidth = 800;
constexpr int kCapturedHeight = 600;
constexpr float kCapturedS = 0.78125f;   // 800 / 1024
constexpr float kCapturedT = 0.5859375f; // 600 / 1024

// The side of a capture texture at the current pixel scale.
int captureSize();
// Bytes of the pixel buffer a capture texture's first upload reads: captureSize() squared, RGB.
int captureBytes();

// The shared capture texture's GL name; 0 until the "render2texture" scene is constructed.
extern unsigned int render_texture;

// Specifies the texture bound to GL_TEXTURE_2D as a capture texture with `pixels` as its
// image (captureBytes() bytes), with linear filtering both ways.
void specifyCaptureTexture(const unsigned char* pixels);

// Copies the lower-left 800 x 600 pixels (times the pixel scale) of the read buffer into the
// bound capture texture.
// NOTE: only those: the texels beyond keep the black of the first upload, which the linear
// filter blends into the frame's right and top edges. A copy of the whole square would fill
// them from beyond the window, which GL leaves undefined, and the edges would differ between
// two runs of the same frames.
void copyFrameToCaptureTexture();
