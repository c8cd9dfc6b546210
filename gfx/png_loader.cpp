// The PNG decoder (signature, header checks, then the pixel rows straight into the upload
// buffer, bottom row first) and the loaders that upload its pictures to textures.
#include "gfx/png_loader.h"

#include "framework/input_file.h"

#include <GL/gl.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <streambuf>

// [SECTION] Decoding

namespace {

// libpng read callback over the std::istream registered as the I/O pointer. A read past the end
// of the stream is a libpng error ("Read Error"), so a chunk that declares more bytes than the
// file holds fails the file at once, however large its declared length.
void pngReadData(png_structp png, png_bytep data, png_size_t length) {
    std::istream* stream = static_cast<std::istream*>(png_get_io_ptr(png));
    stream->read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(length));
    if (static_cast<png_size_t>(stream->gcount()) != length) {
        // libpng's own file reader words it so. Nothing in this frame needs destroying.
        png_error(png, "Read Error");
    }
}

const int kSignatureBytes = 8;
const unsigned int kMinSide = 4;
const unsigned int kMaxSide = 1024;
// The most libpng may allocate for one chunk's data, or inflate one compressed chunk to: the
// size of the largest accepted texture. The image data is streamed through small buffers and
// never held whole, so no picture the loader accepts needs more.
const png_alloc_size_t kMostChunkBytes = png_alloc_size_t(kMaxSide) * kMaxSide * 4;
// The most text, sPLT and unknown chunks libpng may keep for one picture.
const png_uint_32 kMostCachedChunks = 16;

bool isAcceptedSide(unsigned int side) {
    for (unsigned int accepted = kMinSide; accepted <= kMaxSide; accepted *= 2) {
        if (side == accepted) {
            return true;
        }
    }
    return false;
}

// The form comes first, then the size limits, then the powers of two.
PngStatus checkHeader(png_structp png, png_infop info, PngImage* image) {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

    if (bitDepth == 8 && colorType == PNG_COLOR_TYPE_RGB) {
        image->components = 3;
    } else if (bitDepth == 8 && colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        image->components = 4;
    } else {
        return PngStatus::kUnsupportedType;
    }
    if (width > kMaxSide) {
        return PngStatus::kWidthTooLarge;
    }
    if (height > kMaxSide) {
        return PngStatus::kHeightTooLarge;
    }
    if (!isAcceptedSide(width)) {
        return PngStatus::kWidthNotPowerOfTwo;
    }
    if (!isAcceptedSide(height)) {
        return PngStatus::kHeightNotPowerOfTwo;
    }
    image->width = width;
    image->height = height;
    return PngStatus::kDecoded;
}

// Bounds what a few hundred bytes can make libpng allocate or read. The upload uses no
// ancillary chunk (no colour management, no text), so every one is skipped unread: libpng
// steps over its declared length in a fixed small buffer, allocating nothing, and a length
// beyond the end of the file ends in a read error at once. A picture with a large ancillary
// chunk thus loads as before, and a compressed chunk (zTXt, iTXt, iCCP) is never inflated.
// IHDR, PLTE, tRNS, IDAT and IEND are still handled by libpng. The allocation and cache caps
// stand behind the skip for whatever libpng still reads.
// The image size is not capped here with png_set_user_limits: libpng would then refuse a
// 2048 x 16 header itself, replacing the loader's own messages and their order (form, then
// size); checkHeader refuses it before libpng allocates anything sized by the image.
void limitAllocation(png_structp png) {
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_malloc_max(png, kMostChunkBytes);
    png_set_chunk_cache_max(png, kMostCachedChunks);
}

