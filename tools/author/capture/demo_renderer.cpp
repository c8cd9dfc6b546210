// The capture's window around the demo player: the host's window, opened windowed, and the
// back buffer read out.
#include "tools/author/capture/demo_renderer.h"

#include "host/demo.h"
#include "host/demo_player.h"
#include "host/held_output.h"
#include "host/window_interface.h"

#include <GL/gl.h>

namespace capture {

std::string DemoRenderer::open(const std::string& timelineText, int scale) {
    std::string error = host::openToolWindow("Solvane capture");
    if (!error.empty())
        return error;
    windowOpen = true;
    error = host::setToolFrameScale(scale);
    if (!error.empty())
        return error;
    host::HeldOutput sceneLines(true);
    player.build(timelineText);
    buildLines = sceneLines.release();
    return "";
}

DemoRenderer::DemoRenderer() : player(script) {}

void DemoRenderer::draw(int64_t milliseconds) {
    player.drawAt(musicSeconds(milliseconds));
}

int DemoRenderer::width() const {
    return host::toolFrameWidth();
}

int DemoRenderer::height() const {
    return host::toolFrameHeight();
}

void DemoRenderer::read(std::vector<unsigned char>* rgb) {
    host::readFrame(host::PixelLayout::kRgb, host::RowOrder::kTopDown, rgb);
}

std::string DemoRenderer::present() {
    if (host::presentFrame() == host::WindowStatus::kDisplayLost)
        return "lost the connection to the X display";
    return "";
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
        host::closeToolWindow();
        windowOpen = false;
    }
}

} // namespace capture
