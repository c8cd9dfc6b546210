// Visual choice, the GLX rendering context and its swap interval.
#include "host/window_parts.h"

#include <cstdio>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
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

// [SECTION] Swap interval

namespace {

// Whole names only: GLX_EXT_swap_control is also the start of GLX_EXT_swap_control_tear.
bool offersExtension(const char* name) {
    const char* list = glXQueryExtensionsString(GLWin.display, GLWin.screen);
    size_t length = std::strlen(name);
    for (const char* at = list ? std::strstr(list, name) : nullptr; at;
         at = std::strstr(at + 1, name)) {
        bool wordStarts = at == list || at[-1] == ' ';
        bool wordEnds = at[length] == ' ' || at[length] == '\0';
        if (wordStarts && wordEnds)
            return true;
    }
    return false;
}

template <typename Function> Function lookUp(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool setWithExt(int interval) {
    auto swapInterval = lookUp<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
    if (!swapInterval)
        return false;
    grabXErrors(); // a bad drawable or interval is a protocol error, not a return value
    swapInterval(GLWin.display, GLWin.window, interval);
    return releaseXErrors(GLWin.display) == 0;
}

bool setWithMesa(int interval) {
    auto swapInterval = lookUp<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
    return swapInterval && swapInterval(static_cast<unsigned int>(interval)) == 0;
}

// SGI's form knows no interval 0: it cannot switch the waiting off.
bool setWithSgi(int interval) {
    auto swapInterval = lookUp<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI");
    return interval > 0 && swapInterval && swapInterval(interval) == 0;
}

} // namespace

SwapControl setSwapInterval(int refreshesPerFrame) {
    if (offersExtension("GLX_EXT_swap_control") && setWithExt(refreshesPerFrame))
        return kExtSwapControl;
    if (offersExtension("GLX_MESA_swap_control") && setWithMesa(refreshesPerFrame))
        return kMesaSwapControl;
    if (offersExtension("GLX_SGI_swap_control") && setWithSgi(refreshesPerFrame))
        return kSgiSwapControl;
    return kNoSwapControl;
}

const char* swapControlName(SwapControl control) {
    switch (control) {
    case kExtSwapControl:
        return "GLX_EXT_swap_control";
    case kMesaSwapControl:
        return "GLX_MESA_swap_control";
    case kSgiSwapControl:
        return "GLX_SGI_swap_control";
    case kNoSwapControl:
        break;
    }
    return "none";
}
