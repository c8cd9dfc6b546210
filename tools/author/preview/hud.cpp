// The heads-up display: cairo draws the text into an image, GL shows it as one textured quad.
#include "tools/author/preview/hud.h"

#include <GL/gl.h>
#include <cairo.h>

#include <algorithm>

namespace preview {

namespace {

constexpr double kFontSize = 13.0;
constexpr int kLineHeight = 16;
constexpr int kMargin = 6;

void fillRect(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

// The position strip: the whole timeline dark, the loop amber, the part played light.
void drawStrip(int width, int height, double position, double loopFrom, double loopTo) {
    const float top = static_cast<float>(height - Hud::kStripHeight);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    fillRect(0, top, w, h);
    if (loopTo > loopFrom) {
        glColor4f(1.0f, 0.7f, 0.2f, 0.5f);
        fillRect(static_cast<float>(loopFrom * w), top, static_cast<float>(loopTo * w), h);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 0.8f);
    fillRect(0, top + 4, static_cast<float>(std::clamp(position, 0.0, 1.0) * w), h - 4);
}

} // namespace

int nextPowerOfTwo(int value) {
    int power = 1;
    while (power < value)
        power *= 2;
    return power;
}

OverlayState::OverlayState(int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1); // y down, in pixels
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

OverlayState::~OverlayState() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib(); // the matrix mode too: scenes find the model-view matrix selected
}

void uploadPicture(const unsigned char* data, int stride, int textureWidth, int textureHeight,
                   std::vector<unsigned char>* rgba, unsigned int* texture) {
    // cairo stores premultiplied BGRA words; GL wants straight RGBA bytes.
    rgba->resize(static_cast<size_t>(textureWidth) * textureHeight * 4);
    for (int y = 0; y < textureHeight; ++y) {
        for (int x = 0; x < textureWidth; ++x) {
            const unsigned char* in = data + y * stride + x * 4;
            unsigned char* out = &(*rgba)[(static_cast<size_t>(y) * textureWidth + x) * 4];
            const int alpha = in[3];
            for (int c = 0; c < 3; ++c)
                out[c] =
                    alpha ? static_cast<unsigned char>(std::min(255, in[2 - c] * 255 / alpha)) : 0;
            out[3] = static_cast<unsigned char>(alpha);
        }
    }
    if (!*texture)
        glGenTextures(1, texture);
    glBindTexture(GL_TEXTURE_2D, *texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, textureWidth, textureHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba->data());
}

void drawPicture(unsigned int texture, int x, int y, int width, int height, int textureWidth,
                 int textureHeight) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float s = static_cast<float>(width) / textureWidth;
    const float t = static_cast<float>(height) / textureHeight;
    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = static_cast<float>(x + width), y1 = static_cast<float>(y + height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(s, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(s, t);
    glVertex2f(x1, y1);
    glTexCoord2f(0, t);
    glVertex2f(x0, y1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

Hud::~Hud() {
    if (texture)
        glDeleteTextures(1, &texture);
}

void Hud::setLines(const std::vector<std::string>& text) {
    if (text == lines)
        return;
    lines = text;
    dirty = true;
}

// The text in white on a dark translucent panel, as straight (not premultiplied) RGBA.
void Hud::upload() {
    dirty = false;
    cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* measure = cairo_create(probe);
    cairo_select_font_face(measure, "DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(measure, kFontSize);
    double widest = 0;
    for (const std::string& line : lines) {
        cairo_text_extents_t extents;
        cairo_text_extents(measure, line.c_str(), &extents);
        widest = std::max(widest, extents.x_advance);
    }
    cairo_destroy(measure);
    cairo_surface_destroy(probe);

    panelWidth = lines.empty() ? 0 : static_cast<int>(widest) + 2 * kMargin;
    panelHeight = lines.empty() ? 0 : static_cast<int>(lines.size()) * kLineHeight + 2 * kMargin;
    if (panelWidth == 0)
        return;
    textureWidth = nextPowerOfTwo(panelWidth);
    textureHeight = nextPowerOfTwo(panelHeight);

    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, textureWidth, textureHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.6);
    cairo_rectangle(cr, 0, 0, panelWidth, panelHeight);
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans Mono", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    for (size_t i = 0; i < lines.size(); ++i) {
        cairo_move_to(cr, kMargin, kMargin + (i + 1) * kLineHeight - 4);
        cairo_show_text(cr, lines[i].c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    uploadPicture(cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface),
                  textureWidth, textureHeight, &rgba, &texture);
    cairo_surface_destroy(surface);
}

void Hud::draw(int width, int height, bool strip, double position, double loopFrom, double loopTo) {
    OverlayState overlay(width, height);
    if (dirty)
        upload();
    if (panelWidth > 0)
        drawPicture(texture, 0, 0, panelWidth, panelHeight, textureWidth, textureHeight);
    if (strip)
        drawStrip(width, height, position, loopFrom, loopTo);
}

} // namespace preview
