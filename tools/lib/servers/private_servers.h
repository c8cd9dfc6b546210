// Private servers for programs that need a display or a sound server of their own: each is
// started in its own process group, with a scratch directory of its own as its home, and
// stopped by its process id, leaving nothing behind. The tools start them in-process, the
// tests too, and the scripts through the private-servers command (tools/benches/private-servers).
// A new kind of server is a class over ServerProcess, as the two below are, and an option of
// the command.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace servers {

// True when `program` is an executable file in a directory of PATH.
bool onPath(const std::string& program);

// Runs `command` (looked up on PATH) with its output discarded and `environment` added
// ("NAME=value"), and returns its exit status, or -1 when it could not run.
int runQuietly(const std::vector<std::string>& command,
               const std::vector<std::string>& environment = {});

class ServerProcess {
public:
    ServerProcess() = default;
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess() { stop(); }

    // Makes the scratch directory and starts `command` there, with HOME and XDG_RUNTIME_DIR
    // pointing at it and `environment` applied ("NAME=value" sets, a bare "NAME" removes).
    // `passed`, when not -1, is the server's descriptor 3; every other one above 2 is closed.
    // The kernel stops the server if this process dies without doing so. "" or why not.
    std::string start(const std::vector<std::string>& command,
                      const std::vector<std::string>& environment, int passed = -1);
    // Kills the server, as a crash would, and starts the same command again in the same
    // scratch directory, so that it answers at the same address. "" or why not.
    std::string restart();
    const std::string& directory() const { return scratch; }
    // False once the server has exited (it is then reaped).
    bool running();
    // SIGKILL to its process group, as a crash would.
    void kill();
    // SIGTERM to its process group, SIGKILL to what is left after 2 s; once the whole group
    // has gone, so does the scratch directory.
    void stop();

private:
    std::string launch();
    bool groupAlive();
    void waitForGroup(std::chrono::milliseconds longest);

    pid_t group = -1; // the server's process group, led by the process started
    bool leaderExited = false;
    std::string scratch;
    std::vector<std::string> startedCommand, startedEnvironment;
    int passedDescriptor = -1;
};

// [SECTION] Xvfb

// In DISPLAY while it runs; stopping it puts back the DISPLAY it replaced.
class PrivateXvfb {
public:
    PrivateXvfb() = default;
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;
    ~PrivateXvfb() { stop(); }

    // Starts a server unless DISPLAY names one that answers. "" when a display is usable,
    // otherwise "private Xvfb: why".
    std::string startIfNeeded();
    std::string start();
    // ":N" of the server started, or "" when none was.
    const std::string& display() const { return name; }
    void stop();

private:
    ServerProcess process;
    std::string name, replaced;
    bool hadDisplay = false;
};

// [SECTION] weston with Xwayland

// A headless Wayland desktop whose X server is Xwayland, for what must run where most Linux
// desktops now run X11 programs. It does not touch DISPLAY: its X display is display().
class PrivateWeston {
public:
    // Starts weston and waits until it announces Xwayland's display. "" or why not.
    std::string start();
    // ":N" of its Xwayland, once started.
    const std::string& display() const { return xDisplay; }
    void stop() { process.stop(); }

private:
    ServerProcess process;
    std::string xDisplay;
};

// [SECTION] PulseAudio and PipeWire

enum class SoundServerKind { kPulseAudio, kPipeWire };

const char* soundServerName(SoundServerKind kind);

// A sound server whose default sink is a null sink named "nullsink".
class PrivateSoundServer {
public:
    // Starts the server and waits until the null sink is its default. "" or why not.
    std::string start(SoundServerKind kind);
    // libpulse's address of the server ("unix:/…/pulse/native"), for PULSE_SERVER.
    const std::string& address() const { return serverAddress; }
    bool running() { return process.running(); }
    void kill() { process.kill(); }
    // Starts it again at the same address after a kill, as a desktop restarts its sound
    // server, and waits for its null sink as start does. "" or why not.
    std::string restart();
    void stop() { process.stop(); }

private:
    std::string waitForSinks();
    std::string waitForAnswer();
    std::string addNullSink();

    SoundServerKind serverKind = SoundServerKind::kPulseAudio;
    ServerProcess process;
    std::string serverAddress;
};

} // namespace servers
