// Private sound servers: fork, exec in a new process group, wait for the socket.
#include "tools/benches/clockbench/sound_server.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace syncprobe {

namespace {

constexpr int kStartTimeoutMs = 10000;

// PipeWire needs a session bus for its session manager; dbus-run-session gives a private one.
const char* const kPipeWireScript = "pipewire & sleep 0.3; wireplumber & pipewire-pulse & wait";

bool onPath(const char* program) {
    std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

// Runs `command` through the shell with the server's environment; true when it exits 0.
bool runQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

const char* serverKindName(ServerKind kind) {
    return kind == ServerKind::kPulseAudio ? "PulseAudio" : "PipeWire";
}

const char* sharedServerAddress() {
    const char* address = std::getenv("SOLVANE_TEST_PULSE_SERVER");
    return address != nullptr && *address != '\0' ? address : nullptr;
}

bool PrivateSoundServer::start(ServerKind kind, std::string& why) {
    serverKind = kind;
    std::vector<const char*> needed = {"pulseaudio", "pactl"};
    if (kind == ServerKind::kPipeWire) {
        needed = {"pipewire", "wireplumber", "pipewire-pulse", "dbus-run-session", "pactl"};
    }
    for (const char* program : needed) {
        if (!onPath(program)) {
            why = std::string(program) + " is not installed";
            return false;
        }
    }
    char pattern[] = "/tmp/solvane-sound-server-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        why = std::strerror(errno);
        return false;
    }
    directory = pattern;
    serverAddress = "unix:" + directory + "/pulse/native";
    return launch(why);
}

bool PrivateSoundServer::restart(std::string& why) {
    kill();
    return !directory.empty() && launch(why);
}

// Starts the server in `directory`, where it finds what an earlier one left.
bool PrivateSoundServer::launch(std::string& why) {
    const std::string runtime = directory + "/pulse";
    pid = fork();
    if (pid < 0) {
        why = std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        setpgid(0, 0);
        int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, 0);
        dup2(quiet, 1);
        dup2(quiet, 2);
        setenv("XDG_RUNTIME_DIR", directory.c_str(), 1);
        setenv("HOME", directory.c_str(), 1);
        setenv("PULSE_RUNTIME_PATH", runtime.c_str(), 1);
        unsetenv("PULSE_SERVER");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (serverKind == ServerKind::kPulseAudio) {
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                   "--use-pid-file=no", "-L", "module-null-sink sink_name=nullsink", "-L",
                   "module-native-protocol-unix", static_cast<char*>(nullptr));
        } else {
            execlp("dbus-run-session", "dbus-run-session", "--", "sh", "-c", kPipeWireScript,
                   static_cast<char*>(nullptr));
        }
        _exit(127);
    }
    setpgid(pid, pid);
    if (!waitForSocket(why) || (serverKind == ServerKind::kPipeWire && !addNullSink(why))) {
        stop();
        return false;
    }
    return true;
}

bool PrivateSoundServer::waitForSocket(std::string& why) {
    std::string info = "PULSE_SERVER=" + serverAddress + " pactl info";
    for (int waited = 0; waited < kStartTimeoutMs; waited += 50) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            why = std::string(serverKindName(serverKind)) + " exited at start";
            return false;
        }
        if (runQuietly(info)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    why = std::string(serverKindName(serverKind)) + " did not answer within 10 s";
    return false;
}

// PipeWire's pulse server starts with only its automatic null sink; the measurement plays into
// a named one, as on PulseAudio, and makes it the default. The pulse server answers before the
// session manager is ready to make nodes, so this is tried for a while.
bool PrivateSoundServer::addNullSink(std::string& why) {
    std::string pactl = "PULSE_SERVER=" + serverAddress + " pactl ";
    bool loaded = false;
    for (int waited = 0; waited < kStartTimeoutMs; waited += 100) {
        loaded = loaded || runQuietly(pactl + "load-module module-null-sink sink_name=nullsink");
        if (loaded && runQuietly(pactl + "set-default-sink nullsink")) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    why = "could not add a null sink to PipeWire";
    return false;
}

void PrivateSoundServer::kill() {
    if (pid > 0) {
        ::kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

void PrivateSoundServer::stop() {
    if (pid > 0) {
        ::kill(-pid, SIGTERM);
        for (int waited = 0; waited < 2000; waited += 20) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill();
    }
    if (!directory.empty()) {
        nftw(directory.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
        directory.clear();
    }
}

} // namespace syncprobe
