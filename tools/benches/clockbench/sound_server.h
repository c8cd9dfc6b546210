// A private sound server with a null sink, for measuring the music clock against what a server
// really plays: PulseAudio, or PipeWire with its pulse server, started headless in a scratch
// directory and stopped by the PID it was started with.
#pragma once

#include <string>
#include <sys/types.h>

namespace syncprobe {

enum class ServerKind { kPulseAudio, kPipeWire };

const char* serverKindName(ServerKind kind);

class PrivateSoundServer {
public:
    PrivateSoundServer() = default;
    ~PrivateSoundServer() { stop(); }
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Starts the server and waits until its null sink "nullsink" is the default sink. False,
    // with the reason in `why`, when the programs are missing or the server does not come up.
    bool start(ServerKind kind, std::string& why);
    // The libpulse address of the server ("unix:/…/native"), for PULSE_SERVER.
    const std::string& address() const { return serverAddress; }
    bool running() const { return pid > 0; }
    // Kills the server at once (SIGKILL), as a crash would.
    void kill();
    // Starts it again at the same address, as a desktop restarts its sound server.
    bool restart(std::string& why);
    // Stops the server and removes its directory.
    void stop();

private:
    bool launch(std::string& why);
    bool waitForSocket(std::string& why);
    bool addNullSink(std::string& why);

    ServerKind serverKind = ServerKind::kPulseAudio;
    pid_t pid = -1; // leads its own process group
    std::string directory;
    std::string serverAddress;
};

// A server given from outside (scripts/run-tests starts one) through this variable, if set.
const char* sharedServerAddress();

} // namespace syncprobe
