// Solvane's entry point: the command line, the window, the demo and the orderly teardown.
#include "host/demo.h"
#include "host/host_window.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {

// Long enough for any orderly teardown, short enough that a stuck demo does not look hung.
constexpr unsigned kTeardownSeconds = 5;

volatile sig_atomic_t stopSignal = 0;

// The signal's own default action: the process ends at once, and the video-mode guardian puts
// the desktop's mode back.
void endByStopSignal(int) {
    std::signal(stopSignal, SIG_DFL);
    raise(stopSignal);
}

// Ctrl+C, kill and a closed terminal end the demo through the normal teardown, so the
// desktop's video mode is put back. NOTE: no SA_RESTART, so a blocked call returns to code
// that sees `done`; a demo stuck beyond that (a stalled server, a call retried regardless)
// ends by the alarm, and a second request ends it at once.
void requestStop(int signal) {
    done = 1;
    if (stopSignal) {
        endByStopSignal(0);
        return;
    }
    stopSignal = signal;
    alarm(kTeardownSeconds);
}

void installStopSignals() {
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    action.sa_handler = endByStopSignal;
    sigaction(SIGALRM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // Progress lines appear as they happen, even when standard output is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    done = 0;
    GLWin.fullScreen = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/windowed") == 0) {
            GLWin.fullScreen = 0;
            break;
        }
    }
    installStopSignals();
    // Whatever ends the process from here on, a start-up failure included, the desktop's
    // video mode comes back.
    std::atexit(killGLWindow);
    exitWhenDisplayLost(1);

    int window = createGLWindow("Solvane", kWindowWidth, kWindowHeight, 24, GLWin.fullScreen);
    if (window == kWindowUnavailable)
        return 1;
    if (window == kWindowFailed)
        done = 1;
    // One frame per display refresh where GLX can wait for it: the CPU rests in the driver
    // while the loop itself never sleeps, and the music stays the clock.
    if (window == kWindowReady)
        setSwapInterval(1);

    try {
        initDemo(argc, argv);
        runMainLoop(drawDemo);
    } catch (const std::bad_alloc&) {
        // A timeline within the reader's limit still needs memory to parse; the exit handler
        // puts the desktop's video mode back.
        std::fputs("solvane: out of memory\n", stderr);
        std::exit(1);
    }
    // The scenes' GL objects are deleted while the context is still current.
    stopDemo();
    killGLWindow();
    alarm(0); // torn down: what runs at exit (a leak check) may take its time
    return 0;
}
