// The GL state that scenes leave behind for the next effect and the next frame, taken and put
// back as a value, so that a checkpoint can resume drawing exactly where a straight run was.
// A scene that starts changing another piece of state adds it here; the checkpoint tests show
// what was forgotten.
#pragma once

namespace authoring {

class GlSnapshot {
public:
    // Reads the state from the current context.
    static GlSnapshot take();
    // Sets it in the current context.
    void restore() const;
    int boundTexture2d() const { return texture2d; }

private:
    static constexpr int kSwitchCount = 13;
    unsigned char enabled[kSwitchCount] = {};
    float colour[4] = {}, normal[3] = {}, texCoord[4] = {};
    float modelView[16] = {}, projection[16] = {}, textureMatrix[16] = {};
    int matrixMode = 0;
    int blendSource = 0, blendDestination = 0;
    int texture1d = 0, texture2d = 0;
    int fogMode = 0, fogDistanceMode = 0;
    float fogDensity = 0, fogStart = 0, fogEnd = 0, fogColour[4] = {};
    int alphaFunction = 0;
    float alphaReference = 0;
    float lineWidth = 0;
    int cullFace = 0, depthFunction = 0, shadeModel = 0;
    float clearColour[4] = {};
};

} // namespace authoring
