// The shared cell-shading ramp: a 64-texel 1D grey texture that Polyhedron::drawCell maps
// each vertex's view alignment through. Built once by the host while its GL context is current.
#pragma once

#include "framework/polyhedron.h" // cellshadeTexture

// Generates the ramp texture and leaves it bound to GL_TEXTURE_1D (the 1D target itself is
// not enabled). Texture coordinates below 0.1875 give grey 128, below 0.5 give 192, and the
// rest 255, sampled with GL_NEAREST so the bands stay hard.
void createCellshadeTexture();
