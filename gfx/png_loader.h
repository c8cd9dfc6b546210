// Pictures into textures: a PNG decoder that accepts only what the scenes upload (8-bit RGB
// and RGBA with power-of-two sides from 4 to 1024), the loader scenes call from their
// constructors, and the slide scenes' batch of picture textures. Leans on libpng.
#pragma once

#include <istream>
#include <string>
#include <vector>

// [SECTION] Decoding

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

// Decodes a PNG stream into a bottom-up pixel buffer ready for glTexImage2D; touches no GL
// state. Reads the signature, then the header, and refuses an unaccepted form or size before
// any pixel data is decoded, so a tiny file declaring a huge image costs no memory. Ancillary
// chunks are skipped unread and a chunk's declared length is never allocated, so memory stays
// within a few times the largest texture, whatever the file declares. A read past the end of
// the stream is a libpng error, so a chunk that declares more bytes than the file holds fails
// the file at once. On kDecoded, buffer row 0 holds the picture's bottom row, so t = 0 is the
// bottom edge of the texture. libpng's default error and warning handlers stay in force and
// write to standard error.
PngStatus decodePng(std::istream& stream, PngImage& image);

// The loader's fixed message for a failure, newline included; null for kDecoded.
const char* pngStatusMessage(PngStatus status);

// [SECTION] Loading into textures

// One PNG file into the image of the GL_TEXTURE_2D texture bound at the time of the call; the
// caller generates and binds the texture name first. Writes "loading <name>" and, on failure,
// one fixed message to standard error. Returns true when the image was uploaded; on failure
// the bound texture keeps whatever image it had.
bool loadPng(std::string fileName);

// A file loadPng was asked for and the texture it went into.
struct PictureLoad {
    std::string file;
    unsigned int texture;
};
// While set, every loadPng call is added to `log`; null stops it. The seekable player learns
// from it which scene shows which picture, to load a changed one again in its place.
void setPictureLoadLog(std::vector<PictureLoad>* log);

// Picture textures for the scenes that show prepared pictures from "data/": generates `count`
// names into `textures`, then binds each in turn and loads files[i] into it. With `nearest`,
// each texture's filters become GL_NEAREST right after its load, for pictures whose alpha
// edges must stay hard. A failed load leaves that texture without an image; loadPng has
// reported it.
void loadPictureTextures(unsigned int* textures, const char* const* files, int count,
                         bool nearest = false);
