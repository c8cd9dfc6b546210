// The texture loader scenes call from their constructors: one PNG file into the image of the
// GL_TEXTURE_2D texture that is bound at the time of the call.
#pragma once

#include <string>

// The caller generates and binds the texture name first. Writes "loading <name>" and, on
// failure, one fixed message to standard error. Returns true when the image was uploaded;
// on failure the bound texture keeps whatever image it had.
bool loadPng(std::string fileName);
