// Textures mapped onto moving geometry: the planes' floor and ceiling tile, the cube face and
// the spinning wheel's blade.
#include "tools/generators/artgen/pictures.h"

#include <cmath>

namespace artgen {

namespace {

constexpr double kPi = 3.14159265358979;

// A glowing line drawn once per tile repeat around the canvas, so wrapped copies meet exactly.
void wrappedLine(cairo_t* cr, double size, double x0, double y0, double x1, double y1, Rgb glow,
                 double glowWidth, Rgb core, double coreWidth) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            cairo_new_path(cr);
            cairo_move_to(cr, x0 + dx * size, y0 + dy * size);
            cairo_line_to(cr, x1 + dx * size, y1 + dy * size);
            strokeGlow(cr, glow, glowWidth, 0.9);
            setColour(cr, core, 0.9);
            cairo_set_line_width(cr, coreWidth);
            cairo_stroke(cr);
        }
    }
}

void sunEmblem(cairo_t* cr, double cx, double cy, double radius, Rgb colour, double width) {
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, colour);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_stroke(cr);
    const int rays = 12;
    for (int ray = 0; ray < rays; ++ray) {
        double angle = 2 * kPi * ray / rays;
        double inner = radius * 1.35, outer = radius * (ray % 2 ? 1.75 : 2.05);
        cairo_move_to(cr, cx + std::cos(angle) * inner, cy + std::sin(angle) * inner);
        cairo_line_to(cr, cx + std::cos(angle) * outer, cy + std::sin(angle) * outer);
        cairo_stroke(cr);
    }
}

} // namespace

void paintPlanesTile(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double size = canvas.width();
    setColour(cr, palette::night);
    cairo_paint(cr);
    // Each tile is seen 76 times across a 192-unit plane and thinned out by distance, so the
    // lines are wide soft glows rather than sharp strokes that would shimmer.
    radialGlow(cr, size / 2, size / 2, size * 0.7, palette::indigo, 0.9);
    wrappedLine(cr, size, 0, 0, size, 0, palette::rose, 36, palette::amber, line::bold);
    wrappedLine(cr, size, 0, 0, 0, size, palette::rose, 36, palette::amber, line::bold);
    wrappedLine(cr, size, size / 2, size * 0.3, size * 0.7, size / 2, palette::rose, 14,
                palette::rose, line::hair);
    wrappedLine(cr, size, size * 0.7, size / 2, size / 2, size * 0.7, palette::rose, 14,
                palette::rose, line::hair);
    wrappedLine(cr, size, size / 2, size * 0.7, size * 0.3, size / 2, palette::rose, 14,
                palette::rose, line::hair);
    wrappedLine(cr, size, size * 0.3, size / 2, size / 2, size * 0.3, palette::rose, 14,
                palette::rose, line::hair);
    radialGlow(cr, 0, 0, 40, palette::cream, 0.9);
    radialGlow(cr, size, 0, 40, palette::cream, 0.9);
    radialGlow(cr, 0, size, 40, palette::cream, 0.9);
    radialGlow(cr, size, size, 40, palette::cream, 0.9);
}

void paintCubeFace(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double size = canvas.width(), centre = size / 2;
    // The scene multiplies by orange-red, so the design lives in light against dark: the
    // green and blue of the palette matter less than how bright each part is.
    cairo_pattern_t* panel =
        cairo_pattern_create_radial(centre, centre, 0, centre, centre, size * 0.72);
    addStop(panel, 0.0, palette::cream);
    addStop(panel, 0.45, palette::amber);
    addStop(panel, 1.0, palette::rose);
    cairo_set_source(cr, panel);
    cairo_paint(cr);
    cairo_pattern_destroy(panel);
    // A dark frame traces every cube edge, with a bright inner rule.
    setColour(cr, palette::night);
    cairo_set_line_width(cr, 20);
    cairo_rectangle(cr, 10, 10, size - 20, size - 20);
    cairo_stroke(cr);
    setColour(cr, palette::cream);
    cairo_set_line_width(cr, line::bold);
    cairo_rectangle(cr, 30, 30, size - 60, size - 60);
    cairo_stroke(cr);
    radialGlow(cr, centre, centre, size * 0.3, palette::cream, 0.8);
    sunEmblem(cr, centre, centre, size * 0.14, palette::night, 10);
    setColour(cr, palette::night);
    cairo_arc(cr, centre, centre, size * 0.07, 0, 2 * kPi);
    cairo_fill(cr);
}

void paintSpinningBlade(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double size = canvas.width();
    setColour(cr, {0, 0, 0});
    cairo_paint(cr);
    // Bottom of the picture is the wheel's axis, top its rim. Horizontal bands become rings
    // when the forty blades add up; the edges fade to black so no blade outline shows.
    cairo_push_group(cr);
    struct Band {
        double y, height;
        Rgb colour;
        double alpha;
    };
    const Band bands[] = {
        {0.08, 0.06, palette::amber, 1.0}, {0.22, 0.03, palette::cream, 0.9},
        {0.36, 0.10, palette::rose, 0.9},  {0.55, 0.02, palette::amber, 1.0},
        {0.70, 0.05, palette::rose, 0.8},  {0.85, 0.015, palette::cream, 0.7},
    };
    for (const Band& band : bands) {
        double y = band.y * size, half = band.height * size;
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, y - half * 2, 0, y + half * 2);
        addStop(glow, 0.0, band.colour, 0.0);
        addStop(glow, 0.35, band.colour, band.alpha * 0.5);
        addStop(glow, 0.5, band.colour, band.alpha);
        addStop(glow, 0.65, band.colour, band.alpha * 0.5);
        addStop(glow, 1.0, band.colour, 0.0);
        cairo_set_source(cr, glow);
        cairo_rectangle(cr, 0, y - half * 2, size, half * 4);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    Scatter scatter(13);
    for (int spark = 0; spark < 40; ++spark)
        radialGlow(cr, size * (0.15 + 0.7 * scatter.next()), size * scatter.next(), 6,
                   palette::cream, 0.8);
    cairo_pop_group_to_source(cr);
    cairo_pattern_t* fade = cairo_pattern_create_linear(0, 0, size, 0);
    addStop(fade, 0.0, palette::night, 0.0);
    addStop(fade, 0.3, palette::night, 1.0);
    addStop(fade, 0.7, palette::night, 1.0);
    addStop(fade, 1.0, palette::night, 0.0);
    cairo_mask(cr, fade);
    cairo_pattern_destroy(fade);
}

} // namespace artgen
