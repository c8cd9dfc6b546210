// MP3 decoding through libmpg123, reading the file itself as it goes (nothing is loaded whole).
#include "sound/mp3_decoder.h"

#include "framework/input_file.h"
#include "sound/sound.h"

#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sound {

namespace {

// Frames decoded and thrown away before a seek target. Quiet passages of variable-bitrate
// streams have tiny frames whose bit reservoir reaches many frames back; with mpg123's default
// of 4, a seek there played up to 0.1 s of silence.
constexpr long kSeekPreroll = 16;

// Whether `header` starts like an MP3 file: an ID3v2 tag or an MPEG audio frame header.
bool looksLikeMp3(const unsigned char* header, ssize_t size) {
    if (size >= 3 && header[0] == 'I' && header[1] == 'D' && header[2] == '3') {
        return true;
    }
    if (size < 3 || header[0] != 0xFF || (header[1] & 0xE0) != 0xE0) {
        return false;
    }
    int version = (header[1] >> 3) & 3;
    int layer = (header[1] >> 1) & 3;
    int bitrate = header[2] >> 4;
    int rate = (header[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && rate != 3;
}

// The smallest frame any MP3 can have (8 kbit/s at 24 kHz, MPEG-2.5 layer III) is 24 bytes.
constexpr int64_t kSmallestFrameBytes = 24;
constexpr size_t kHeadBytes = 4096;
// Hours of music at the highest bitrate; opening scans the whole file, so a bigger one would
// hold the start-up for minutes.
constexpr off_t kLongestMusicBytes = off_t(512) << 20;

uint32_t bigEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
           uint32_t(bytes[3]);
}

int openError(int error) {
    return error == ENOENT || error == ENOTDIR ? kFileNotFound : kFileLoadFailed;
}

} // namespace

bool hasImplausibleInfoFrame(const unsigned char* head, size_t size, int64_t fileSize) {
    // libmpg123 skips an ID3 tag or junk to find the first frame, so the tag is looked for
    // anywhere in the head rather than at one offset.
    for (size_t at = 0; at + 12 <= size; ++at) {
        bool xing = std::equal(head + at, head + at + 4, "Xing");
        bool info = std::equal(head + at, head + at + 4, "Info");
        if (!xing && !info)
            continue;
        bool hasFrameCount = bigEndian32(head + at + 4) & 1;
        if (hasFrameCount && int64_t(bigEndian32(head + at + 8)) > fileSize / kSmallestFrameBytes)
            return true;
    }
    return false;
}

Mp3Decoder::~Mp3Decoder() {
    if (handle != nullptr) {
        mpg123_delete(handle);
    }
    if (file >= 0) {
        close(file);
    }
}

int Mp3Decoder::open(const char* path, int framesPerSecond) {
    int why = 0;
    file = tarvo64k::openRegularFile(path, &why);
    if (file < 0) {
        return openError(why);
    }
    struct stat status;
    if (fstat(file, &status) != 0 || status.st_size > kLongestMusicBytes) {
        return kFileLoadFailed;
    }
    int error = MPG123_OK;
    handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) {
        return kOutOfMemory;
    }
    // Gapless decoding makes frame 0 the first sample the encoder was given; the forced rate
    // resamples streams that were not made at the output rate, and stereo output duplicates mono.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    unsigned char head[kHeadBytes];
    ssize_t headSize = pread(file, head, sizeof head, 0);
    if (headSize > 0 && hasImplausibleInfoFrame(head, size_t(headSize), status.st_size))
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME, 0);
    mpg123_param(handle, MPG123_PREFRAMES, kSeekPreroll, 0);
    mpg123_param(handle, MPG123_FORCE_RATE, framesPerSecond, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, framesPerSecond, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_fd(handle, file) != MPG123_OK) {
        return kOutOfMemory;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        return classifyUnreadable();
    }
    mpg123_frameinfo info;
    if (mpg123_info(handle, &info) != MPG123_OK || info.layer != 3) {
        return kUnknownFormat;
    }
    if (mpg123_scan(handle) != MPG123_OK) {
        return kFileLoadFailed;
    }
    off_t length = mpg123_length(handle);
    totalFrames = length > 0 ? length : 0;
    return kOk;
}

// mpg123 could not find a first frame: either the file is no MP3 at all, or it starts like one
// and then stops short (truncated, or unreadable).
int Mp3Decoder::classifyUnreadable() const {
    unsigned char header[4];
    ssize_t size = pread(file, header, sizeof header, 0);
    if (size < 0) {
        return kFileLoadFailed;
    }
    return looksLikeMp3(header, size) ? kFileLoadFailed : kUnknownFormat;
}

int Mp3Decoder::read(int16_t* out, int frames) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
    size_t wanted = static_cast<size_t>(frames) * kBytesPerFrame;
    size_t filled = 0;
    while (!ended && filled < wanted) {
        size_t done = 0;
        int result = mpg123_read(handle, bytes + filled, wanted - filled, &done);
        filled += done;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            ended = true; // MPG123_DONE, or a read error that leaves nothing more to play
        }
    }
    int decoded = static_cast<int>(filled / kBytesPerFrame);
    nextFrame += decoded;
    return decoded;
}

bool Mp3Decoder::seek(int64_t frame) {
    frame = std::max<int64_t>(0, frame);
    if (frame >= totalFrames) {
        nextFrame = frame;
        ended = true;
        return true;
    }
    off_t reached = mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) {
        return false;
    }
    nextFrame = reached;
    ended = false;
    return true;
}

} // namespace sound
