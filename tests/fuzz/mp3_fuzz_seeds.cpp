// Writes the MP3 fuzz target's seeds into a directory: short tones in the forms the sound
// layer accepts (mono and stereo, three rates, fixed and variable bit rate, an ID3 tag).
#include "tools/lib/mp3tone/mp3_tone.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mp3_fuzz_seeds DIRECTORY\n");
        return 2;
    }
    struct Seed {
        const char* name;
        int rate;
        int channels;
        bool variable;
        bool id3;
    };
    const Seed seeds[] = {{"stereo-44100.mp3", 44100, 2, false, false},
                          {"mono-22050-vbr.mp3", 22050, 1, true, false},
                          {"stereo-48000-id3.mp3", 48000, 2, false, true}};
    for (const Seed& seed : seeds) {
        mp3tone::ToneOptions tone;
        tone.framesPerSecond = seed.rate;
        tone.channels = seed.channels;
        tone.seconds = 0.2;
        tone.variableBitrate = seed.variable;
        tone.id3Tag = seed.id3;
        if (!mp3tone::writeTone(std::string(argv[1]) + "/" + seed.name, tone))
            return 1;
    }
    return 0;
}
