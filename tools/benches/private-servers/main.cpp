// private-servers: runs a command with private servers of its own and stops them once it has
// ended; the scripts' way to the servers the tools and tests start in-process.
#include "tools/lib/common/tool_info.h"
#include "tools/lib/servers/private_servers.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kUsage[] = R"(Usage: private-servers [OPTIONS] [--] COMMAND [ARGUMENT...]
Runs COMMAND with private servers of its own, and stops them once it has ended.
  --xvfb-if-needed   a private Xvfb in DISPLAY, unless DISPLAY names one that answers
  --pulseaudio VAR   a private PulseAudio whose default sink is a null sink, "nullsink";
                     its address (as PULSE_SERVER takes it) in the variable VAR
  --pipewire VAR     the same with PipeWire
  --weston VAR       a private headless weston with Xwayland; Xwayland's X display in the
                     variable VAR (DISPLAY is left as it is)
  -h, --help         show this text
  --version          show the version
Without its display COMMAND does not run. Without its sound server or weston it runs with
VAR unset (everything here plays silently without a sound server, and the Xwayland tests skip),
and the reason is on standard error.
Exit status: COMMAND's (128 + N when signal N ended it), or 125 when it could not be run.
)";

constexpr int kCannotRun = 125;

struct Options {
    bool xvfb = false;
    bool sound = false;
    servers::SoundServerKind soundKind = servers::SoundServerKind::kPulseAudio;
    std::string soundVariable;
    std::string westonVariable;
    char** command = nullptr;
};

// "" and the options, or what is wrong with the command line.
std::string parseOptions(int argc, char** argv, Options* options) {
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--") {
            ++i;
            break;
        }
        if (option == "--xvfb-if-needed") {
            options->xvfb = true;
        } else if ((option == "--pulseaudio" || option == "--pipewire") && i + 1 < argc) {
            options->sound = true;
            options->soundKind = option == "--pipewire" ? servers::SoundServerKind::kPipeWire
                                                        : servers::SoundServerKind::kPulseAudio;
            options->soundVariable = argv[++i];
        } else if (option == "--weston" && i + 1 < argc) {
            options->westonVariable = argv[++i];
        } else {
            return "unknown option '" + option + "' (see --help)";
        }
    }
    if (i == argc)
        return "no command to run (see --help)";
    options->command = argv + i;
    return "";
}

pid_t child = -1;

// SIGINT from a terminal reaches the command by itself; a signal sent to us alone is passed on.
void passOn(int signal) {
    if (child > 0)
        kill(child, signal);
}

int runCommand(char** command) {
    child = fork();
    if (child == 0) {
        execvp(command[0], command);
        std::fprintf(stderr, "private-servers: %s: %s\n", command[0], std::strerror(errno));
        _exit(errno == ENOENT ? 127 : 126);
    }
    if (child < 0) {
        std::fprintf(stderr, "private-servers: cannot run %s: %s\n", command[0],
                     std::strerror(errno));
        return kCannotRun;
    }
    struct sigaction action = {};
    action.sa_handler = passOn;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

void startSound(const Options& options, servers::PrivateSoundServer* server) {
    const char* name = servers::soundServerName(options.soundKind);
    unsetenv(options.soundVariable.c_str());
    std::string error = server->start(options.soundKind);
    if (!error.empty()) {
        std::fprintf(stderr, "private-servers: no private %s: %s\n", name, error.c_str());
        return;
    }
    setenv(options.soundVariable.c_str(), server->address().c_str(), 1);
    std::fprintf(stderr, "(a private %s on %s, in %s)\n", name, server->address().c_str(),
                 options.soundVariable.c_str());
}

void startWeston(const std::string& variable, servers::PrivateWeston* weston) {
    unsetenv(variable.c_str());
    std::string error = weston->start();
    if (!error.empty()) {
        std::fprintf(stderr, "private-servers: no private weston: %s\n", error.c_str());
        return;
    }
    setenv(variable.c_str(), weston->display().c_str(), 1);
    std::fprintf(stderr, "(a private weston with Xwayland on %s, in %s)\n",
                 weston->display().c_str(), variable.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && answerInfoRequest(infoRequest(argv[1]), "private-servers", kUsage))
        return 0;
    Options options;
    std::string error = parseOptions(argc, argv, &options);
    if (!error.empty()) {
        std::fprintf(stderr, "private-servers: %s\n", error.c_str());
        return kCannotRun;
    }
    servers::PrivateXvfb xvfb;
    if (options.xvfb && !(error = xvfb.startIfNeeded()).empty()) {
        std::fprintf(stderr, "private-servers: %s\n", error.c_str());
        return kCannotRun;
    }
    if (!xvfb.display().empty())
        std::fprintf(stderr, "(no display: using a private Xvfb on %s)\n", xvfb.display().c_str());
    servers::PrivateSoundServer sound;
    if (options.sound)
        startSound(options, &sound);
    servers::PrivateWeston weston;
    if (!options.westonVariable.empty())
        startWeston(options.westonVariable, &weston);
    return runCommand(options.command);
}
