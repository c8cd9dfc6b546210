// The textures computed rather than loaded: the glow image the particle sprites and the design
// overlays' blobs share, and the cell-shading ramp that Polyhedron::drawCell maps through.
#pragma once

#include "framework/polyhedron.h" // cellshadeTexture

// [SECTION] The glow image: a 64 x 64 grey radial glow

constexpr int kGlowImageSize = 64;

// Grey level of the texel in `row` and `column` (0 to 63): 255 near the centre, 212 at a
// quarter of the half-width out, 109 at half, 0 at the edge midpoints, and a faint rise again
// (at most 5) in the corners, where the falloff polynomial turns positive once more.
unsigned char glowTexel(int row, int column);

// Builds the image as GL_RGB bytes in a temporary buffer and uploads it to the GL_TEXTURE_2D
// texture bound now, filtered linearly both ways; the buffer is released before returning.
void uploadGlowImage();

// [SECTION] The cell-shading ramp: a 64-texel 1D grey texture

// Built once by the host while its GL context is current. Generates the ramp texture into
// cellshadeTexture and leaves it bound to GL_TEXTURE_1D (the
// 1D target itself is not enabled). Texture coordinates below 0.1875 give grey 128, below 0.5
// give 192, and the rest 255, sampled with GL_NEAREST so the bands stay hard.
void createCellshadeTexture();
