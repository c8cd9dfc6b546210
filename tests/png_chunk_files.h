// PNG files built chunk by chunk for the loader's limit tests and the PNG fuzz seeds: pictures
// carrying the ancillary chunks image editors write, chunks whose length field claims far more
// than the file holds, and compressed chunks that inflate to hundreds of megabytes. Plain
// functions over byte vectors, with no test framework, so the seed writer can use them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pngchunks {

using Bytes = std::vector<unsigned char>;

// One chunk: length, type, data and a correct CRC.
Bytes chunk(const char* type, const Bytes& data);

// The metadata a picture from an image editor carries.
struct Metadata {
    bool text = false;              // tEXt "Title"
    bool compressedText = false;    // zTXt "Comment", a few hundred bytes deflated
    bool internationalText = false; // iTXt "Description" twice: plain and deflated
    bool colourProfile = false;     // iCCP: a small, well-formed RGB display profile
    bool time = false;              // tIME
    bool physicalSize = false;      // pHYs: 2835 pixels per metre (72 dpi)
};
Metadata allMetadata();

// A picture written by libpng's writer with the given metadata before its image data.
// colorType is a PNG_COLOR_TYPE_*, at bit depth 8; every sample differs with x and y.
Bytes editorPicture(int width, int height, int colorType, bool interlaced,
                    const Metadata& metadata);

// The samples of the 4 x 4 RGB picture that the files below carry, rows top-down.
Bytes smallPicturePixels();

// A 4 x 4 RGB picture cut off just after a chunk header that declares declaredLength bytes:
// signature, IHDR, pHYs, tIME, then the header and a few plausible bytes of the chunk's data
// (a keyword for tEXt and iTXt, the start of a zlib stream for IDAT). Under 1 KB.
Bytes declaringHugeChunk(const char* type, uint32_t declaredLength);

// A whole, valid 4 x 4 RGB picture with, before its image data, a zTXt, iTXt or iCCP chunk
// whose deflated data inflates to inflatedBytes: for iCCP an ICC header that declares that
// size, then zeros; for the text chunks, spaces.
Bytes withCompressedBomb(const char* type, size_t inflatedBytes);

// A whole, valid 4 x 4 RGB picture with a tEXt chunk of dataBytes bytes before its image data.
Bytes withLargeText(size_t dataBytes);

// The 132-byte header of an RGB display profile, declaring the given size and tag count.
Bytes iccProfileHeader(uint32_t declaredSize, uint32_t tagCount);
// A small well-formed RGB display profile: the header, a white point and a copyright text.
Bytes iccProfile();

} // namespace pngchunks
