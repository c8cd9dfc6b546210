// The one textured quad every scene and helper draws, and the overlay state block the
// full-screen transitions share.
#pragma once

// With the host's 45-degree field of view, the plane z = kScreenPlaneZ spans y from -1 to 1;
// scaling x by kScreenAspect makes a 2 x 2 quad there cover an 800 x 600 frame.
constexpr float kScreenAspect = 1.333f;
constexpr float kScreenPlaneZ = -2.414f;

// A rectangle in the plane z, and the texture coordinates at its edges.
struct QuadCorners {
    float left, right, top, bottom, z;
};
struct QuadTexCoords {
    float left, right, top, bottom;
};

// One triangle strip, top-left, bottom-left, top-right, bottom-right, each corner's texture
// coordinate given before its vertex. Works inside a display list.
void drawQuad(const QuadCorners& corners, const QuadTexCoords& texCoords);

// The state an overlay drawn over the frame needs: alpha blending and texturing on, depth
// test and lighting off. endOverlay turns them back as every scene expects to find them.
void beginOverlay();
void endOverlay();
