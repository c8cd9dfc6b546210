// Lettered pictures: the intro strips, the credits and the greetings bands. All in DejaVu Sans
// Bold, cream lettering lit from below in amber, with rose halos.
#include "tools/generators/artgen/pictures.h"

#include <algorithm>
#include <string>

namespace artgen {

namespace {

// Fills the current path with cream fading to amber between top and bottom.
void fillWarm(cairo_t* cr, double top, double bottom) {
    cairo_pattern_t* warm = cairo_pattern_create_linear(0, top, 0, bottom);
    addStop(warm, 0.0, palette::cream);
    addStop(warm, 0.55, palette::cream);
    addStop(warm, 1.0, palette::amber);
    cairo_set_source(cr, warm);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(warm);
}

// A hairline that fades out towards the strip's ends, leading the eye to the text.
void fadingRule(cairo_t* cr, double from, double to, double y) {
    cairo_pattern_t* rule = cairo_pattern_create_linear(from, 0, to, 0);
    addStop(rule, 0.0, palette::amber, 0.9);
    addStop(rule, 1.0, palette::amber, 0.0);
    cairo_set_source(cr, rule);
    cairo_set_line_width(cr, line::hair);
    cairo_move_to(cr, from, y);
    cairo_line_to(cr, to, y);
    cairo_stroke(cr);
    cairo_pattern_destroy(rule);
}

// NOTE: the strip leaves its texture bound with the texture coordinate of its last corner, and
// the stars, drawn next in the intro, take their colour from that one texel. Opaque white
// corners (off screen, like the strip's ends) let the stars show white, as they should.
void whiteCorners(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    for (double x : {0.0, canvas.width() - 2.0})
        for (double y : {0.0, canvas.height() - 2.0})
            cairo_rectangle(cr, x, y, 2, 2);
    cairo_fill(cr);
}

// Only the middle ~80 % of an intro strip is on screen: x from about 100 to 924, so the
// lettering is kept within the middle 68 %.
void introStrip(Canvas& canvas, const std::string& text, double size, double tracking) {
    cairo_t* cr = canvas.cr();
    const double cx = canvas.width() / 2.0, maxWidth = canvas.width() * 0.68;
    double width = textPath(cr, text, cx, 0, size, tracking, Weight::bold);
    if (width > maxWidth) {
        size *= maxWidth / width;
        width = maxWidth;
    }
    const double baseline = canvas.height() / 2.0 + size * 0.36;
    textPath(cr, text, cx, baseline, size, tracking, Weight::bold);
    strokeGlow(cr, palette::rose, size * 0.5, 0.7);
    fillWarm(cr, baseline - size * 0.75, baseline);
    cairo_new_path(cr);
    double gap = size * 0.5, y = canvas.height() / 2.0;
    fadingRule(cr, cx - width / 2 - gap, 120, y);
    fadingRule(cr, cx + width / 2 + gap, canvas.width() - 120, y);
    whiteCorners(canvas);
}

// Credits are drawn 2:1 but shown three times wider than high, so they are designed on a
// canvas squeezed to a third of its height and stretched back up when written.
void creditCard(Canvas& canvas, const std::string& role) {
    cairo_t* cr = canvas.cr();
    const double width = canvas.width(), height = canvas.height() / 3.0;
    cairo_scale(cr, 1, 3);
    radialGlow(cr, width / 2, height / 2, width * 0.3, palette::rose, 0.25);
    textPath(cr, role, width / 2, height * 0.56, 44, 0.12, Weight::bold);
    strokeGlow(cr, palette::rose, 16, 0.8);
    fillWarm(cr, height * 0.56 - 33, height * 0.56);
    textPath(cr, "SOLVANE", width / 2, height * 0.9, 14, 0.8, Weight::bold);
    setColour(cr, palette::amber);
    cairo_fill(cr);
    fadingRule(cr, width / 2 - 88, width * 0.14, height * 0.85);
    fadingRule(cr, width / 2 + 88, width * 0.86, height * 0.85);
}

// One greetings band: four words, one per wall of the column. The scene cuts texels below
// alpha 0.1 and samples the nearest texel, so everything is solid with a dark outline.
void greetingsBand(Canvas& canvas, const std::string (&words)[4]) {
    cairo_t* cr = canvas.cr();
    const double wall = canvas.width() / 4.0, height = canvas.height();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (double y : {9.0, height - 9.0}) {
        cairo_rectangle(cr, 0, y - 3, canvas.width(), 6);
        setColour(cr, palette::night);
        cairo_set_line_width(cr, line::bold);
        cairo_stroke_preserve(cr);
        setColour(cr, palette::amber);
        cairo_fill(cr);
    }
    for (int i = 0; i < 4; ++i) {
        const double cx = wall * (i + 0.5), maxWidth = wall * 0.86;
        double width = textPath(cr, words[i], cx, 0, 100, 0.05, Weight::bold);
        double size = std::min(50.0, 100 * maxWidth / width);
        double baseline = height / 2 + size * 0.36;
        textPath(cr, words[i], cx, baseline, size, 0.05, Weight::bold);
        setColour(cr, palette::night);
        cairo_set_line_width(cr, line::bold + 2);
        cairo_stroke_preserve(cr);
        fillWarm(cr, baseline - size * 0.73, baseline);
        cairo_new_path(cr);
    }
}

} // namespace

void paintIntro1(Canvas& canvas) {
    introStrip(canvas, "AFTER THE LONG NIGHT", 50, 0.18);
}
void paintIntro2(Canvas& canvas) {
    introStrip(canvas, "THE SUN TURNS", 50, 0.18);
}
void paintIntro3(Canvas& canvas) {
    introStrip(canvas, "SOLVANE", 92, 0.2);
}

void paintCreditCode(Canvas& canvas) {
    creditCard(canvas, "CODE");
}
void paintCreditGraphics(Canvas& canvas) {
    creditCard(canvas, "GRAPHICS");
}
void paintCreditMusic(Canvas& canvas) {
    creditCard(canvas, "MUSIC");
}

// Each wall of the column reads top to bottom across the four bands.
void paintGreetings1(Canvas& canvas) {
    greetingsBand(canvas, {"GREETINGS", "CODERS", "PARTY", "AND YOU"});
}
void paintGreetings2(Canvas& canvas) {
    greetingsBand(canvas, {"TO ALL", "PIXEL", "HOSTS", "WATCHING"});
}
void paintGreetings3(Canvas& canvas) {
    greetingsBand(canvas, {"DEMO", "ARTISTS", "AND", "RIGHT"});
}
void paintGreetings4(Canvas& canvas) {
    greetingsBand(canvas, {"MAKERS", "MUSICIANS", "CROWDS", "NOW"});
}

} // namespace artgen
