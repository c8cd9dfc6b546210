// The glow image shared by the particle sprites and the design overlays' blobs: a 64 x 64 grey
// radial glow, computed rather than loaded.
#pragma once

constexpr int kGlowImageSize = 64;

// Grey level of the texel in `row` and `column` (0 to 63): 255 near the centre, 212 at a
// quarter of the half-width out, 109 at half, 0 at the edge midpoints, and a faint rise again
// (at most 5) in the corners, where the falloff polynomial turns positive once more.
unsigned char glowTexel(int row, int column);

// Builds the image as GL_RGB bytes in a temporary buffer and uploads it to the GL_TEXTURE_2D
// texture bound now, filtered linearly both ways; the buffer is released before returning.
void uploadGlowImage();
