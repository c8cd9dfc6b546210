// The server's timing reports turned into the frame heard now.
//
// NOTE: servers that play in periods report a read index that jumps a period at a time, with a
// sink latency that stays put, so a single report can put the frame heard up to a period ahead.
// A frame is never heard before its period starts, so of the last reports the one that puts
// frame 0 latest is the truth; reports come at uneven intervals so that their moments spread
// over the period. A server busy elsewhere can stamp a report late, which puts frame 0 late
// too: as the window fills, the second and then the third latest is taken, which that many
// stray reports less one cannot move. A device that slows down or stalls shows within three
// reports; one that speeds up after the window.
#include "sound/server_timing.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace sound {

namespace {

template <typename Ring> void pushFront(Ring& ring, int& count, int64_t value) {
    std::rotate(ring.rbegin(), ring.rbegin() + 1, ring.rend());
    ring[0] = value;
    count = std::min(count + 1, int(ring.size()));
}

} // namespace

void ServerTiming::restart() {
    playing = false;
    lastRead = -1;
    lastHeard = 0;
    frameZeroCount = 0;
    stepCount = 0;
    period = 0;
}

void ServerTiming::report(int64_t measuredNs, int64_t readFrame, int64_t heldFrames,
                          bool isPlaying) {
    if (playing && isPlaying && readFrame >= lastRead) {
        notePeriod(readFrame - lastRead);
    }
    lastRead = readFrame;
    lastHeard = readFrame - heldFrames;
    playing = isPlaying;
    if (!playing) {
        frameZeroCount = 0;
        return;
    }
    pushFront(frameZeroNs, frameZeroCount, measuredNs - lastHeard * 1000000000 / framesPerSecond);
    placeFrameZero();
}

void ServerTiming::placeFrameZero() {
    std::array<int64_t, kReports> latestFirst = frameZeroNs;
    int latest = frameZeroCount / 12; // the latest, then one stray report more ignored per 12
    std::nth_element(latestFirst.begin(), latestFirst.begin() + latest,
                     latestFirst.begin() + frameZeroCount, std::greater<int64_t>());
    zeroNs = latestFirst[latest];
}

// Between two reports the read index moves a whole number of periods; reports at uneven
// intervals see different numbers of them, so one period is the smallest difference between two
// moves that every move is a whole number of. Moves that differ by less than a quarter
// millisecond differ by the server's rate matching only. A stray move (a report taken while the
// server updates, a short read) leaves the period as it was until it has left the window.
void ServerTiming::notePeriod(int64_t step) {
    pushFront(steps, stepCount, step);
    int64_t smallest = 0;
    for (int a = 0; a < stepCount; ++a) {
        for (int b = a + 1; b < stepCount; ++b) {
            int64_t difference = std::llabs(steps[a] - steps[b]);
            if (difference > sameStep() && (smallest == 0 || difference < smallest) &&
                measuresEveryStep(difference)) {
                smallest = difference;
            }
        }
    }
    if (smallest > 0) {
        period = smallest;
    }
}

bool ServerTiming::measuresEveryStep(int64_t candidate) const {
    for (int i = 0; i < stepCount; ++i) {
        int64_t beyond = steps[i] % candidate;
        if (std::min(beyond, candidate - beyond) > sameStep()) {
            return false;
        }
    }
    return true;
}

int64_t ServerTiming::heardAt(int64_t nowNs) const {
    int64_t frame = lastHeard;
    if (playing && frameZeroCount > 0) {
        frame = static_cast<int64_t>((nowNs - zeroNs) * 1e-9 * framesPerSecond);
    }
    return std::max<int64_t>(0, frame - queuedFrames());
}

bool ServerTiming::heard() const {
    return playing && lastHeard - queuedFrames() > 0 && frameZeroCount >= kSettledReports &&
           (!queuesOnePeriod || period > 0);
}

} // namespace sound
