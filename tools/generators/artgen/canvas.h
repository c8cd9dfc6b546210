// artgen's drawing kit: the demo's palette and typeface, a cairo canvas, glows and lettering,
// and the PNG writer. Leans on cairo, FreeType (through cairo-ft) and libpng.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

namespace artgen {

struct Rgb {
    double r, g, b;
};

// The five colours every picture is drawn from; dusk over a turning sun.
namespace palette {
constexpr Rgb night{0.039, 0.055, 0.141};  // #0a0e24, the ground of every picture
constexpr Rgb indigo{0.169, 0.106, 0.329}; // #2b1b54
constexpr Rgb rose{0.761, 0.188, 0.420};   // #c2306b
constexpr Rgb amber{1.000, 0.620, 0.239};  // #ff9e3d
constexpr Rgb cream{1.000, 0.957, 0.878};  // #fff4e0, light and lettering
} // namespace palette

// Stroke widths in pixels at the 1024-texel scale; smaller pictures scale them.
namespace line {
constexpr double hair = 2.0;
constexpr double bold = 6.0;
} // namespace line

enum class Weight { regular, bold };

// Loads DejaVu Sans from the font files the build found. Must run before any lettering.
// Returns an empty string on success, otherwise "what failed: why".
std::string loadTypeface();

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    cairo_surface_t* surface() const { return image; }
    int width() const { return pixelWidth; }
    int height() const { return pixelHeight; }

private:
    int pixelWidth, pixelHeight;
    cairo_surface_t* image;
    cairo_t* context;
};

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
void addStop(cairo_pattern_t* pattern, double offset, Rgb colour, double alpha = 1.0);

// A round soft light: colour at the centre fading to nothing at the radius.
void radialGlow(cairo_t* cr, double x, double y, double radius, Rgb colour, double alpha);

// Strokes the current path several times, wide and faint to narrow and stronger, which
// reads as a blurred halo; keeps the path.
void strokeGlow(cairo_t* cr, Rgb colour, double width, double alpha);

// Sets the current path to a line of text centred on cx with its baseline at y; tracking
// is extra space between letters in em. Returns the text's width.
double textPath(cairo_t* cr, const std::string& text, double cx, double y, double size,
                double tracking, Weight weight);

// Deterministic noise for scattering stars and sparks.
class Scatter {
public:
    explicit Scatter(uint32_t seed) : state(seed ? seed : 1u) {}
    double next(); // uniform in [0, 1)

private:
    uint32_t state;
};

// Writes the canvas as 8-bit RGB or RGBA (straight alpha). Fully transparent pixels take the
// matte colour, so linear filtering at a cut edge fades into that colour rather than black.
// Returns an empty string on success, otherwise "what failed: why".
std::string writePng(const Canvas& canvas, const std::string& path, bool withAlpha,
                     Rgb matte = palette::night);

} // namespace artgen
