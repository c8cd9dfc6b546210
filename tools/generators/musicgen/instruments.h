// The soundtrack's voices. Each call renders one note or hit and adds it to the mix buses.
#pragma once

#include <functional>
#include <vector>

namespace musicgen {

// The mix in progress: a stereo dry pair, mono sends to the echo and the hall, and the
// side-chain gain that pads and bass are multiplied by (1 = no ducking).
struct Buses {
    explicit Buses(size_t frames);
    size_t frames() const { return left.size(); }
    void add(size_t frame, float mono, float pan, float delaySend, float reverbSend);
    void addStereo(size_t frame, float l, float r, float reverbSend);

    std::vector<float> left, right, delaySend, reverbSend, duck;
};

// Filter cutoff in Hz at a time in seconds from the start of the piece.
using Cutoff = std::function<double(double)>;

size_t frameAt(double seconds);

void playKick(Buses& buses, double time, float level);
void playClap(Buses& buses, double time, float level);
void playSnare(Buses& buses, double time, float level);
void playHat(Buses& buses, double time, float level, bool open);
void playCrash(Buses& buses, double time, float level);
void playRiser(Buses& buses, double start, double length, float level);
void playBass(Buses& buses, double time, double length, int pitch, float level);
void playPad(Buses& buses, double time, double length, int pitch, float level,
             const Cutoff& cutoff);
void playArp(Buses& buses, double time, double length, int pitch, float level, float pan,
             const Cutoff& cutoff);
void playLead(Buses& buses, double time, double length, int pitch, float level);

} // namespace musicgen
