// Full-screen backgrounds. The scenes show the top-left 800 x 600 of each 1024 x 1024 picture,
// so every composition is centred on (400, 300) and only continues quietly beyond it.
#include "tools/generators/artgen/pictures.h"

#include <cmath>

namespace artgen {

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kScreenWidth = 800;
constexpr double kScreenHeight = 600;
constexpr double kHorizon = 400; // the horizon picture's skyline, in pixels from the top

void fillVertical(cairo_t* cr, int width, int height, Rgb top, Rgb middle, Rgb bottom,
                  double middleAt) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
    addStop(sky, 0.0, top);
    addStop(sky, middleAt, middle);
    addStop(sky, 1.0, bottom);
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
}

void scatterStars(cairo_t* cr, Scatter& scatter, int count, double maxY) {
    for (int i = 0; i < count; ++i) {
        double x = scatter.next() * 1024;
        double y = scatter.next() * maxY;
        double brightness = scatter.next();
        double size = 0.6 + 1.6 * brightness * brightness;
        Rgb colour = scatter.next() < 0.2 ? palette::amber : palette::cream;
        if (brightness > 0.85)
            radialGlow(cr, x, y, size * 7, colour, 0.35);
        setColour(cr, colour, 0.35 + 0.65 * brightness);
        cairo_arc(cr, x, y, size, 0, 2 * kPi);
        cairo_fill(cr);
    }
}

// A sun cut by horizontal slits that widen towards its foot.
void slitSun(cairo_t* cr, double cx, double cy, double radius) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 1024, cy);
    for (int slit = 0; slit < 7; ++slit) {
        double y = cy - radius * 0.62 + slit * radius * 0.1;
        double gap = 2 + slit * 2.2;
        cairo_rectangle(cr, 0, y, 1024, gap);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, cy - radius, 0, cy);
    addStop(body, 0.0, palette::cream);
    addStop(body, 0.35, palette::amber);
    addStop(body, 1.0, palette::rose);
    cairo_set_source(cr, body);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    cairo_restore(cr);
}

void perspectiveFloor(cairo_t* cr, double vanishX) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, kHorizon, 1024, 1024 - kHorizon);
    cairo_clip(cr);
    cairo_set_line_width(cr, line::hair);
    for (int row = 1; row < 16; ++row) {
        double y = kHorizon + 3.0 * row * row;
        setColour(cr, palette::rose, std::fmin(1.0, 0.25 + row * 0.06));
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, 1024, y);
        cairo_stroke(cr);
    }
    for (int column = -14; column <= 14; ++column) {
        setColour(cr, palette::rose, 0.7);
        cairo_move_to(cr, vanishX + column * 8, kHorizon);
        cairo_line_to(cr, vanishX + column * 140, kHorizon + 700);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

} // namespace

void paintHorizon(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double sunX = kScreenWidth / 2;
    fillVertical(cr, 1024, 1024, palette::night, palette::indigo, palette::rose,
                 kHorizon / 1024 * 0.8);
    // The floor is night again below the skyline.
    setColour(cr, palette::night);
    cairo_rectangle(cr, 0, kHorizon, 1024, 1024 - kHorizon);
    cairo_fill(cr);
    Scatter scatter(2);
    scatterStars(cr, scatter, 140, kHorizon - 120);
    radialGlow(cr, sunX, kHorizon - 40, 420, palette::rose, 0.55);
    radialGlow(cr, sunX, kHorizon - 60, 260, palette::amber, 0.45);
    slitSun(cr, sunX, kHorizon, 170);
    perspectiveFloor(cr, sunX);
    // The sun's reflection on the floor, and a bright skyline.
    radialGlow(cr, sunX, kHorizon + 10, 300, palette::amber, 0.3);
    setColour(cr, palette::cream, 0.9);
    cairo_set_line_width(cr, line::hair);
    cairo_move_to(cr, 0, kHorizon);
    cairo_line_to(cr, 1024, kHorizon);
    cairo_stroke(cr);
}

void paintSunRays(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double cx = kScreenWidth / 2, cy = kScreenHeight / 2;
    cairo_pattern_t* ground = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 620);
    addStop(ground, 0.0, palette::indigo);
    addStop(ground, 1.0, palette::night);
    cairo_set_source(cr, ground);
    cairo_paint(cr);
    cairo_pattern_destroy(ground);
    // Twenty-four wedges fanning from the centre, brighter near it; the twister turns in
    // front of them, so they stay dark enough for its white shading to stand out.
    const int wedges = 24;
    for (int wedge = 0; wedge < wedges; wedge += 2) {
        double from = 2 * kPi * wedge / wedges, to = 2 * kPi * (wedge + 1) / wedges;
        cairo_pattern_t* ray = cairo_pattern_create_radial(cx, cy, 40, cx, cy, 900);
        addStop(ray, 0.0, palette::rose, 0.35);
        addStop(ray, 0.5, palette::indigo, 0.25);
        addStop(ray, 1.0, palette::indigo, 0.0);
        cairo_set_source(cr, ray);
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, 1200, from, to);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(ray);
    }
    cairo_set_line_width(cr, line::hair);
    for (int ring = 0; ring < 6; ++ring) {
        setColour(cr, palette::amber, 0.45 - ring * 0.06);
        cairo_arc(cr, cx, cy, 130 + ring * ring * 22 + ring * 40, 0, 2 * kPi);
        cairo_stroke(cr);
    }
    radialGlow(cr, cx, cy, 260, palette::amber, 0.35);
    radialGlow(cr, cx, cy, 90, palette::cream, 0.3);
}

void paintNightSky(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    fillVertical(cr, 1024, 1024, palette::night, palette::night, palette::indigo, 0.3);
    // Soft nebulae drifting across the upper left.
    radialGlow(cr, 180, 160, 380, palette::indigo, 0.9);
    radialGlow(cr, 260, 220, 260, palette::rose, 0.3);
    radialGlow(cr, 520, 120, 200, palette::rose, 0.18);
    radialGlow(cr, 120, 420, 240, palette::amber, 0.12);
    Scatter scatter(4);
    scatterStars(cr, scatter, 320, 1024);
    // A planet rising in the lower right, where the cube flies off to.
    const double px = 640, py = 900, radius = 440;
    radialGlow(cr, px, py, radius + 160, palette::rose, 0.5);
    cairo_pattern_t* body = cairo_pattern_create_radial(px - 120, py - 380, 40, px, py, radius);
    addStop(body, 0.0, palette::amber);
    addStop(body, 0.35, palette::rose);
    addStop(body, 0.8, palette::indigo);
    addStop(body, 1.0, palette::night);
    cairo_set_source(cr, body);
    cairo_arc(cr, px, py, radius, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    cairo_set_line_width(cr, line::bold);
    cairo_arc(cr, px, py, radius, kPi * 1.05, kPi * 1.6);
    strokeGlow(cr, palette::amber, 18, 0.8);
    setColour(cr, palette::cream, 0.9);
    cairo_set_line_width(cr, line::hair);
    cairo_stroke(cr);
    // A thin ring, tilted, crossing in front of the planet.
    cairo_save(cr);
    cairo_translate(cr, px, py - 150);
    cairo_rotate(cr, -0.25);
    cairo_scale(cr, 1.0, 0.18);
    cairo_arc(cr, 0, 0, radius * 1.5, 0, 2 * kPi);
    cairo_restore(cr);
    setColour(cr, palette::cream, 0.55);
    cairo_set_line_width(cr, line::hair);
    cairo_stroke(cr);
}

} // namespace artgen
