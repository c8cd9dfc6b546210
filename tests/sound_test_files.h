// Scratch MP3 and non-MP3 files for the sound tests, in a directory removed afterwards.
#pragma once

#include "tools/lib/mp3tone/mp3_tone.h"

#include <string>

class SoundTestFiles {
public:
    SoundTestFiles();
    ~SoundTestFiles();
    SoundTestFiles(const SoundTestFiles&) = delete;
    SoundTestFiles& operator=(const SoundTestFiles&) = delete;

    // A tone MP3 named `name`; an empty path if it could not be written.
    std::string tone(const std::string& name, const mp3tone::ToneOptions& options);
    // A file holding `bytes` as they are.
    std::string raw(const std::string& name, const std::string& bytes);
    // The first `bytes` bytes of file `from`, under `name`.
    std::string truncated(const std::string& name, const std::string& from, size_t bytes);
    std::string path(const std::string& name) const { return directory + "/" + name; }

private:
    std::string directory;
};
