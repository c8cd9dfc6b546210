// Writes PNG fuzz seeds into a directory, beside the PngSuite images: pictures carrying the
// metadata image editors write (tEXt, zTXt, iTXt, iCCP, tIME, pHYs) in accepted and refused
// forms, and files of a few hundred bytes whose last chunk declares 2 GB.
#include "tests/png_chunk_files.h"

#include <png.h>

#include <cstdio>
#include <string>

namespace {

bool write(const std::string& path, const pngchunks::Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || bytes.empty()) {
        std::fprintf(stderr, "png_fuzz_seeds: cannot write %s\n", path.c_str());
        if (file != nullptr)
            std::fclose(file);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: png_fuzz_seeds DIRECTORY\n");
        return 2;
    }
    const std::string directory = std::string(argv[1]) + "/";
    const pngchunks::Metadata all = pngchunks::allMetadata();
    pngchunks::Metadata text;
    text.text = text.time = text.physicalSize = true;
    pngchunks::Metadata compressed;
    compressed.compressedText = compressed.internationalText = compressed.colourProfile = true;

    struct Picture {
        const char* name;
        int width;
        int height;
        int colorType;
        bool interlaced;
        pngchunks::Metadata metadata;
    };
    const Picture pictures[] = {
        {"rgb-8x8-metadata.png", 8, 8, PNG_COLOR_TYPE_RGB, false, all},
        {"rgba-16x8-metadata-interlaced.png", 16, 8, PNG_COLOR_TYPE_RGB_ALPHA, true, all},
        {"rgb-4x4-text-time-phys.png", 4, 4, PNG_COLOR_TYPE_RGB, false, text},
        {"rgba-8x4-compressed-text-icc.png", 8, 4, PNG_COLOR_TYPE_RGB_ALPHA, false, compressed},
        {"rgb-12x8-metadata.png", 12, 8, PNG_COLOR_TYPE_RGB, false, all},       // width refused
        {"palette-8x8-metadata.png", 8, 8, PNG_COLOR_TYPE_PALETTE, false, all}, // form refused
    };
    bool written = true;
    for (const Picture& picture : pictures) {
        written &= write(directory + picture.name,
                         pngchunks::editorPicture(picture.width, picture.height, picture.colorType,
                                                  picture.interlaced, picture.metadata));
    }
    for (const char* type : {"tEXt", "iTXt", "IDAT"}) {
        written &= write(directory + "declares-2gb-" + type + ".png",
                         pngchunks::declaringHugeChunk(type, 2000000000u));
    }
    return written ? 0 : 1;
}
