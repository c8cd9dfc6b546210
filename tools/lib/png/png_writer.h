// Writing a frame as a PNG file (libpng), for every tool that saves pictures.
#pragma once

#include <string>

namespace authoring {

// Writes 8-bit RGB rows, top row first, as a PNG. "what failed: why" or empty.
std::string writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height);

} // namespace authoring
