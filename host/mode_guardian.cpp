// The video-mode guardian: a small process forked before the full-screen switch that puts the
// desktop's mode back when the demo dies without doing so (a crash, SIGKILL, a lost
// connection). A mode switch outlives the client that made it, and a dying process cannot be
// trusted to undo it, so the undo lives outside: the guardian holds its own X connection and
// learns of the demo's end when the demo's end of a socket closes, whatever the cause.
#include "host/window_parts.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <initializer_list>

namespace {

// What the demo tells the guardian just before it switches.
struct GuardedSwitch {
    int screen;
    XF86VidModeModeInfo desktop;
    XF86VidModeModeInfo chosen;
};

pid_t guardianPid = -1;
int guardianSocket = -1;

// The guardian's X connection may go with the server; there is nothing left to restore then.
int leaveQuietly(Display*) {
    _exit(0);
}

void detachFromTheDemo() {
    prctl(PR_SET_NAME, "solvane-guard");
    // Ctrl+C or Ctrl+\ at the terminal reaches the whole process group: the guardian must
    // outlive the demo to do its job, and ends by itself once the demo has gone.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        std::signal(signal, SIG_IGN);
    // Nobody reading the demo's standard output should wait for the guardian to close it.
    int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, STDIN_FILENO);
    dup2(nothing, STDOUT_FILENO);
    close(nothing);
}

// Events are never asked for, but every client gets MappingNotify: drained so they do not
// wake the wait forever. A closed connection ends the guardian in leaveQuietly.
void drainEvents(Display* display) {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

// Reads what the demo says until its end of the socket closes; true when a switch was announced.
bool waitForTheDemosEnd(int demo, Display* display, GuardedSwitch* guarded) {
    char* record = reinterpret_cast<char*>(guarded);
    size_t received = 0;
    pollfd watched[2] = {{demo, POLLIN, 0}, {ConnectionNumber(display), POLLIN, 0}};
    for (;;) {
        if (poll(watched, 2, -1) < 0)
            continue;
        if (watched[1].revents)
            drainEvents(display);
        if (!watched[0].revents)
            continue;
        ssize_t count = read(demo, record + received, sizeof *guarded - received);
        if (count <= 0)
            return received == sizeof *guarded;
        received += static_cast<size_t>(count);
    }
}

bool sameMode(const XF86VidModeModeInfo& one, const XF86VidModeModeInfo& other) {
    return one.hdisplay == other.hdisplay && one.vdisplay == other.vdisplay &&
           one.htotal == other.htotal && one.vtotal == other.vtotal &&
           one.dotclock == other.dotclock;
}

bool readCurrentMode(Display* display, int screen, XF86VidModeModeInfo* mode) {
    int dotclock = 0;
    XF86VidModeModeLine line = {};
    if (!XF86VidModeGetModeLine(display, screen, &dotclock, &line))
        return false;
    if (line.privsize > 0)
        XFree(line.c_private);
    *mode = {};
    mode->dotclock = static_cast<unsigned int>(dotclock);
    mode->hdisplay = line.hdisplay;
    mode->vdisplay = line.vdisplay;
    mode->htotal = line.htotal;
    mode->vtotal = line.vtotal;
    return true;
}

// Only the demo's own mode is undone: a mode that differs from it was set by someone else
// since (the user, another program), and the demo has no claim over that.
void restoreIfStillSwitched(Display* display, GuardedSwitch& guarded) {
    XF86VidModeModeInfo current;
    if (sameMode(guarded.chosen, guarded.desktop) ||
        !readCurrentMode(display, guarded.screen, &current) || !sameMode(current, guarded.chosen))
        return;
    grabXErrors();
    XF86VidModeSwitchToMode(display, guarded.screen, &guarded.desktop);
    XF86VidModeSetViewPort(display, guarded.screen, 0, 0);
    if (releaseXErrors(display) == 0)
        std::fprintf(stderr,
                     "solvane-guard: the demo ended without restoring the video mode: "
                     "put back %dx%d\n",
                     guarded.desktop.hdisplay, guarded.desktop.vdisplay);
}

[[noreturn]] void guardVideoMode(int demo) {
    detachFromTheDemo();
    XSetIOErrorHandler(leaveQuietly);
    Display* display = openDisplay();
    if (!display) // the demo says so, when it cannot announce its switch
        _exit(1);
    GuardedSwitch guarded = {};
    if (waitForTheDemosEnd(demo, display, &guarded))
        restoreIfStillSwitched(display, guarded);
    XCloseDisplay(display);
    _exit(0);
}

} // namespace

// Forked before the demo opens its display, while it is one thread with no GL: the guardian
// holds no part of the demo's connection, which must close when the demo goes.
void startModeGuardian() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        std::perror("mode guardian: socketpair");
        return;
    }
    std::fflush(nullptr); // nothing buffered is written twice
    pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        guardVideoMode(ends[1]);
    }
    close(ends[1]);
    if (pid < 0) {
        std::perror("mode guardian: fork");
        close(ends[0]);
        return;
    }
    guardianPid = pid;
    guardianSocket = ends[0];
}

void announceModeSwitch(int screen, const XF86VidModeModeInfo& desktop,
                        const XF86VidModeModeInfo& chosen) {
    if (guardianSocket < 0)
        return;
    GuardedSwitch guarded = {screen, desktop, chosen};
    // The pointers to private data mean nothing in another process.
    guarded.desktop.privsize = guarded.chosen.privsize = 0;
    guarded.desktop.c_private = guarded.chosen.c_private = nullptr;
    if (send(guardianSocket, &guarded, sizeof guarded, MSG_NOSIGNAL) != sizeof guarded)
        std::fprintf(stderr, "mode guardian: gone: the video mode is put back only if the demo "
                             "ends normally\n");
}

void stopModeGuardian() {
    if (guardianSocket < 0)
        return;
    close(guardianSocket);
    guardianSocket = -1;
    // It checks the mode once and leaves; should it hang, it is not worth holding up the exit.
    for (int waited = 0; waited < 200; ++waited) {
        if (waitpid(guardianPid, nullptr, WNOHANG) != 0)
            break;
        usleep(10000);
    }
    guardianPid = -1;
}
