// Storage for the shared capture texture's name; its owner is the "render2texture" scene.
#include "gfx/render_texture.h"

unsigned int render_texture = 0;
