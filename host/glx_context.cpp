// Visual choice and the GLX rendering context.
#include "host/window_parts.h"

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#endif

namespace {

const int attrListDbl[] = {
    GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 4,   GLX_GREEN_SIZE, 4, GLX_BLUE_SIZE,
    4,        GLX_DEPTH_SIZE,   24,           None};
const int attrListSgl[] = {GLX_RGBA,       GLX_RED_SIZE, 4,   GLX_GREEN_SIZE, 4, GLX_BLUE_SIZE, 4,
                           GLX_DEPTH_SIZE, 16,           None};

} // namespace

XVisualInfo* chooseVisual(Display* display, int screen) {
    XVisualInfo* visual = glXChooseVisual(display, screen, const_cast<int*>(attrListDbl));
    if (visual) {
        std::printf("Got Doublebuffered Visual!\n");
        return visual;
    }
    visual = glXChooseVisual(display, screen, const_cast<int*>(attrListSgl));
    std::printf("Only Singlebuffered Visual!\n");
    return visual;
}

#if defined(__SANITIZE_ADDRESS__)
namespace {

int pinDriver(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace
#endif

// NOTE: closing the display unloads Mesa's driver. Under the leak checker that would leave its
// blocks without a library name to suppress them by, so sanitizer builds keep it loaded.
static void keepDriverLoaded() {
#if defined(__SANITIZE_ADDRESS__)
    dl_iterate_phdr(pinDriver, nullptr);
#endif
}

GLXContext createContext(Display* display, XVisualInfo* visual) {
    int major = 0, minor = 0;
    glXQueryVersion(display, &major, &minor);
    std::printf("glX-Version %d.%d\n", major, minor);

    grabXErrors();
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    int error = releaseXErrors(display);
    if (error != 0 && context) {
        glXDestroyContext(display, context);
        context = nullptr;
    }
    if (context)
        keepDriverLoaded();
    return context;
}

void destroyContext() {
    if (!GLWin.context)
        return;
    if (!glXMakeCurrent(GLWin.display, None, nullptr))
        std::printf("Could not release drawing context.\n");
    glXDestroyContext(GLWin.display, GLWin.context);
    GLWin.context = nullptr;
}
