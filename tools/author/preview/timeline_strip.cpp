// The timeline strip: cairo paints it into an image each frame, GL shows it as one textured
// quad, as the heads-up display's panel is shown.
#include "tools/author/preview/timeline_strip.h"

#include "host/window_interface.h"
#include "sound/mp3_decoder.h"
#include "sound/sound.h"
#include "tools/author/preview/hud.h"

#include <GL/gl.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace preview {

namespace {

constexpr int kTextureWidth = 1024, kTextureHeight = 256;
constexpr double kNamesBottom = 14, kWaveTop = 16, kWaveBottom = 54, kLanesTop = 58;
constexpr double kMinBeatSpacing = 4; // pixels; closer beat lines are left out

struct Colour {
    double r, g, b, a;
};

void setColour(cairo_t* cr, const Colour& colour) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
}

Colour cueColour(cues::CueKind kind) {
    switch (kind) {
    case cues::CueKind::kick:
        return {1.0, 0.55, 0.2, 0.9};
    case cues::CueKind::clap:
        return {1.0, 0.9, 0.3, 0.9};
    case cues::CueKind::snare:
        return {0.5, 1.0, 0.5, 0.9};
    case cues::CueKind::hook:
        return {1.0, 0.4, 1.0, 1.0};
    case cues::CueKind::fill:
        return {0.4, 0.9, 1.0, 0.9};
    case cues::CueKind::strong:
        return {1.0, 1.0, 1.0, 0.9};
    case cues::CueKind::weak:
        return {0.6, 0.6, 0.6, 0.7};
    }
    return {1, 1, 1, 1};
}

void verticalLine(cairo_t* cr, double x, double top, double bottom) {
    cairo_move_to(cr, std::floor(x) + 0.5, top);
    cairo_line_to(cr, std::floor(x) + 0.5, bottom);
    cairo_stroke(cr);
}

} // namespace

std::vector<float> musicEnvelope(const std::string& mp3Path) {
    std::vector<float> peaks;
    sound::Mp3Decoder decoder;
    if (decoder.open(mp3Path.c_str(), sound::kMixRate) != sound::kOk)
        return peaks;
    const int step = static_cast<int>(kEnvelopeStep * sound::kMixRate);
    std::vector<int16_t> block(static_cast<size_t>(step) * sound::kOutputChannels);
    while (decoder.read(block.data(), step) > 0) {
        int peak = 0;
        for (int16_t sample : block)
            peak = std::max(peak, std::abs(int(sample)));
        peaks.push_back(peak / 32768.0f);
        std::fill(block.begin(), block.end(), 0);
    }
    return peaks;
}

TimelineStrip::TimelineStrip()
    : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kTextureWidth, kTextureHeight)) {}

TimelineStrip::~TimelineStrip() {
    if (texture)
        glDeleteTextures(1, &texture);
    cairo_surface_destroy(surface);
}

void TimelineStrip::setMusic(std::vector<float> music, const cues::BeatGrid* beatGrid,
                             std::vector<cues::Cue> cueTimes) {
    envelope = std::move(music);
    grid = beatGrid;
    cueList = std::move(cueTimes);
}

void TimelineStrip::setTimeline(std::vector<StripLane> effectLanes,
                                std::vector<cues::Marker> namedTimes) {
    lanes = std::move(effectLanes);
    named = std::move(namedTimes);
}

double TimelineStrip::windowStart(double now, double end) {
    return std::max(0.0, std::min(now - kLeadSeconds, end - kSpanSeconds));
}

void TimelineStrip::draw(int width, int bottom, double now, double end, double loopFrom,
                         double loopTo) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    paint(cr, width, windowStart(now, end), now, loopFrom, loopTo);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    uploadPicture(cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface),
                  kTextureWidth, kTextureHeight, &rgba, &texture);
    drawPicture(texture, 0, bottom - kHeight, width, kHeight, kTextureWidth, kTextureHeight);
}

