// A contact sheet: thumbnails of frames in a grid, each labelled with its time and the
// effects active then. Drawn with cairo, text in DejaVu Sans.
#pragma once

#include <cairo.h>

#include <string>

namespace capture {

class ContactSheet {
public:
    ContactSheet(int thumbnails, int columns, const std::string& title);
    ~ContactSheet();
    ContactSheet(const ContactSheet&) = delete;
    ContactSheet& operator=(const ContactSheet&) = delete;

    // Places frame `rgb` (top row first) in cell `index`, with its two-part label.
    void add(int index, const unsigned char* rgb, int width, int height, const std::string& time,
             const std::string& effects);
    // "what failed: why" or empty.
    std::string write(const std::string& path);

private:
    void drawLabel(double x, double y, const std::string& time, const std::string& effects);
    int columns;
    cairo_surface_t* sheet;
    cairo_surface_t* frame = nullptr; // scratch for the full-size frame, reused
    cairo_t* cr;
};

} // namespace capture
