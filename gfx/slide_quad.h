// The slide quad of the picture slides: a textured strip 2 wide and 2 x halfHeight high,
// centred on the origin in the z = 0 plane, showing a whole picture with t = 1 at the top.
#pragma once

// Generates a display-list name and compiles the quad into it.
unsigned int compileSlideQuad(float halfHeight);
