// Decodes a PNG stream into a bottom-up pixel buffer ready for glTexImage2D. Accepts only 8-bit
// RGB and RGBA with power-of-two sides from 4 to 1024. Leans on libpng; touches no GL state.
#pragma once

#include <png.h>

#include <istream>

enum class PngStatus {
    kDecoded,
    kNotPng,
    kNoReadStruct,
    kNoInfoStruct,
    kDecodeFailed, // any libpng error: bad CRC, truncated data, corrupt chunks
    kUnsupportedType,
    kWidthTooLarge,
    kHeightTooLarge,
    kWidthNotPowerOfTwo,
    kHeightNotPowerOfTwo,
};

// Plain data on purpose: it is written inside the frame libpng's errors longjmp into.
struct PngImage {
    unsigned char* pixels = nullptr; // array new; the caller deletes it after kDecoded
    unsigned int width = 0;
    unsigned int height = 0;
    int components = 0; // 3 for RGB, 4 for RGBA
};

// Reads the signature, then the header, and refuses an unaccepted form or size before any
// pixel data is decoded, so a tiny file declaring a huge image costs no memory. Ancillary
// chunks are skipped unread and a chunk's declared length is never allocated, so memory stays
// within a few times the largest texture, whatever the file declares. On kDecoded,
// buffer row 0 holds the picture's bottom row, so t = 0 is the bottom edge of the texture.
// libpng's default error and warning handlers stay in force and write to standard error.
PngStatus decodePng(std::istream& stream, PngImage& image);

// The loader's fixed message for a failure, newline included; null for kDecoded.
const char* pngStatusMessage(PngStatus status);

// libpng read callback over the std::istream registered as the I/O pointer. A read past the end
// of the stream is a libpng error ("Read Error"), so a chunk that declares more bytes than the
// file holds fails the file at once, however large its declared length.
void pngReadData(png_structp png, png_bytep data, png_size_t length);
