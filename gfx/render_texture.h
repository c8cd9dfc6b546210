// The shared capture texture: the "render2texture" scene creates it, fills it with the frame
// drawn so far and deletes it; the transitions and the crash, end cube and fly-away scenes
// bind it to draw that frame back. Layout: see gfx/screen_quad.h.
#pragma once

// GL texture name; 0 until the "render2texture" scene is constructed.
extern unsigned int render_texture;