void TimelineStrip::paint(cairo_t* cr, int width, double from, double now, double loopFrom,
                          double loopTo) {
    const double scale = width / kSpanSeconds; // pixels a second
    cairo_set_source_rgba(cr, 0, 0, 0, 0.65);
    cairo_rectangle(cr, 0, 0, width, kHeight);
    cairo_fill(cr);
    paintMusic(cr, width, from);
    paintLanes(cr, width, from);
    if (loopTo > loopFrom) {
        setColour(cr, {1.0, 0.7, 0.2, 0.25});
        cairo_rectangle(cr, (loopFrom - from) * scale, 0, (loopTo - loopFrom) * scale, kHeight);
        cairo_fill(cr);
    }
    cairo_set_line_width(cr, 1);
    setColour(cr, {1.0, 0.2, 0.2, 1.0});
    verticalLine(cr, (now - from) * scale, 0, kHeight);
}

// Waveform, bar and beat lines, cues and the names of sections and markers.
void TimelineStrip::paintMusic(cairo_t* cr, int width, double from) {
    const double scale = width / kSpanSeconds, middle = (kWaveTop + kWaveBottom) / 2;
    cairo_set_line_width(cr, 1);
    setColour(cr, {0.45, 0.7, 1.0, 0.8});
    for (int x = 0; x < width; ++x) {
        size_t first = static_cast<size_t>(std::max(0.0, (from + x / scale) / kEnvelopeStep));
        size_t last = static_cast<size_t>(std::max(0.0, (from + (x + 1) / scale) / kEnvelopeStep));
        float peak = 0;
        for (size_t i = first; i <= last && i < envelope.size(); ++i)
            peak = std::max(peak, envelope[i]);
        double half = peak * (kWaveBottom - kWaveTop) / 2;
        verticalLine(cr, x, middle - half, middle + half + 1);
    }
    if (grid) {
        const std::vector<cues::BeatGrid::Line> beats = grid->beatLines(from, from + kSpanSeconds);
        bool everyBeat =
            beats.size() < 2 || (beats[1].seconds - beats[0].seconds) * scale >= kMinBeatSpacing;
        for (const cues::BeatGrid::Line& beat : beats) {
            if (!beat.barStart && !everyBeat)
                continue;
            setColour(cr, {1, 1, 1, beat.barStart ? 0.55 : 0.2});
            verticalLine(cr, (beat.seconds - from) * scale, kWaveTop, kHeight);
        }
    }
    for (const cues::Cue& cue : cueList) {
        if (cue.seconds < from || cue.seconds > from + kSpanSeconds)
            continue;
        setColour(cr, cueColour(cue.kind));
        verticalLine(cr, (cue.seconds - from) * scale, kWaveBottom - 6, kWaveBottom);
    }
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 11);
    for (const cues::Marker& marker : named) {
        double x = (marker.seconds - from) * scale;
        if (x < -200 || x > width)
            continue;
        setColour(cr, {1.0, 0.85, 0.4, 1.0});
        verticalLine(cr, x, 0, kWaveBottom);
        cairo_move_to(cr, x + 3, kNamesBottom - 3);
        cairo_show_text(cr, marker.name.c_str());
    }
}

// One lane per effect in file order: its window as a bar, its triggers as ticks.
void TimelineStrip::paintLanes(cairo_t* cr, int width, double from) {
    if (lanes.empty())
        return;
    const double scale = width / kSpanSeconds, to = from + kSpanSeconds;
    const double laneHeight =
        std::clamp(std::floor((kHeight - kLanesTop - 2) / lanes.size()), 2.0, 8.0);
    for (size_t i = 0; i < lanes.size(); ++i) {
        const StripLane& lane = lanes[i];
        if (lane.end <= from || lane.start >= to)
            continue;
        double top = kLanesTop + i * laneHeight;
        setColour(cr, {0.3, 0.8, 0.7, 0.7});
        double left = std::max(lane.start, from), right = std::min(lane.end, to);
        cairo_rectangle(cr, (left - from) * scale, top, (right - left) * scale,
                        std::max(1.0, laneHeight - 1));
        cairo_fill(cr);
        setColour(cr, {1, 1, 1, 1});
        for (double tick : lane.ticks)
            if (tick >= from && tick < to)
                verticalLine(cr, (tick - from) * scale, top - 1, top + laneHeight);
    }
}

} // namespace preview
