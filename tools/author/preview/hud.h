// The preview's heads-up display: lines of text in a translucent panel at the top left and a
// position strip along the bottom, drawn over the finished frame. It saves and restores every
// piece of GL state it touches, so the frame under it is left as the scenes drew it; the
// timeline strip draws through the same overlay helpers.
#pragma once

#include <string>
#include <vector>

namespace preview {

// What every overlay drawn over the finished frame shares: all GL state saved on creation and
// restored on destruction, pixel coordinates with y down, and blending on.
class OverlayState {
public:
    OverlayState(int width, int height);
    ~OverlayState();
    OverlayState(const OverlayState&) = delete;
    OverlayState& operator=(const OverlayState&) = delete;
};

// A picture cairo drew (premultiplied ARGB32 words, `stride` bytes a row) into `texture`
// (made on first use, `textureWidth` × `textureHeight`, powers of two) as straight RGBA.
// `rgba` is scratch space kept by the caller, so a picture redrawn every frame allocates once.
void uploadPicture(const unsigned char* data, int stride, int textureWidth, int textureHeight,
                   std::vector<unsigned char>* rgba, unsigned int* texture);
// Draws the top-left `width` × `height` texels of the texture at (x, y); inside an overlay.
void drawPicture(unsigned int texture, int x, int y, int width, int height, int textureWidth,
                 int textureHeight);
int nextPowerOfTwo(int value);

class Hud {
public:
    Hud() = default;
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;
    ~Hud();

    // The text to show; it is drawn into a texture again only when it changes.
    void setLines(const std::vector<std::string>& lines);
    // Draws the panel and, when `strip`, the strip (`position` from 0 to 1 along the
    // timeline; the loop's range, when there is one, in a second colour). Needs the preview's
    // GL context current.
    void draw(int width, int height, bool strip, double position, double loopFrom, double loopTo);

    // The height of the bottom strip in pixels: a click there seeks.
    static constexpr int kStripHeight = 12;

private:
    void upload();

    std::vector<std::string> lines;
    std::vector<unsigned char> rgba;
    bool dirty = true;
    unsigned int texture = 0;
    int textureWidth = 0, textureHeight = 0, panelWidth = 0, panelHeight = 0;
};

} // namespace preview
