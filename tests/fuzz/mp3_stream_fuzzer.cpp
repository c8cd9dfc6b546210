// libFuzzer target for the MP3 stream path: open (header scan), decode to the end, seek back
// and decode again, as the sound layer's audio thread does with music.mp3.
// Build: CC=clang CXX=clang++ cmake -S . -B build-fuzz -DSOLVANE_FUZZ=ON
//        cmake --build build-fuzz --target mp3_stream_fuzzer mp3_fuzz_seeds
// Run:   build-fuzz/tests/fuzz/mp3_fuzz_seeds SEED_DIR
//        build-fuzz/tests/fuzz/mp3_stream_fuzzer -rss_limit_mb=512 -malloc_limit_mb=256 \
//            -timeout=5 -close_fd_mask=2 NEW_CORPUS_DIR SEED_DIR
// The limits are the CI smoke test's: more than 512 MB resident, 256 MB in one allocation or
// 5 s for one input is a finding.
#include "sound/mp3_decoder.h"
#include "sound/sound.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr int kFramesPerSecond = 44100;
constexpr int kChunkFrames = 1024;
// Bounds a decode of a tiny input that declares a very long stream.
constexpr int kMostChunks = 4000;

void decodeSome(sound::Mp3Decoder& decoder) {
    static int16_t buffer[kChunkFrames * sound::kOutputChannels];
    for (int chunk = 0; chunk < kMostChunks; ++chunk) {
        int frames = decoder.read(buffer, kChunkFrames);
        if (frames < 0 || frames > kChunkFrames)
            std::abort();
        if (frames < kChunkFrames)
            return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int file = memfd_create("music.mp3", 0);
    if (file < 0 || write(file, data, size) != static_cast<ssize_t>(size))
        std::abort();
    std::string path = "/proc/self/fd/" + std::to_string(file);

    sound::Mp3Decoder decoder;
    if (decoder.open(path.c_str(), kFramesPerSecond) == sound::kOk) {
        if (decoder.length() < 0)
            std::abort();
        decodeSome(decoder);
        decoder.seek(decoder.length() / 2);
        decodeSome(decoder);
        decoder.seek(0);
        decodeSome(decoder);
    }
    close(file);
    return 0;
}
