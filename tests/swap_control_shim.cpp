// A GL driver with swap control, as far as the demo can tell: preloaded into a program under
// test, it offers the swap-control extensions named in SWAP_SHIM_OFFERS (in place of any the
// real driver has) and appends each swap-interval call to the file SWAP_SHIM_LOG instead of
// making it.
#include <GL/glx.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

void record(const char* function, int interval) {
    const char* log = std::getenv("SWAP_SHIM_LOG");
    std::FILE* file = log ? std::fopen(log, "a") : nullptr;
    if (!file)
        return;
    std::fprintf(file, "%s %d\n", function, interval);
    std::fclose(file);
}

void swapIntervalExt(Display*, GLXDrawable, int interval) {
    record("glXSwapIntervalEXT", interval);
}
int swapIntervalMesa(unsigned int interval) {
    record("glXSwapIntervalMESA", static_cast<int>(interval));
    return 0;
}
int swapIntervalSgi(int interval) {
    record("glXSwapIntervalSGI", interval);
    return 0;
}

template <typename Function> Function realFunction(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" const char* glXQueryExtensionsString(Display* display, int screen) {
    static std::string offered;
    auto real = realFunction<const char* (*)(Display*, int)>("glXQueryExtensionsString");
    std::istringstream names(real ? real(display, screen) : "");
    offered.clear();
    for (std::string name; names >> name;)
        if (name.find("_swap_control") == std::string::npos)
            offered += name + " ";
    const char* extra = std::getenv("SWAP_SHIM_OFFERS");
    offered += extra ? extra : "";
    return offered.c_str();
}

extern "C" __GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name) {
    const char* text = reinterpret_cast<const char*>(name);
    if (std::strcmp(text, "glXSwapIntervalEXT") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalExt);
    if (std::strcmp(text, "glXSwapIntervalMESA") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalMesa);
    if (std::strcmp(text, "glXSwapIntervalSGI") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(swapIntervalSgi);
    auto real = realFunction<__GLXextFuncPtr (*)(const GLubyte*)>("glXGetProcAddressARB");
    return real ? real(name) : nullptr;
}
