// The capture's window around the demo player: the host's window, opened windowed, and the
// back buffer read out.
#include "tools/author/capture/demo_renderer.h"

#include "host/demo.h"
#include "host/demo_player.h"
#include "host/host_window.h"
#include "tools/lib/window/tool_window.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace capture {

std::string DemoRenderer::open(const std::string& timelineText) {
    std::string error = toolwindow::open("Solvane capture");
    if (!error.empty())
        return error;
    windowOpen = true;
    toolwindow::HeldOutput sceneLines(true);
    player.build(timelineText);
    buildLines = sceneLines.release();
    return "";
}

DemoRenderer::DemoRenderer() : player(script) {}

void DemoRenderer::draw(int64_t milliseconds) {
    player.drawAt(musicSeconds(milliseconds));
}

void DemoRenderer::read(std::vector<unsigned char>* rgb) {
    const size_t rowBytes = kFrameWidth * 3;
    bottomUp.resize(rowBytes * kFrameHeight);
    rgb->resize(rowBytes * kFrameHeight);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < kFrameHeight; ++y)
        std::memcpy(rgb->data() + rowBytes * y, bottomUp.data() + rowBytes * (kFrameHeight - 1 - y),
                    rowBytes);
}

void DemoRenderer::present() {
    glXSwapBuffers(GLWin.display, GLWin.window);
}

void DemoRenderer::finishGpu() {
    glFinish();
}

std::string DemoRenderer::rendererName() const {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown renderer";
}

void DemoRenderer::close() {
    player.teardown();
    if (windowOpen) {
        toolwindow::close();
        windowOpen = false;
    }
}

} // namespace capture
