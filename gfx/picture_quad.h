// The backdrop quad: fills the window with the top-left 800 x 600 pixels of a 1024 x 1024
// picture as loadPng uploads it (t = 1 at the picture's top). Used by the scenes that draw a
// full-screen background picture.
#pragma once

// Bottom edge of the 800 x 600 region of a 1024 x 1024 picture whose top row is at t = 1.
constexpr float kPictureBottomT = 0.4140625f; // 1 - 600 / 1024

// Immediate mode, texture coordinate before each vertex, on the caller's bound texture.
// NOTE: scales the model-view matrix by (1.333, 1, 1) first and leaves that scale in force.
void drawPictureQuad();
