// The music's length through the sound layer's own decoder (libmpg123 only: no audio output).
#include "tools/lib/lint/timeline_lint.h"

#include "sound/mp3_decoder.h"
#include "sound/sound.h"

#include <cerrno>
#include <cstring>

namespace lint {

double musicLength(const std::string& path, std::string* why) {
    sound::Mp3Decoder decoder;
    errno = 0;
    int error = decoder.open(path.c_str(), sound::kMixRate);
    if (error == sound::kOk)
        return static_cast<double>(decoder.length()) / sound::kMixRate;
    if (error == sound::kUnknownFormat)
        *why = "not an MP3 stream";
    else if (error == sound::kFileNotFound)
        *why = std::strerror(ENOENT);
    else
        *why = "cannot be read";
    return -1;
}

} // namespace lint