// NOTE: libpng reports errors by longjmp back into this frame, so it must hold only plain
// data: a skipped destructor would leak or corrupt. The stream lives in the caller's frame.
// Everything allocated here is reachable from png, info, rows or image when an error lands.
PngStatus decodeAfterSignature(std::istream* stream, PngImage* image) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return PngStatus::kNoReadStruct;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return PngStatus::kNoInfoStruct;
    }
    png_bytep* volatile rows = nullptr; // volatile: assigned after setjmp, read after longjmp
    if (setjmp(png_jmpbuf(png))) {
        delete[] rows;
        delete[] image->pixels;
        image->pixels = nullptr;
        png_destroy_read_struct(&png, &info, nullptr);
        return PngStatus::kDecodeFailed;
    }

    png_set_read_fn(png, stream, pngReadData);
    png_set_sig_bytes(png, kSignatureBytes);
    limitAllocation(png);
    png_read_info(png, info); // the chunks before the first IDAT: no pixel data yet
    PngStatus status = checkHeader(png, info, image);
    if (status != PngStatus::kDecoded) {
        png_destroy_read_struct(&png, &info, nullptr);
        return status;
    }

    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_size_t rowBytes = png_size_t(image->width) * png_size_t(image->components);
    image->pixels = new unsigned char[rowBytes * image->height];
    rows = new png_bytep[image->height];
    for (unsigned int y = 0; y < image->height; ++y) {
        // The file's top row goes to the last buffer row: GL's t = 0 is the bottom edge.
        rows[y] = image->pixels + rowBytes * (image->height - 1 - y);
    }
    png_read_image(png, rows);
    png_read_end(png, info); // a damaged chunk after the pixel data still refuses the file

    delete[] rows;
    png_destroy_read_struct(&png, &info, nullptr);
    return PngStatus::kDecoded;
}

} // namespace

PngStatus decodePng(std::istream& stream, PngImage& image) {
    png_byte signature[kSignatureBytes] = {};
    stream.read(reinterpret_cast<char*>(signature), kSignatureBytes);
    if (png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
        return PngStatus::kNotPng;
    }
    return decodeAfterSignature(&stream, &image);
}

const char* pngStatusMessage(PngStatus status) {
    switch (status) {
    case PngStatus::kDecoded:
        return nullptr;
    case PngStatus::kNotPng:
        return "Not a PNG file\n";
    case PngStatus::kNoReadStruct:
        return "Couldn't create PNG read structure\n";
    case PngStatus::kNoInfoStruct:
        return "Couldn't create PNG info structure\n";
    case PngStatus::kDecodeFailed:
        return "Couldn't setup PNG error handler\n";
    case PngStatus::kUnsupportedType:
        return "This PNG image type is unsupported\n";
    case PngStatus::kWidthTooLarge:
        return "The image width is larger than 1024\n";
    case PngStatus::kHeightTooLarge:
        return "The image height is larger than 1024\n";
    case PngStatus::kWidthNotPowerOfTwo:
        return "The image width is not a power of 2\n";
    case PngStatus::kHeightNotPowerOfTwo:
        return "The image height is not a power of 2\n";
    }
    return nullptr;
}

// [SECTION] Loading into textures

namespace {

void uploadToBoundTexture(const PngImage& image) {
    const GLenum format = image.components == 4 ? GL_RGBA : GL_RGB;
    // Every accepted row is a multiple of 4 bytes, so the default unpack alignment holds.
    glTexImage2D(GL_TEXTURE_2D, 0, image.components, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, format, GL_UNSIGNED_BYTE, image.pixels);
    // No mipmaps, so the minifying filter must not ask for them.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

// Far above what a 1024 x 1024 picture needs, even with every optional chunk.
constexpr size_t kMostPictureFileBytes = 64u << 20;

// The file's bytes as the stream decodePng reads, without a second copy.
class BytesBuffer : public std::streambuf {
public:
    explicit BytesBuffer(std::string& bytes) {
        setg(&bytes[0], &bytes[0], &bytes[0] + bytes.size());
    }
};

} // namespace

bool loadPng(std::string fileName) {
    std::fputs("loading ", stderr);
    std::fputs(fileName.c_str(), stderr);
    std::fputs("\n", stderr);

    std::string bytes;
    if (tarvo64k::readRegularFile(fileName.c_str(), kMostPictureFileBytes, &bytes) != 0) {
        std::fputs("Couldn't open the texture file\n", stderr);
        return false;
    }
    BytesBuffer buffer(bytes);
    std::istream file(&buffer);
    PngImage image;
    const PngStatus status = decodePng(file, image);
    if (status != PngStatus::kDecoded) {
        std::fputs(pngStatusMessage(status), stderr);
        return false;
    }
    uploadToBoundTexture(image);
    delete[] image.pixels;
    return true;
}

void loadPictureTextures(unsigned int* textures, const char* const* files, int count,
                         bool nearest) {
    glGenTextures(count, textures);
    for (int i = 0; i < count; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        loadPng(files[i]);
        if (nearest) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
    }
}
