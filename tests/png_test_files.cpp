// Test PNG generation with libpng's writer and zlib, and a reference decode through
// png_read_png, which shares no code with the loader's header-first path.
#include "tests/png_test_files.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace testpng {

namespace {

void appendUint32(std::vector<unsigned char>& out, unsigned int value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void appendChunk(std::vector<unsigned char>& out, const char* type,
                 const std::vector<unsigned char>& data) {
    appendUint32(out, static_cast<unsigned int>(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    appendUint32(out, static_cast<unsigned int>(crc32(0, typed.data(), typed.size())));
}

// Calls fill(row, y) for each row of a non-interlaced image and writes it with libpng.
template <typename Fill>
void writeRows(const std::string& path, int width, int height, int colorType, int bitDepth,
               Fill fill) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1); // the scenes' 1024 x 1024 pictures are written per test
    png_write_info(png, info);
    std::vector<unsigned char> row(png_get_rowbytes(png, info));
    for (int y = 0; y < height; ++y) {
        fill(row, y);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

} // namespace

std::string temporaryPath(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return ::testing::TempDir() + "solvane_" + test->name() + "_" + name;
}

void writeImage(const std::string& path, int width, int height, int colorType, int bitDepth) {
    writeRows(path, width, height, colorType, bitDepth, [](std::vector<unsigned char>& row, int y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>(i * 7 + y * 13);
    });
}

void writePixels(const std::string& path, int width, int height, bool alpha,
                 const PixelFill& fill) {
    const int components = alpha ? 4 : 3;
    writeRows(path, width, height, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, 8,
              [&](std::vector<unsigned char>& row, int y) {
                  for (int x = 0; x < width; ++x)
                      fill(x, y, &row[static_cast<size_t>(x) * components]);
              });
}

void writeNoise(const std::string& path, int width, int height) {
    unsigned int state = 12345;
    writeRows(path, width, height, PNG_COLOR_TYPE_RGB, 8,
              [&state](std::vector<unsigned char>& row, int) {
                  for (unsigned char& sample : row) {
                      state = state * 1103515245u + 12345u;
                      sample = static_cast<unsigned char>(state >> 16);
                  }
              });
}

std::vector<unsigned char> declaredSizeFile(unsigned int width, unsigned int height) {
    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> header;
    appendUint32(header, width);
    appendUint32(header, height);
    header.insert(header.end(), {8, PNG_COLOR_TYPE_RGB, 0, 0, 0});
    appendChunk(file, "IHDR", header);
    unsigned char compressed[64];
    uLongf compressedSize = sizeof compressed;
    const unsigned char zeros[16] = {};
    compress(compressed, &compressedSize, zeros, sizeof zeros);
    appendChunk(file, "IDAT", std::vector<unsigned char>(compressed, compressed + compressedSize));
    appendChunk(file, "IEND", {});
    return file;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file),
                                      std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

Decoded decodeReference(const std::string& path) {
    Decoded decoded;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return decoded;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        decoded.width = static_cast<int>(png_get_image_width(png, info));
        decoded.height = static_cast<int>(png_get_image_height(png, info));
        decoded.components = png_get_channels(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        png_bytepp rows = png_get_rows(png, info);
        for (int y = 0; y < decoded.height; ++y)
            decoded.pixels.insert(decoded.pixels.end(), rows[y], rows[y] + rowBytes);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return decoded;
}

} // namespace testpng
