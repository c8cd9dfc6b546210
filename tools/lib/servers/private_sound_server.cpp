// Private sound servers with a null sink: PulseAudio alone, or PipeWire with its session
// manager and pulse server on a private session bus.
#include "tools/lib/servers/private_servers.h"

#include <chrono>
#include <thread>

namespace servers {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

// PipeWire needs a session bus for its session manager; dbus-run-session gives a private one.
const char* const kPipeWireScript = "pipewire & sleep 0.3; wireplumber & pipewire-pulse & wait";

// Our own server must not join the desktop's session or name another server.
const std::vector<std::string> kOwnSession = {"PULSE_SERVER", "PULSE_RUNTIME_PATH",
                                              "DBUS_SESSION_BUS_ADDRESS"};

std::vector<std::string> commandFor(SoundServerKind kind) {
    if (kind == SoundServerKind::kPulseAudio)
        return {"pulseaudio",
                "-n",
                "--daemonize=no",
                "--exit-idle-time=-1",
                "--use-pid-file=no",
                "-L",
                "module-null-sink sink_name=nullsink",
                "-L",
                "module-native-protocol-unix"};
    return {"dbus-run-session", "--", "sh", "-c", kPipeWireScript};
}

std::vector<std::string> programsFor(SoundServerKind kind) {
    if (kind == SoundServerKind::kPulseAudio)
        return {"pulseaudio", "pactl"};
    return {"pipewire", "wireplumber", "pipewire-pulse", "dbus-run-session", "pactl"};
}

} // namespace

const char* soundServerName(SoundServerKind kind) {
    return kind == SoundServerKind::kPulseAudio ? "PulseAudio" : "PipeWire";
}

std::string PrivateSoundServer::start(SoundServerKind kind) {
    serverKind = kind;
    for (const std::string& program : programsFor(kind))
        if (!onPath(program))
            return program + " is not installed";
    std::string error = process.start(commandFor(kind), kOwnSession);
    serverAddress = "unix:" + process.directory() + "/pulse/native";
    if (error.empty())
        error = waitForAnswer();
    if (error.empty() && kind == SoundServerKind::kPipeWire)
        error = addNullSink();
    if (!error.empty())
        process.stop();
    return error;
}

std::string PrivateSoundServer::waitForAnswer() {
    const auto giveUp = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < giveUp) {
        if (!process.running())
            return std::string(soundServerName(serverKind)) + " exited at start";
        if (runQuietly({"pactl", "info"}, {"PULSE_SERVER=" + serverAddress}) == 0)
            return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::string(soundServerName(serverKind)) + " did not answer within 10 s";
}

// PipeWire's pulse server starts with only its automatic null sink; the clients play into a
// named one, as on PulseAudio, made the default. The pulse server answers before the session
// manager is ready to make nodes, so this is tried for a while.
std::string PrivateSoundServer::addNullSink() {
    const std::vector<std::string> server = {"PULSE_SERVER=" + serverAddress};
    bool loaded = false;
    const auto giveUp = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < giveUp) {
        loaded =
            loaded || runQuietly({"pactl", "load-module", "module-null-sink", "sink_name=nullsink"},
                                 server) == 0;
        if (loaded && runQuietly({"pactl", "set-default-sink", "nullsink"}, server) == 0)
            return "";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "could not add a null sink to PipeWire";
}

} // namespace servers
