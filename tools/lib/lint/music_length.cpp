// The music's length through the sound layer's own decoder (libmpg123 only: no audio output).
#include "tools/lib/lint/timeline_lint.h"

#include "framework/input_file.h"
#include "sound/mp3_decoder.h"
#include "sound/sound.h"

#include <unistd.h>

namespace lint {

double musicLength(const std::string& path, std::string* why) {
    int openError = 0;
    int file = tarvo64k::openRegularFile(path.c_str(), &openError);
    if (file < 0) {
        *why = tarvo64k::inputErrorText(openError);
        return -1;
    }
    close(file);
    sound::Mp3Decoder decoder;
    int error = decoder.open(path.c_str(), sound::kMixRate);
    if (error == sound::kOk)
        return static_cast<double>(decoder.length()) / sound::kMixRate;
    *why = error == sound::kUnknownFormat ? "not an MP3 stream" : "cannot be read";
    return -1;
}

} // namespace lint
