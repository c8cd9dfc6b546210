// The screen quad: a display list that, under the host's projection and an identity
// model-view matrix, covers the window and maps a captured 800 x 600 frame back onto it
// pixel for pixel. Several scenes compile their own copy at construction.
#pragma once

// The captured frame sits in the lower-left 800 x 600 texels of a 1024 x 1024 texture.
constexpr int kCaptureSize = 1024;
constexpr float kCapturedS = 0.78125f;   // 800 / 1024
constexpr float kCapturedT = 0.5859375f; // 600 / 1024

// Generates a display-list name and compiles the quad into it. NOTE: the list scales the
// model-view matrix by (1.333, 1, 1) and leaves that scale in force after it is called.
unsigned int compileScreenQuad();
