// How many device pixels stand for one pixel of the 800 x 600 picture: 1 for the demo, which
// never changes it; 2 or 3 when a tool renders the same picture natively at a higher
// resolution. Whatever the scenes measure in pixels (capture textures, line widths) follows it.
#pragma once

constexpr int kMaxPixelScale = 3;

int pixelScale();
// Set before the scenes are built: capture textures take their size from it then.
void setPixelScale(int scale);

// A line `pixels` wide in the 800 x 600 picture, for glLineWidth. Under a pixel, GL draws its
// thinnest line, one device pixel: scaled, it stays one picture pixel wide.
float scaledLineWidth(float pixels);
