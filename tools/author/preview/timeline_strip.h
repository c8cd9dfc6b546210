// The preview's timeline strip, drawn over the bottom of the frame above the position bar: a
// window of the music around the playhead with its waveform, the cue sheet's bar and beat
// lines, cues and section names, one lane per effect in file order with its triggers as
// ticks, the loop range and the playhead. A click on it seeks to the time under the pointer.
#pragma once

#include "tools/lib/cues/beat_grid.h"
#include "tools/lib/cues/markers.h"

#include <memory>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace preview {

struct StripLane {
    double start, end;         // the effect's window
    std::vector<double> ticks; // its triggers' due times, every repetition
};

// The music's loudness: the peak of each kEnvelopeStep seconds, from 0 to 1.
constexpr double kEnvelopeStep = 0.01;
std::vector<float> musicEnvelope(const std::string& mp3Path);

class TimelineStrip {
public:
    static constexpr int kHeight = 150;          // pixels
    static constexpr double kSpanSeconds = 16.0; // the window of music shown
    static constexpr double kLeadSeconds = 4.0;  // how much of it lies before the playhead

    TimelineStrip();
    ~TimelineStrip();
    TimelineStrip(const TimelineStrip&) = delete;
    TimelineStrip& operator=(const TimelineStrip&) = delete;

    // The music and the timeline to show; the grid and the cues may be absent.
    void setMusic(std::vector<float> envelope, const cues::BeatGrid* grid,
                  std::vector<cues::Cue> cueList);
    void setTimeline(std::vector<StripLane> lanes, std::vector<cues::Marker> named);

    // The time at the strip's left edge with the playhead at `now`, `end` the timeline's end.
    static double windowStart(double now, double end);
    // Whether window row `y` is on the strip, `bottom` being the row under its last.
    static bool contains(int y, int bottom) { return y >= bottom - kHeight && y < bottom; }

    // Draws the strip with its last row just above row `bottom`; inside an overlay.
    void draw(int width, int bottom, double now, double end, double loopFrom, double loopTo);

private:
    void paint(cairo_t* cr, int width, double from, double now, double loopFrom, double loopTo);
    void paintMusic(cairo_t* cr, int width, double from);
    void paintLanes(cairo_t* cr, int width, double from);

    std::vector<float> envelope;
    const cues::BeatGrid* grid = nullptr;
    std::vector<cues::Cue> cueList;
    std::vector<StripLane> lanes;
    std::vector<cues::Marker> named;
    cairo_surface_t* surface = nullptr;
    std::vector<unsigned char> rgba;
    unsigned int texture = 0;
};

} // namespace preview
