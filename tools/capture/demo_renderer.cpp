// The host's pieces in the order initDemo and drawGLScene use them, minus the sound.
#include "tools/capture/demo_renderer.h"

#include "gfx/cellshade.h"
#include "host/demo.h"
#include "host/host_window.h"
#include "host/scene_table.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace capture {

namespace {

constexpr int kWindowAttempts = 3;
constexpr useconds_t kRetryMicroseconds = 300000;

// Sends standard output to a temporary file for a while, so the host's set-up lines do not
// mix with the benchmark's tables.
class HeldOutput {
public:
    HeldOutput() : file(std::tmpfile()) {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        if (file && saved >= 0)
            dup2(fileno(file), STDOUT_FILENO);
    }
    // Puts standard output back; returns what was held.
    std::string release() {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            ::close(saved);
            saved = -1;
        }
        std::string text;
        if (file) {
            std::rewind(file);
            char buffer[512];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                text.append(buffer, got);
            std::fclose(file);
            file = nullptr;
        }
        return text;
    }
    ~HeldOutput() { release(); }

private:
    std::FILE* file;
    int saved = -1;
};

} // namespace

std::string DemoRenderer::open(const std::string& scriptPath) {
    int window = kWindowUnavailable;
    std::string lines;
    // NOTE: a busy X server may refuse a connection for a moment even though it accepted
    // one just before; a few tries ride that out.
    for (int attempt = 0; attempt < kWindowAttempts && window == kWindowUnavailable; ++attempt) {
        if (attempt > 0)
            usleep(kRetryMicroseconds);
        HeldOutput held;
        window = createGLWindow("Solvane capture", kWidth, kHeight, 24, 0);
        lines = held.release();
    }
    if (window != kWindowReady) {
        std::fputs(lines.c_str(), stderr);
        killGLWindow();
        return "could not open an 800x600 GL window (see the lines above)";
    }
    windowOpen = true;
    XEvent event;
    do {
        XNextEvent(GLWin.display, &event);
    } while (event.type != MapNotify);

    // Scenes report missing pictures and the like; those belong with the diagnostics.
    HeldOutput sceneLines;
    buildDemo(scriptPath.c_str());
    demoBuilt = true;
    std::fputs(sceneLines.release().c_str(), stderr);
    return "";
}

void DemoRenderer::draw(int64_t milliseconds) {
    drawDemoAt(musicSeconds(static_cast<int>(milliseconds)));
}

void DemoRenderer::read(std::vector<unsigned char>* rgb) {
    const size_t rowBytes = kWidth * 3;
    bottomUp.resize(rowBytes * kHeight);
    rgb->resize(rowBytes * kHeight);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(rgb->data() + rowBytes * y, bottomUp.data() + rowBytes * (kHeight - 1 - y),
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
    if (demoBuilt) {
        glDeleteTextures(1, &cellshadeTexture);
        destroyScenes();
        script.clear(); // its callbacks were the scenes just destroyed
        demoBuilt = false;
    }
    if (windowOpen) {
        killGLWindow();
        windowOpen = false;
    }
}

} // namespace capture
