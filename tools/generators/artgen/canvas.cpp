// artgen's drawing kit: palette helpers, glows, lettering with DejaVu Sans, and PNG output.
#include "tools/generators/artgen/canvas.h"

#include "tools/lib/authoring/safe_output.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <cassert>
#include <cstdio>
#include <vector>

namespace artgen {

namespace {

cairo_font_face_t* regularFace = nullptr;
cairo_font_face_t* boldFace = nullptr;

std::string openFace(FT_Library library, const char* path, cairo_font_face_t** face) {
    FT_Face ftFace;
    if (FT_New_Face(library, path, 0, &ftFace) != 0)
        return std::string("cannot open font ") + path + ": missing or unreadable";
    // The FreeType face lives as long as the process; the tool exits right after drawing.
    *face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    return {};
}

void applyFontOptions(cairo_t* cr) {
    // Fixed options so fontconfig settings on the machine cannot change a single pixel.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

} // namespace

std::string loadTypeface() {
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return "cannot start FreeType: library initialisation failed";
    std::string error = openFace(library, ARTGEN_FONT_REGULAR, &regularFace);
    if (error.empty())
        error = openFace(library, ARTGEN_FONT_BOLD, &boldFace);
    return error;
}

Canvas::Canvas(int width, int height)
    : pixelWidth(width), pixelHeight(height),
      image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      context(cairo_create(image)) {
    cairo_set_antialias(context, CAIRO_ANTIALIAS_GOOD);
    applyFontOptions(context);
}

Canvas::~Canvas() {
    cairo_destroy(context);
    cairo_surface_destroy(image);
}

void setColour(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void addStop(cairo_pattern_t* pattern, double offset, Rgb colour, double alpha) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, colour.r, colour.g, colour.b, alpha);
}

void radialGlow(cairo_t* cr, double x, double y, double radius, Rgb colour, double alpha) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, 0, x, y, radius);
    // A roughly Gaussian falloff reads as light, a linear one as a painted disc.
    addStop(glow, 0.0, colour, alpha);
    addStop(glow, 0.25, colour, alpha * 0.55);
    addStop(glow, 0.5, colour, alpha * 0.2);
    addStop(glow, 0.75, colour, alpha * 0.05);
    addStop(glow, 1.0, colour, 0.0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, x, y, radius, 0, 2 * 3.14159265358979);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
}

void strokeGlow(cairo_t* cr, Rgb colour, double width, double alpha) {
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const int passes = 6;
    for (int pass = 0; pass < passes; ++pass) {
        double fraction = 1.0 - double(pass) / passes;
        cairo_set_line_width(cr, width * fraction);
        setColour(cr, colour, alpha / passes * (0.5 + pass * 0.25));
        cairo_stroke_preserve(cr);
    }
    cairo_restore(cr);
}

double textPath(cairo_t* cr, const std::string& text, double cx, double y, double size,
                double tracking, Weight weight) {
    assert(boldFace && regularFace && "call loadTypeface() before drawing text");
    cairo_set_font_face(cr, weight == Weight::bold ? boldFace : regularFace);
    cairo_set_font_size(cr, size);
    std::vector<double> advances;
    double width = 0;
    for (char letter : text) {
        assert(static_cast<unsigned char>(letter) < 128 && "lettering is plain ASCII");
        char glyph[2] = {letter, 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, glyph, &extents);
        advances.push_back(extents.x_advance);
        width += extents.x_advance;
    }
    width += tracking * size * (text.size() > 0 ? text.size() - 1 : 0);
    cairo_new_path(cr);
    double x = cx - width / 2;
    for (size_t i = 0; i < text.size(); ++i) {
        char glyph[2] = {text[i], 0};
        cairo_move_to(cr, x, y);
        cairo_text_path(cr, glyph);
        x += advances[i] + tracking * size;
    }
    return width;
}

double Scatter::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return (state >> 8) / 16777216.0;
}

namespace {

// Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGB(A) bytes.
std::vector<unsigned char> straightRow(const uint32_t* pixels, int width, bool withAlpha,
                                       Rgb matte) {
    std::vector<unsigned char> row;
    row.reserve(width * 4);
    for (int x = 0; x < width; ++x) {
        uint32_t pixel = pixels[x];
        unsigned alpha = pixel >> 24;
        unsigned channel[3] = {(pixel >> 16) & 255u, (pixel >> 8) & 255u, pixel & 255u};
        for (unsigned& value : channel) {
            if (alpha > 0 && alpha < 255)
                value = (value * 255 + alpha / 2) / alpha;
        }
        if (alpha == 0) {
            channel[0] = static_cast<unsigned>(matte.r * 255 + 0.5);
            channel[1] = static_cast<unsigned>(matte.g * 255 + 0.5);
            channel[2] = static_cast<unsigned>(matte.b * 255 + 0.5);
        }
        for (unsigned value : channel)
            row.push_back(static_cast<unsigned char>(value > 255 ? 255 : value));
        if (withAlpha)
            row.push_back(static_cast<unsigned char>(alpha));
    }
    return row;
}

std::string encodePng(const Canvas& canvas, const std::string& path, bool withAlpha, Rgb matte) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "cannot write " + path + ": cannot open the file for writing";
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(file);
        return "cannot write " + path + ": PNG encoding failed";
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, canvas.width(), canvas.height(), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    const unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    int stride = cairo_image_surface_get_stride(canvas.surface());
    for (int y = 0; y < canvas.height(); ++y) {
        auto pixels = reinterpret_cast<const uint32_t*>(data + y * stride);
        std::vector<unsigned char> row = straightRow(pixels, canvas.width(), withAlpha, matte);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    bool closed = std::fclose(file) == 0;
    return closed ? std::string() : "cannot write " + path + ": closing the file failed";
}

} // namespace

std::string writePng(const Canvas& canvas, const std::string& path, bool withAlpha, Rgb matte) {
    cairo_surface_flush(canvas.surface());
    return authoring::writeAtomically(path, [&](const std::string& temporary) {
        return encodePng(canvas, temporary, withAlpha, matte);
    });
}

} // namespace artgen
