// Sine tones encoded with libmp3lame, with the encoder's Info frame so that decoders trim its
// padding and a decoded tone is exactly as long as the samples put in.
#include "tools/lib/mp3tone/mp3_tone.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace mp3tone {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 0.5 * 32767;

// A minimal ID3v2.3 tag holding one title frame.
std::vector<unsigned char> id3Title(const std::string& title) {
    std::vector<unsigned char> frame = {'T', 'I', 'T', '2'};
    size_t contentSize = title.size() + 1; // the encoding byte, then Latin-1 text
    for (int shift = 24; shift >= 0; shift -= 8) {
        frame.push_back(static_cast<unsigned char>(contentSize >> shift));
    }
    frame.insert(frame.end(), {0, 0, 0});
    frame.insert(frame.end(), title.begin(), title.end());

    std::vector<unsigned char> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) { // sync-safe: seven bits a byte
        tag.push_back(static_cast<unsigned char>((frame.size() >> shift) & 0x7F));
    }
    tag.insert(tag.end(), frame.begin(), frame.end());
    return tag;
}

std::vector<short> toneSamples(const ToneOptions& options, int frames) {
    std::vector<short> samples(static_cast<size_t>(frames) * options.channels);
    for (int i = 0; i < frames; ++i) {
        double seconds = double(i) / options.framesPerSecond;
        double interval = options.clickIntervalSeconds;
        bool betweenClicks = interval > 0 && seconds - std::floor(seconds / interval) * interval >=
                                                 options.clickSeconds;
        double level = betweenClicks ? options.betweenClicksLevel : 1.0;
        if (level == 0) {
            continue;
        }
        double value = level * kAmplitude * std::sin(2 * kPi * options.frequency * seconds);
        for (int c = 0; c < options.channels; ++c) {
            samples[static_cast<size_t>(i) * options.channels + c] = static_cast<short>(value);
        }
    }
    return samples;
}

bool configure(lame_global_flags* lame, const ToneOptions& options) {
    lame_set_in_samplerate(lame, options.framesPerSecond);
    lame_set_out_samplerate(lame, options.framesPerSecond);
    lame_set_num_channels(lame, options.channels);
    lame_set_mode(lame, options.channels == 1 ? MONO : JOINT_STEREO);
    if (options.variableBitrate) {
        lame_set_VBR(lame, vbr_default);
        lame_set_VBR_quality(lame, 4);
    } else {
        lame_set_brate(lame, 128);
    }
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    lame_set_quality(lame, 5);
    return lame_init_params(lame) >= 0;
}

// The encoded stream, with its first frame replaced by the completed Info frame.
bool encode(lame_global_flags* lame, const ToneOptions& options, std::vector<unsigned char>& mp3) {
    int frames = static_cast<int>(std::lround(options.seconds * options.framesPerSecond));
    std::vector<short> samples = toneSamples(options, frames);
    mp3.resize(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int size = options.channels == 1
                   ? lame_encode_buffer(lame, samples.data(), nullptr, frames, mp3.data(),
                                        static_cast<int>(mp3.size()))
                   : lame_encode_buffer_interleaved(lame, samples.data(), frames, mp3.data(),
                                                    static_cast<int>(mp3.size()));
    if (size < 0) {
        return false;
    }
    int flushed = lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);
    if (flushed < 0) {
        return false;
    }
    mp3.resize(static_cast<size_t>(size + flushed));
    unsigned char infoFrame[2880];
    size_t infoSize = lame_get_lametag_frame(lame, infoFrame, sizeof infoFrame);
    if (infoSize == 0 || infoSize > mp3.size()) {
        return false;
    }
    std::copy(infoFrame, infoFrame + infoSize, mp3.begin());
    return true;
}

} // namespace

bool writeTone(const std::string& path, const ToneOptions& options) {
    lame_global_flags* lame = lame_init();
    std::vector<unsigned char> mp3;
    bool encoded = lame != nullptr && configure(lame, options) && encode(lame, options, mp3);
    if (lame != nullptr) {
        lame_close(lame);
    }
    if (!encoded) {
        std::fprintf(stderr, "%s: could not encode the tone\n", path.c_str());
        return false;
    }
    std::vector<unsigned char> file =
        options.id3Tag ? id3Title("Solvane test tone") : std::vector<unsigned char>();
    file.insert(file.end(), mp3.begin(), mp3.end());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out != nullptr && std::fclose(out) != 0) {
        written = false;
    }
    if (!written) {
        std::perror(path.c_str());
    }
    return written;
}

} // namespace mp3tone
