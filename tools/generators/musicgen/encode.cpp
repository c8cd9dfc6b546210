// MP3 output through libmp3lame.
#include "tools/generators/musicgen/encode.h"

#include "tools/generators/musicgen/synth.h"
#include "tools/lib/authoring/safe_output.h"

#include <lame/lame.h>

#include <cstdio>
#include <vector>

namespace musicgen {

namespace {

struct LameHandle {
    lame_global_flags* flags = lame_init();
    ~LameHandle() {
        if (flags)
            lame_close(flags);
    }
};

std::string encodeMp3(const StereoMix& mix, const std::string& path) {
    LameHandle lame;
    if (!lame.flags)
        return "cannot encode " + path + ": lame_init failed";
    lame_set_in_samplerate(lame.flags, kSampleRate);
    lame_set_out_samplerate(lame.flags, kSampleRate);
    lame_set_num_channels(lame.flags, 2);
    lame_set_mode(lame.flags, JOINT_STEREO);
    lame_set_brate(lame.flags, kBitrateKbps);
    lame_set_VBR(lame.flags, vbr_off);
    lame_set_quality(lame.flags, 2);
    lame_set_bWriteVbrTag(lame.flags, 1);
    if (lame_init_params(lame.flags) < 0)
        return "cannot encode " + path + ": lame rejected the settings";

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "cannot write " + path + ": cannot open the file for writing";
    const int chunk = 8192;
    std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * chunk + 7200));
    bool ok = true;
    for (size_t start = 0; ok && start < mix.left.size(); start += chunk) {
        int count = static_cast<int>(std::min<size_t>(chunk, mix.left.size() - start));
        int bytes = lame_encode_buffer_ieee_float(lame.flags, mix.left.data() + start,
                                                  mix.right.data() + start, count, buffer.data(),
                                                  static_cast<int>(buffer.size()));
        ok = bytes >= 0 && std::fwrite(buffer.data(), 1, bytes, file) == size_t(bytes);
    }
    int bytes =
        ok ? lame_encode_flush(lame.flags, buffer.data(), static_cast<int>(buffer.size())) : -1;
    ok = bytes >= 0 && std::fwrite(buffer.data(), 1, bytes, file) == size_t(bytes);
    // The Info tag takes the place of the empty first frame lame wrote at the start.
    if (ok) {
        size_t tagSize = lame_get_lametag_frame(lame.flags, buffer.data(), buffer.size());
        ok = std::fseek(file, 0, SEEK_SET) == 0 &&
             std::fwrite(buffer.data(), 1, tagSize, file) == tagSize;
    }
    ok = std::fclose(file) == 0 && ok;
    return ok ? std::string() : "cannot write " + path + ": encoding or writing failed";
}

} // namespace

std::string writeMp3(const StereoMix& mix, const std::string& path) {
    return authoring::writeAtomically(
        path, [&](const std::string& temporary) { return encodeMp3(mix, temporary); });
}

} // namespace musicgen
