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
#include "gfx/png_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

bool isAcceptedSide(unsigned int side) {
    return side >= 4 && side <= 1024 && (side & (side - 1)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
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
