// A private Xvfb for programs that need an X display where there is none: started only when
// DISPLAY is unset or cannot be opened, put in DISPLAY for the rest of the process, and
// stopped when the object goes away. The server picks a free display number itself.
#pragma once

#include <string>
#include <sys/types.h>

class PrivateXvfb {
public:
    PrivateXvfb() = default;
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;
    ~PrivateXvfb() { stop(); }

    // Returns an empty string when a display is usable (ours or the one already set),
    // otherwise "what failed: why".
    std::string startIfNeeded();
    void stop();
    bool running() const { return pid > 0; }

private:
    pid_t pid = -1;
};
