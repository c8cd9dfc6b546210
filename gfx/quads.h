// The textured quads the scenes share: the one quad everything draws, the screen quad that
// shows a captured frame back, the picture slides' quad and the full-screen backdrop picture;
// and the overlay state block the full-screen transitions share.
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

// The screen quad: a display list that maps a captured 800 x 600 frame (gfx/capture_texture.h)
// onto a 2 x 2 quad in the plane z. In the plane kScreenPlaneZ, under the host's projection
// and an identity model-view matrix, it covers the window pixel for pixel; a scene that moves
// the quad itself compiles it at z = 0. Generates a display-list name and compiles into it.
// NOTE: the list scales the model-view matrix by (1.333, 1, 1) and leaves that scale in force.
unsigned int compileScreenQuad(float z = kScreenPlaneZ);

// The slide quad of the picture slides: a textured strip 2 wide and 2 x halfHeight high,
// centred on the origin in the z = 0 plane, showing a whole picture with t = 1 at the top.
// Generates a display-list name and compiles the quad into it.
unsigned int compileSlideQuad(float halfHeight);

// Bottom edge of the 800 x 600 region of a 1024 x 1024 picture whose top row is at t = 1.
constexpr float kPictureBottomT = 0.4140625f; // 1 - 600 / 1024

// The backdrop quad: fills the window with the top-left 800 x 600 pixels of a 1024 x 1024
// picture as loadPng uploads it (t = 1 at the picture's top). Immediate mode, on the caller's
// bound texture. NOTE: scales the model-view matrix by (1.333, 1, 1) first and leaves that
// scale in force.
void drawPictureQuad();

// The opaque full-screen picture behind a scene's geometry: binds `texture`, turns depth test
// and lighting off and texturing on, and draws drawPictureQuad in white from an identity
// model-view matrix. Leaves that state, and the quad's scale, for the scene to build on.
void drawBackdrop(unsigned int texture);
