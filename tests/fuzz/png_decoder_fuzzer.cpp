// libFuzzer target for the PNG decoding path behind loadPng (signature, header checks, rows).
// Build: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSOLVANE_FUZZ=ON
//        cmake --build build-fuzz --target png_decoder_fuzzer png_fuzz_seeds
// Run:   build-fuzz/tests/fuzz/png_fuzz_seeds SEED_DIR
//        build-fuzz/tests/fuzz/png_decoder_fuzzer -rss_limit_mb=512 -malloc_limit_mb=256 \
//            -timeout=5 -close_fd_mask=2 NEW_CORPUS_DIR SEED_DIR tests/data/pngsuite
// The PngSuite images and the written seeds (pictures with editors' metadata chunks, files
// whose last chunk declares 2 GB) seed it; new inputs go to the first corpus directory only.
// The limits are the CI smoke test's: a decode that holds more than 512 MB, asks for more
// than 256 MB at once or takes over 5 s is a finding (the largest picture takes 4 MB).
#include "gfx/png_loader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <zlib.h>

namespace {

bool isAcceptedSide(unsigned int side) {
    return side >= 4 && side <= 1024 && (side & (side - 1)) == 0;
}

uint32_t readUint32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
           uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
}

// libpng refuses a chunk whose CRC does not match, so almost every mutation inside a chunk
// would stop at the checksum, and libpng itself is not instrumented to guide the fuzzer past
// it. So an input of even length has the CRC of each whole chunk after the signature mended
// before it is decoded; odd ones, and a chunk that the end of the input cuts off, stay as
// they are, so checksum errors are fuzzed too.
void mendChecksums(std::string& bytes) {
    if (bytes.size() % 2 != 0) {
        return;
    }
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = readUint32(bytes, at);
        if (length > bytes.size() - at - 12) {
            return;
        }
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(&bytes[at + 4]), length + 4));
        for (int i = 0; i < 4; ++i) {
            bytes[at + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
        }
        at += 12 + size_t(length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string file(reinterpret_cast<const char*>(data), size);
    mendChecksums(file);
    std::istringstream stream(file);
    PngImage image;
    if (decodePng(stream, image) != PngStatus::kDecoded) {
        if (image.pixels != nullptr) {
            std::abort(); // a refused file must not hand back a buffer
        }
        return 0;
    }
    if (!isAcceptedSide(image.width) || !isAcceptedSide(image.height) ||
        (image.components != 3 && image.components != 4)) {
        std::abort();
    }
    // Touch the last byte so the sanitizer checks the buffer really has the promised size.
    const size_t bytes = size_t(image.width) * image.height * size_t(image.components);
    volatile unsigned char last = image.pixels[bytes - 1];
    (void)last;
    delete[] image.pixels;
    return 0;
}
