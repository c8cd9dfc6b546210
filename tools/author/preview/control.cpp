// Command parsing and non-blocking line input.
#include "tools/author/preview/control.h"

#include "tools/lib/authoring/command_line.h"

#include <cerrno>
#include <sstream>
#include <unistd.h>

namespace preview {

std::string parseCommand(const std::string& line, Command* command) {
    std::istringstream words(line);
    std::string verb, argument, extra;
    words >> verb;
    std::getline(words >> std::ws, argument);
    while (!argument.empty() && (argument.back() == ' ' || argument.back() == '\r'))
        argument.pop_back();

    struct Simple {
        const char* verb;
        Command::Kind kind;
    };
    static const Simple kSimple[] = {{"pause", Command::kPause},     {"play", Command::kPlay},
                                     {"time", Command::kTime},       {"reload", Command::kReload},
                                     {"effects", Command::kEffects}, {"quit", Command::kQuit}};
    for (const Simple& simple : kSimple) {
        if (verb != simple.verb)
            continue;
        if (!argument.empty())
            return verb + " takes no argument";
        command->kind = simple.kind;
        return "";
    }
    if (verb == "seek") {
        if (!authoring::parseSeconds(argument, &command->seconds))
            return "seek needs a time in seconds, e.g. seek 61.5";
        command->kind = Command::kSeek;
        return "";
    }
    if (verb == "shot" || verb == "view") {
        if (argument.size() < 5 || argument.compare(argument.size() - 4, 4, ".png") != 0)
            return verb + " needs a file name ending in .png";
        command->kind = verb == "shot" ? Command::kShot : Command::kView;
        command->path = argument;
        return "";
    }
    return verb.empty() ? "empty command" : "unknown command '" + verb + "'";
}

bool LineReader::poll() {
    char buffer[4096];
    for (;;) {
        if (ended)
            break;
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            pending.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0)
            ended = true; // a last line without its newline still counts
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            ended = true;
        break;
    }
    if (ended && !pending.empty() && pending.back() != '\n')
        pending += '\n';
    return !ended || !pending.empty();
}

bool LineReader::nextLine(std::string* line) {
    size_t newline = pending.find('\n');
    if (newline == std::string::npos)
        return false;
    *line = pending.substr(0, newline);
    pending.erase(0, newline + 1);
    return true;
}

} // namespace preview
