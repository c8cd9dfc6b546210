// Picture textures for the scenes that show prepared pictures from "data/": one texture name
// per file, loaded at construction with loadPng.
#pragma once

// Generates `count` names into `textures`, then binds each in turn and loads files[i] into
// it. With `nearest`, each texture's filters become GL_NEAREST right after its load, for
// pictures whose alpha edges must stay hard. A failed load leaves that texture without an
// image; loadPng has reported it.
void loadPictureTextures(unsigned int* textures, const char* const* files, int count,
                         bool nearest = false);
