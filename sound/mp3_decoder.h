// An MP3 file decoded piece by piece to interleaved 16-bit stereo at a chosen rate (libmpg123).
#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

namespace sound {

// Whether a Xing/Info frame among the file's first bytes (`head`) claims more frames than a
// file of `fileSize` bytes can hold. libmpg123 spends seconds to
// minutes on such a claim before it decodes anything, so the decoder ignores the frame then.
bool hasImplausibleInfoFrame(const unsigned char* head, size_t size, int64_t fileSize);

constexpr int kOutputChannels = 2;
constexpr int kBytesPerFrame = kOutputChannels * 2;

class Mp3Decoder {
public:
    Mp3Decoder() = default;
    ~Mp3Decoder();
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Opens `path` for decoding at `framesPerSecond`; returns kOk or the sound::Error that says
    // why not. Reads the frame headers once so that length and seeks are exact and cheap.
    int open(const char* path, int framesPerSecond);

    // Decodes up to `frames` frames into `out`; returns how many, fewer only at the end of
    // the stream (or on a read failure, which ends it too).
    int read(int16_t* out, int frames);
    // Moves decoding to output frame `frame`; beyond the end, read returns nothing.
    bool seek(int64_t frame);
    // The output frame that read decodes next.
    int64_t position() const { return nextFrame; }
    // Output frames in the whole stream.
    int64_t length() const { return totalFrames; }

private:
    int classifyUnreadable() const;

    mpg123_handle_struct* handle = nullptr;
    int file = -1;
    int64_t nextFrame = 0;
    int64_t totalFrames = 0;
    bool ended = false;
};

} // namespace sound
