// The preview's heads-up display: lines of text in a translucent panel at the top left and a
// position strip along the bottom, drawn over the finished frame. It saves and restores every
// piece of GL state it touches, so the frame under it is left as the scenes drew it.
#pragma once

#include <string>
#include <vector>

namespace preview {

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
    bool dirty = true;
    unsigned int texture = 0;
    int textureWidth = 0, textureHeight = 0, panelWidth = 0, panelHeight = 0;
};

} // namespace preview
