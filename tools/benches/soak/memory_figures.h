// What a soak run measures of its own process: resident memory from /proc and the bytes the
// heap has handed out, and whether they kept growing after the first pass.
#pragma once

#include <string>
#include <vector>

namespace soak {

struct MemorySample {
    long residentKiB = 0;  // VmRSS
    long peakKiB = 0;      // VmHWM
    long heapInUseKiB = 0; // allocated and not yet freed
};

// Reads "VmRSS:   1234 kB"-style lines from the text of /proc/self/status. False when
// either line is missing.
bool parseProcStatus(const std::string& text, MemorySample* sample);

// The process's own figures now, after handing free heap pages back to the system; false
// when /proc cannot be read.
bool sampleMemory(MemorySample* sample);

struct PassFigures {
    double seconds = 0;
    MemorySample afterFrames;   // the last frame drawn, the demo still built
    MemorySample afterTeardown; // scenes, timeline and window gone
};

struct Growth {
    long residentKiB = 0; // the most any later pass ended above the first, resident
    long heapKiB = 0;     // the same for the heap
    bool steady = true;   // both within the allowance
};

// Compares every pass after the first with the first, at both moments of a pass. The first
// pass is the baseline because it pays for what the driver and libraries keep once loaded.
Growth judgeGrowth(const std::vector<PassFigures>& passes, long allowanceKiB);

} // namespace soak
