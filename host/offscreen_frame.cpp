// The tools' frame at a pixel scale above 1: a framebuffer object N times the window in each
// direction, so that a capture renders natively above the display's resolution, whatever
// the display. At scale 1 the window's own back buffer stays the frame.
#include "gfx/pixel_scale.h"
#include "host/window_interface.h"
#include "host/window_parts.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
};

FramebufferFunctions gl;
GLuint framebuffer = 0;
GLuint renderbuffers[2] = {0, 0}; // colour, depth
int frameScale = 1;

template <typename Function> void lookUp(const char* name, Function* function) {
    *function =
        reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool hasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const size_t length = std::strlen(name);
    for (const char* at = list ? std::strstr(list, name) : nullptr; at;
         at = std::strstr(at + 1, name))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

bool lookUpFunctions() {
    if (!hasExtension("GL_EXT_framebuffer_object"))
        return false;
    lookUp("glGenFramebuffersEXT", &gl.genFramebuffers);
    lookUp("glDeleteFramebuffersEXT", &gl.deleteFramebuffers);
    lookUp("glBindFramebufferEXT", &gl.bindFramebuffer);
    lookUp("glGenRenderbuffersEXT", &gl.genRenderbuffers);
    lookUp("glDeleteRenderbuffersEXT", &gl.deleteRenderbuffers);
    lookUp("glBindRenderbufferEXT", &gl.bindRenderbuffer);
    lookUp("glRenderbufferStorageEXT", &gl.renderbufferStorage);
    lookUp("glFramebufferRenderbufferEXT", &gl.framebufferRenderbuffer);
    lookUp("glCheckFramebufferStatusEXT", &gl.checkFramebufferStatus);
    return gl.genFramebuffers && gl.deleteFramebuffers && gl.bindFramebuffer &&
           gl.genRenderbuffers && gl.deleteRenderbuffers && gl.bindRenderbuffer &&
           gl.renderbufferStorage && gl.framebufferRenderbuffer && gl.checkFramebufferStatus;
}

// Colour without alpha, as in the window: scenes blend on destination alpha reading as 1.
bool makeFramebuffer(int width, int height) {
    gl.genFramebuffers(1, &framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
    gl.genRenderbuffers(2, renderbuffers);
    const GLenum formats[2] = {GL_RGB8, GL_DEPTH_COMPONENT24};
    const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0_EXT, GL_DEPTH_ATTACHMENT_EXT};
    for (int i = 0; i < 2; ++i) {
        gl.bindRenderbuffer(GL_RENDERBUFFER_EXT, renderbuffers[i]);
        gl.renderbufferStorage(GL_RENDERBUFFER_EXT, formats[i], width, height);
        gl.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, attachments[i], GL_RENDERBUFFER_EXT,
                                   renderbuffers[i]);
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    return gl.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

} // namespace

void releaseOffscreenFrame() {
    frameScale = 1;
    setPixelScale(1);
    if (framebuffer == 0)
        return;
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    gl.deleteRenderbuffers(2, renderbuffers);
    gl.deleteFramebuffers(1, &framebuffer);
    framebuffer = 0;
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
}

namespace {

std::string checkSizes(int scale) {
    GLint textureSide = 0, renderbufferSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSide);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &renderbufferSide);
    const int side = scale * 1024; // a capture texture at this scale
    if (textureSide < side || renderbufferSide < scale * kWindowWidth)
        return "the GL driver draws at most " +
               std::to_string(std::min(textureSide, renderbufferSide)) + " pixels across; scale " +
               std::to_string(scale) + " needs " + std::to_string(side);
    return "";
}

} // namespace

namespace host {

std::string setToolFrameScale(int scale) {
    releaseOffscreenFrame();
    if (scale > 1) {
        if (!lookUpFunctions())
            return "scale " + std::to_string(scale) +
                   ": the GL driver has no framebuffer objects to render off screen";
        std::string error = checkSizes(scale);
        if (!error.empty())
            return error;
        if (!makeFramebuffer(kWindowWidth * scale, kWindowHeight * scale)) {
            releaseOffscreenFrame();
            return "scale " + std::to_string(scale) +
                   ": the GL driver refused the off-screen frame";
        }
        frameScale = scale;
        setPixelScale(scale);
    }
    resizeGLScene(toolFrameWidth(), toolFrameHeight());
    return "";
}

int toolFrameWidth() {
    return kWindowWidth * frameScale;
}

int toolFrameHeight() {
    return kWindowHeight * frameScale;
}

} // namespace host
