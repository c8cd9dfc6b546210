// Scratch files for the sound tests.
#include "tests/sound_test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <ftw.h>
#include <unistd.h>

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

} // namespace

SoundTestFiles::SoundTestFiles() {
    std::string pattern = ::testing::TempDir() + "solvane-sound-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr)
        directory = buffer.data();
}

SoundTestFiles::~SoundTestFiles() {
    if (!directory.empty())
        nftw(directory.c_str(), removeEntry, 8, FTW_DEPTH | FTW_PHYS);
}

std::string SoundTestFiles::tone(const std::string& name, const mp3tone::ToneOptions& options) {
    return !directory.empty() && mp3tone::writeTone(path(name), options) ? path(name) : "";
}

std::string SoundTestFiles::raw(const std::string& name, const std::string& bytes) {
    std::ofstream(path(name), std::ios::binary) << bytes;
    return path(name);
}

std::string SoundTestFiles::truncated(const std::string& name, const std::string& from,
                                      size_t bytes) {
    std::ifstream in(from, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return raw(name, content.substr(0, bytes));
}
