// Sheet layout and lettering.
#include "tools/author/capture/contact_sheet.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace capture {

namespace {

constexpr int kThumbWidth = 240, kThumbHeight = 180; // 800 x 600 at 0.3
constexpr int kGap = 14;
constexpr int kHeaderHeight = 40;
constexpr int kLabelHeight = 50; // the time and up to two lines of effect names
constexpr double kTimeSize = 13, kNamesSize = 11;

void setGrey(cairo_t* cr, double level) {
    cairo_set_source_rgb(cr, level, level, level);
}

// Splits "a, b, c" at its commas into lines that fit `width`; a third line is cut to "…".
std::vector<std::string> wrapNames(cairo_t* cr, const std::string& names, double width) {
    std::vector<std::string> words;
    for (size_t from = 0; from < names.size();) {
        size_t comma = names.find(", ", from);
        size_t end = comma == std::string::npos ? names.size() : comma + 2;
        words.push_back(names.substr(from, end - from));
        from = end;
    }
    std::vector<std::string> lines(1);
    for (const std::string& word : words) {
        cairo_text_extents_t extents;
        std::string candidate = lines.back() + word;
        cairo_text_extents(cr, candidate.c_str(), &extents);
        if (extents.x_advance > width && !lines.back().empty())
            lines.push_back(word);
        else
            lines.back() = candidate;
    }
    if (lines.size() > 2) {
        lines.resize(2);
        lines[1] += "\u2026";
    }
    return lines;
}

} // namespace

ContactSheet::ContactSheet(int thumbnails, int columnCount, const std::string& title)
    : columns(columnCount) {
    int rows = (thumbnails + columns - 1) / columns;
    int width = kGap + columns * (kThumbWidth + kGap);
    int height = kHeaderHeight + rows * (kThumbHeight + kLabelHeight + kGap) + kGap;
    sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cr = cairo_create(sheet);
    setGrey(cr, 0.11);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 16);
    setGrey(cr, 0.92);
    cairo_move_to(cr, kGap, kHeaderHeight - 14);
    cairo_show_text(cr, title.c_str());
}

ContactSheet::~ContactSheet() {
    if (frame)
        cairo_surface_destroy(frame);
    cairo_destroy(cr);
    cairo_surface_destroy(sheet);
}

void ContactSheet::add(int index, const unsigned char* rgb, int width, int height,
                       const std::string& time, const std::string& effects) {
    if (!frame)
        frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(frame);
    unsigned char* pixels = cairo_image_surface_get_data(frame);
    int stride = cairo_image_surface_get_stride(frame);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * stride);
        const unsigned char* source = rgb + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, source += 3)
            row[x] = uint32_t(source[0]) << 16 | uint32_t(source[1]) << 8 | source[2];
    }
    cairo_surface_mark_dirty(frame);

    double x = kGap + (index % columns) * (kThumbWidth + kGap);
    double y = kHeaderHeight + (index / columns) * (kThumbHeight + kLabelHeight + kGap);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, kThumbWidth, kThumbHeight);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, double(kThumbWidth) / width, double(kThumbHeight) / height);
    cairo_set_source_surface(cr, frame, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    // A hairline frame, so that dark frames still read as cells on the dark sheet.
    setGrey(cr, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, x - 0.5, y - 0.5, kThumbWidth + 1, kThumbHeight + 1);
    cairo_stroke(cr);
    drawLabel(x, y + kThumbHeight, time, effects);
}

void ContactSheet::drawLabel(double x, double y, const std::string& time,
                             const std::string& effects) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, kTimeSize);
    setGrey(cr, 0.95);
    cairo_move_to(cr, x, y + 17);
    cairo_show_text(cr, time.c_str());

    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kNamesSize);
    cairo_set_source_rgb(cr, 0.62, 0.78, 1.0);
    double baseline = y + 32;
    for (const std::string& line : wrapNames(cr, effects, kThumbWidth)) {
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, line.c_str());
        baseline += 14;
    }
}

std::string ContactSheet::write(const std::string& path) {
    cairo_surface_flush(sheet);
    errno = 0;
    cairo_status_t status = cairo_surface_write_to_png(sheet, path.c_str());
    // cairo words a full disk as a "write error"; the errno says which.
    if (status == CAIRO_STATUS_WRITE_ERROR && errno != 0)
        return path + ": " + std::strerror(errno);
    if (status != CAIRO_STATUS_SUCCESS)
        return path + ": " + cairo_status_to_string(status);
    return "";
}

} // namespace capture
